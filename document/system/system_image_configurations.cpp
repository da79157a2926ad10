// Configurations of the edited system: the base configuration holds every element's
// absolute position, the others offsets from it, each with its fields, stop, unit and
// image shift.

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/helpers/file_list.h"
#include "optics/model/model_globals.h"
#include "optics/whole/system_turn.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"

namespace {

int PositionCount(const TConfigurationParameters &record) {
  return record.positions.Cells();
}

// The image surface is the last one and belongs to no element; a system of one surface
// has none.
TEditSurface *ImageSurface(const TSystemImage &system) {
  return system.SurfaceCount() >= 2 ? system.EditSurface(system.SurfaceCount() - 1) : nullptr;
}

DPOINT3 PositionOf(const TEditSurface &surface) {
  DPOINT3 at;
  surface.GetPosition(at.x, at.y, at.z);
  return at;
}

// offset + (from - to), componentwise.
DPOINT3 Rebased(const DPOINT3 &offset, const DPOINT3 &from, const DPOINT3 &to) {
  return DPOINT3(offset.x + (from.x - to.x), offset.y + (from.y - to.y), offset.z + (from.z - to.z));
}

DPOINT3 Plus(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x + b.x, a.y + b.y, a.z + b.z); }

DPOINT3 Minus(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x - b.x, a.y - b.y, a.z - b.z); }

// Vertices are sums and differences of numbers of the system's size: a move equal to the
// carry but for rounding counts as that carry.
constexpr double kCarryRoundOff = 1e-9;

// Whether a point near `at` moved by `moved` is the move `carried` (a zero carry is no move).
bool MovedBy(const DPOINT3 &moved, const DPOINT3 &carried, const DPOINT3 &at) {
  if (carried.x == 0.0 && carried.y == 0.0 && carried.z == 0.0) return false;
  const double scale = 1.0 + std::fabs(at.x) + std::fabs(at.y) + std::fabs(at.z);
  return std::fabs(moved.x - carried.x) <= kCarryRoundOff * scale &&
         std::fabs(moved.y - carried.y) <= kCarryRoundOff * scale &&
         std::fabs(moved.z - carried.z) <= kCarryRoundOff * scale;
}

// The base configuration moves from `before` to `after`: the others are offsets from it, so
// they are taken back by the move and stay where they stood. A gap edited in the base is
// the base's own, as one edited in any other configuration is that one's; a shape shared
// by all (elementShift, imageShift: what the lengthening of the elements before carried)
// moves every configuration alike.
void KeepOthersInPlace(Mem<TConfigurationParameters> &configurations, const TConfigurationParameters &before,
                       const TConfigurationParameters &after, const std::vector<DPOINT3> &elementShift,
                       const DPOINT3 &imageShift) {
  const int moved = std::min(PositionCount(before), PositionCount(after));
  for (int k = 1; k < configurations.Cells(); ++k) {
    TConfigurationParameters &record = configurations.data[k];
    for (int e = 0; e < moved && e < PositionCount(record); ++e) {
      DPOINT3 &offset = record.positions.data[e];
      offset = Rebased(offset, before.positions.data[e], after.positions.data[e]);
      if (e < static_cast<int>(elementShift.size())) offset = Plus(offset, elementShift[e]);
    }
    if (record.imageStored && before.imageStored && after.imageStored)
      record.image = Plus(Rebased(record.image, before.image, after.image), imageShift);
  }
}

}  // namespace

void TSystemImage::TakeShapes() {
  shapes_.clear();
  for (int e = 0; e < ElementCount(); ++e) {
    const TEditSurface *first = elements.data[e].FirstSurface();
    const TEditSurface *last = elements.data[e].LastSurface();
    // Elements not yet grouped anew after the surfaces were replaced (a file read, a
    // failed Open put back) may name surfaces that are gone: only the system's own are read.
    const int firstIndex = first == nullptr ? -1 : IndexOfSurface(first);
    const int lastIndex = last == nullptr ? -1 : IndexOfSurface(last);
    if (firstIndex < 0 || lastIndex < 0) {
      shapes_.clear();
      return;
    }
    shapes_.push_back({first, last, firstIndex, lastIndex, Minus(PositionOf(*last), PositionOf(*first)), PositionOf(*first)});
  }
  const TEditSurface *image = ImageSurface(*this);
  imageTaken_ = image != nullptr ? PositionOf(*image) : DPOINT3();
}

void TSystemImage::RetakePlaces() {
  for (int e = 0; e < ElementCount() && e < static_cast<int>(shapes_.size()); ++e)
    if (const TEditSurface *first = elements.data[e].FirstSurface(); first == shapes_[e].firstSurface)
      shapes_[e].at = PositionOf(*first);
  if (const TEditSurface *image = ImageSurface(*this)) imageTaken_ = PositionOf(*image);
}

bool TSystemImage::ShapeShifts(std::vector<DPOINT3> &elementShift, DPOINT3 &imageShift) const {
  const int count = ElementCount();
  if (count == 0 || static_cast<int>(shapes_.size()) != count) return false;
  elementShift.assign(count, DPOINT3());
  // Each element moves by the growth of every element before it, exit vertex against first
  // vertex, where the edit moved it so in the configuration shown (a thickness typed in the
  // table pushes what follows): the gaps behind are each configuration's own and stay. An
  // element turned or reshaped in place (its exit vertex swung by a tilt) pushed nothing in
  // the configuration shown, and pushes nothing in the others either.
  DPOINT3 carried;
  for (int e = 0; e < count; ++e) {
    const TEditSurface *first = elements.data[e].FirstSurface();
    const TEditSurface *last = elements.data[e].LastSurface();
    const TElementShape &taken = shapes_[e];
    if (first == nullptr || last == nullptr || first != taken.firstSurface || last != taken.lastSurface ||
        IndexOfSurface(first) != taken.first || IndexOfSurface(last) != taken.last)
      return false;
    if (MovedBy(Minus(PositionOf(*first), taken.at), carried, taken.at)) elementShift[e] = carried;
    carried = Plus(carried, Minus(Minus(PositionOf(*last), PositionOf(*first)), taken.exit));
  }
  const TEditSurface *image = ImageSurface(*this);
  if (image != nullptr && MovedBy(Minus(PositionOf(*image), imageTaken_), carried, imageTaken_)) imageShift = carried;
  return true;
}

int TSystemImage::StoreConfiguration(int index) {
  if (ConfigurationCount() == 0) {
    if (!configurations.Allocate(1, 1)) return 0;
    currentConfiguration = 0;
  }
  const int k = index < 0 ? currentConfiguration : index;
  if (k < 0 || k >= ConfigurationCount()) return 0;
  // A shape changed on the screen (a lens made thicker) is every configuration's.
  std::vector<DPOINT3> elementShift;
  DPOINT3 imageShift;
  if (k != currentConfiguration || ConfigurationCount() < 2 || !ShapeShifts(elementShift, imageShift)) {
    elementShift.clear();
    imageShift = DPOINT3();
  }
  const int count = ElementCount();
  TConfigurationParameters &record = configurations.data[k];
  Mem<DPOINT3> positions;
  if (count > 0 && !positions.Allocate(count, 1)) return 0;
  TConfigurationParameters &base = configurations.data[0];
  const int baseCount = PositionCount(base);
  if (k != 0) {
    // The others are offsets from the base: moving the base by the shared growth moves them.
    for (int e = 0; e < baseCount && e < static_cast<int>(elementShift.size()); ++e)
      base.positions.data[e] = Plus(base.positions.data[e], elementShift[e]);
    if (base.imageStored) base.image = Plus(base.image, imageShift);
  }
  for (int e = 0; e < count; ++e) {
    const DPOINT3 &here = elements.data[e].referencePoint;
    if (k == 0 || e >= baseCount) {
      positions.data[e] = k == 0 ? here : DPOINT3();
    } else {
      positions.data[e] = Minus(here, base.positions.data[e]);
    }
  }
  const TConfigurationParameters before = k == 0 ? record : TConfigurationParameters();
  record.positions = positions;
  if (const TEditSurface *image = ImageSurface(*this); image != nullptr && (k == 0 || base.imageStored)) {
    const DPOINT3 here = PositionOf(*image);
    record.image = k == 0 ? here : Minus(here, base.image);
    record.imageStored = 1;
  }
  record.AlfaM = info.AlfaM;
  record.Naper = info.Naper;
  record.Unit = info.Unit;
  record.Dzr = Dzr;
  if (k == 0) KeepOthersInPlace(configurations, before, record, elementShift, imageShift);
  TakeShapes();
  return 1;
}

std::vector<TSystemImage::TSurfaceStand> TSystemImage::SurfaceStands() const {
  std::vector<TSurfaceStand> stands;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TSurface *s = Surface(i);
    if (s != nullptr)
      stands.push_back({s, DPOINT3(s->general.vertex[0], s->general.vertex[1], s->general.vertex[2]),
                        DPOINT3(s->general.angles[0], s->general.angles[1], s->general.angles[2])});
  }
  return stands;
}

void TSystemImage::FollowMovedSurfaces(const std::vector<TSurfaceStand> &before) {
  if (ConfigurationCount() < 2) return;
  const int c = currentConfiguration;
  if (c < 0 || c >= ConfigurationCount()) return;
  // One surface's move: its record in the base and its offsets in the others. The move in
  // the configuration shown is rigid (a turn by `turn` and a shift): every configuration's
  // place of it takes the same move, so each offset from the base turns by `turn`.
  const auto follow = [&](const TSurface *surface, DPOINT3 &baseRecord, auto offsetOf) {
    const TSurfaceStand *stand = nullptr;
    for (const TSurfaceStand &s : before)
      if (s.surface == surface) stand = &s;
    if (stand == nullptr) return;
    const DPOINT3 now(surface->general.vertex[0], surface->general.vertex[1], surface->general.vertex[2]);
    const double *a = surface->general.angles;
    const double turn = TurnAboutZ(stand->angles, DPOINT3(a[0], a[1], a[2]));
    if (turn == 0.0 && now.x == stand->at.x && now.y == stand->at.y && now.z == stand->at.z) return;
    const double cs = std::cos(turn);
    const double sn = std::sin(turn);
    const auto turned = [cs, sn](const DPOINT3 &d) { return DPOINT3(d.x * cs - d.y * sn, d.x * sn + d.y * cs, d.z); };
    DPOINT3 currentOffset;
    if (c > 0) {
      if (DPOINT3 *own = offsetOf(c)) currentOffset = *own;
    }
    for (int k = 1; k < ConfigurationCount(); ++k)
      if (DPOINT3 *offset = offsetOf(k)) *offset = turned(*offset);
    baseRecord = Minus(now, turned(currentOffset));
  };
  TConfigurationParameters &base = configurations.data[0];
  for (int e = 0; e < ElementCount() && e < PositionCount(base); ++e) {
    follow(elements.data[e].FirstSurface(), base.positions.data[e], [this, e](int k) -> DPOINT3 * {
      TConfigurationParameters &record = configurations.data[k];
      return e < PositionCount(record) ? &record.positions.data[e] : nullptr;
    });
  }
  if (const TEditSurface *image = ImageSurface(*this); image != nullptr && base.imageStored) {
    follow(image, base.image, [this](int k) -> DPOINT3 * {
      TConfigurationParameters &record = configurations.data[k];
      return record.imageStored ? &record.image : nullptr;
    });
  }
  TakeShapes();
  modified_ = 1;
}

void TSystemImage::ApplyConfiguration(int k) {
  const TConfigurationParameters &base = configurations.data[0];
  const TConfigurationParameters &record = configurations.data[k];
  const int baseCount = PositionCount(base);
  const int count = PositionCount(record);
  for (int e = 0; e < ElementCount() && e < baseCount; ++e) {
    DPOINT3 target = base.positions.data[e];
    if (k > 0 && e < count) {
      target.x += record.positions.data[e].x;
      target.y += record.positions.data[e].y;
      target.z += record.positions.data[e].z;
    }
    elements.data[e].MoveTo(target.x, target.y, target.z);
  }
  if (TEditSurface *image = ImageSurface(*this); image != nullptr && base.imageStored) {
    DPOINT3 target = base.image;
    if (k > 0 && record.imageStored) {
      target.x += record.image.x;
      target.y += record.image.y;
      target.z += record.image.z;
    }
    image->SetPosition(target.x, target.y, target.z);
  }
  // Selecting a configuration is no edit of the elements' places.
  RetakePlaces();
  if (record.AlfaM.data != nullptr) info.AlfaM = record.AlfaM;
  info.Naper = record.Naper;
  info.Unit = record.Unit;
  Dzr = record.Dzr;
}

int TSystemImage::SelectConfiguration(int index) {
  if (index < 0 || index >= ConfigurationCount()) return 0;
  if (index == currentConfiguration) return 1;
  ApplyConfiguration(index);
  currentConfiguration = index;
  MarkModelChanged();
  Update();
  RebuildElements(nullptr);
  return 1;
}

void TSystemImage::InsertConfiguration(int index) {
  // The optimization setup moves by configuration with the list, on every road.
  if (setupKeeper_ != nullptr) {
    KeepSetupOfStep();
    setupKeeper_->ConfigurationsChanging();
  }
  int at = -1;
  if (ConfigurationCount() != 0 || StoreConfiguration(0)) {
    const int count = ConfigurationCount();
    int i = index < 0 ? currentConfiguration : index;
    if (i >= count) i = count - 1;
    const TConfigurationParameters copy = configurations.data[i];
    if (configurations.Insert(i + 1, copy) == count + 1) {
      currentConfiguration = i + 1;
      StoreConfiguration(i + 1);
      modified_ = 1;
      at = i + 1;
    }
  }
  if (setupKeeper_ != nullptr) setupKeeper_->ConfigurationInserted(at);
}

void TSystemImage::DeleteConfiguration(int index) {
  const int count = ConfigurationCount();
  if (index <= 0 || index >= count) {
    SelectConfiguration(0);
    return;
  }
  if (setupKeeper_ != nullptr) {
    KeepSetupOfStep();
    setupKeeper_->ConfigurationsChanging();
  }
  const bool deleted = configurations.Delete(index) >= 0;
  // Moved before the configuration shown changes, which the views follow.
  if (setupKeeper_ != nullptr) setupKeeper_->ConfigurationDeleted(deleted ? index : -1);
  if (deleted) {
    if (index == currentConfiguration) {
      // The current record is gone: the one before it is applied whatever the index says.
      currentConfiguration = -1;
      SelectConfiguration(index - 1);
    } else if (currentConfiguration > index) {
      --currentConfiguration;
    }
    modified_ = 1;
  }
}

int TSystemImage::FirstConfiguration() { return SelectConfiguration(0); }

int TSystemImage::NextConfiguration() {
  if (currentConfiguration + 1 >= ConfigurationCount()) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  return SelectConfiguration(currentConfiguration + 1);
}

int TSystemImage::PrevConfiguration() {
  if (currentConfiguration <= 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  return SelectConfiguration(currentConfiguration - 1);
}

void TSystemImage::ForEachConfiguration() {
  const std::string path = TempPath("~~Turn.tmp");
  if (ConfigurationCount() == 0) StoreConfiguration(0);
  const int current = currentConfiguration;
  const std::string keptName = name;
  const TViewWindow keptView = viewWindow;
  // An empty name would make Save write the system's own file: no private directory, no turn.
  if (path.empty() || SurfaceCount() == 0 || !SaveOwn(path)) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  // The optimization setup turns with the surfaces, on every road: the step left keeps it
  // as it was.
  if (setupKeeper_ != nullptr) {
    KeepSetupOfStep();
    setupKeeper_->ConfigurationsChanging();
    setupKeeper_->SurfacesTurning();
  }
  std::vector<int> moved;
  // The reloads and the turn renumber nothing on their own: the turn's map is handed at the end.
  ++holdNumbers_;
  // The file keeps the surfaces relative to the first one, which it puts at the origin: each
  // reload is moved back to where the first surface stands now.
  const TSurface *firstSurface = Surface(0);
  const DPOINT3 origin(firstSurface->general.vertex[0], firstSurface->general.vertex[1],
                       firstSurface->general.vertex[2]);
  auto reload = [&]() {
    if (!LoadOwn(path) || SurfaceCount() == 0) return false;
    const double *at = Surface(0)->general.vertex;
    const DPOINT3 shift(origin.x - at[0], origin.y - at[1], origin.z - at[2]);
    if (shift.x != 0.0 || shift.y != 0.0 || shift.z != 0.0) {
      ShiftSurfaces(0, SurfaceCount() - 1, shift, 1);
      RebuildElements(nullptr);
      if (ConfigurationCount() > 0) {
        TConfigurationParameters &base = configurations.data[0];
        for (int e = 0; e < PositionCount(base); ++e) {
          base.positions.data[e].x += shift.x;
          base.positions.data[e].y += shift.y;
          base.positions.data[e].z += shift.z;
        }
        base.image = DPOINT3(base.image.x + shift.x, base.image.y + shift.y, base.image.z + shift.z);
      }
    }
    return true;
  };
  const int count = ConfigurationCount();
  Mem<TConfigurationParameters> turned;
  if (count > 0 && !turned.Allocate(count, 1)) {
    DeleteFileIfExists(path);
    --holdNumbers_;
    TakeSurfaceNumbers();
    if (setupKeeper_ != nullptr) setupKeeper_->SurfacesRenumbered(moved);
    return;
  }
  // Each configuration is turned from the untouched file, and its turned element
  // positions are kept as absolute ones first.
  for (int k = 0; k < count; ++k) {
    if (!reload()) break;
    currentConfiguration = 0;
    SelectConfiguration(k);
    TurnSystem();
    configurations.Clear();
    currentConfiguration = 0;
    RebuildElements(nullptr);
    StoreConfiguration(0);
    turned.data[k] = configurations.data[0];
  }
  // The base configuration turned is the system; the others become offsets from it.
  if (reload()) {
    const int turnedBefore = info.TurnSystem;
    TurnSystem();
    if (info.TurnSystem != turnedBefore) moved = TurnedSurfaceMap(SurfaceCount());
    RebuildElements(nullptr);
    // The turned shapes are the system's from here on, not a change to carry.
    TakeShapes();
    const TConfigurationParameters &base = turned.data[0];
    const int baseCount = PositionCount(base);
    for (int k = count - 1; k >= 1; --k) {
      TConfigurationParameters &record = turned.data[k];
      for (int e = 0; e < PositionCount(record) && e < baseCount; ++e) {
        record.positions.data[e].x -= base.positions.data[e].x;
        record.positions.data[e].y -= base.positions.data[e].y;
        record.positions.data[e].z -= base.positions.data[e].z;
      }
      if (record.imageStored && base.imageStored)
        record.image = DPOINT3(record.image.x - base.image.x, record.image.y - base.image.y,
                               record.image.z - base.image.z);
    }
    configurations = turned;
    currentConfiguration = 0;
    SelectConfiguration(current);
    Update();
  }
  DeleteFileIfExists(path);
  name = keptName;
  viewWindow = keptView;
  modified_ = 1;
  --holdNumbers_;
  TakeSurfaceNumbers();
  if (setupKeeper_ != nullptr) setupKeeper_->SurfacesRenumbered(moved);
}
