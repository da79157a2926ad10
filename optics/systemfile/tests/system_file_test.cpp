#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <utility>

#include "foundation/filewrite/file_replace.h"
#include "foundation/testing/approx.h"
#include "foundation/testing/comma_locale.h"
#include "foundation/testing/key_damage.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/model/tests/system_test_support.h"
#include "optics/systemfile/system_file_check.h"
#include "optics/systemfile/system_file_format.h"

namespace {

// One degree in radians.
constexpr double kDegree = 3.14159265358979323846 / 180.0;
// Tilt and position round-off through a rotated frame.
constexpr double kFrameRoundOff = 1e-13;

int Count(const Mem<double> &m) { return m.Cells(); }

// Every number of the model that the file carries, compared exactly.
void ExpectSameSystem(const TOpticalSystem &a, const TOpticalSystem &b) {
  ASSERT_EQ(a.SurfaceCount(), b.SurfaceCount());
  EXPECT_EQ(a.info.LambdaW, b.info.LambdaW);
  ASSERT_EQ(a.info.Spectrum.cols, b.info.Spectrum.cols);
  for (int i = 0; i < a.info.Spectrum.cols; ++i) {
    EXPECT_EQ(a.info.Spectrum.data[i].lambda, b.info.Spectrum.data[i].lambda);
    EXPECT_EQ(a.info.Spectrum.data[i].weight, b.info.Spectrum.data[i].weight);
  }
  ASSERT_EQ(Count(a.info.AlfaM), Count(b.info.AlfaM));
  for (int i = 0; i < Count(a.info.AlfaM); ++i)
    EXPECT_EQ(a.info.AlfaM.data[i], b.info.AlfaM.data[i]);
  EXPECT_EQ(a.info.Temperature, b.info.Temperature);
  EXPECT_EQ(a.info.Pressure, b.info.Pressure);
  EXPECT_EQ(a.info.N1, b.info.N1);
  EXPECT_EQ(a.info.Dentr, b.info.Dentr);
  EXPECT_EQ(a.info.Naper, b.info.Naper);
  EXPECT_EQ(a.info.Coord, b.info.Coord);
  EXPECT_EQ(a.info.Discrete, b.info.Discrete);
  for (int i = 0; i < a.SurfaceCount(); ++i) {
    const TGeneralParameters &g = a.surfaces.data[i]->general;
    const TGeneralParameters &h = b.surfaces.data[i]->general;
    EXPECT_EQ(g.type, h.type) << i;
    EXPECT_EQ(g.R, h.R) << i;
    EXPECT_EQ(g.Ex, h.Ex) << i;
    EXPECT_EQ(g.glass, h.glass) << i;
    EXPECT_EQ(g.nAfter, h.nAfter) << i;
    EXPECT_EQ(g.nBefore, h.nBefore) << i;
    EXPECT_EQ(g.Tau, h.Tau) << i;
    EXPECT_EQ(g.semiHeightExt, h.semiHeightExt) << i;
    EXPECT_EQ(g.semiWidthExt, h.semiWidthExt) << i;
    EXPECT_EQ(g.semiHeightInt, h.semiHeightInt) << i;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(g.vertex[k], h.vertex[k]) << i << " " << k;
      EXPECT_EQ(g.angles[k], h.angles[k]) << i << " " << k;
    }
    const Mem<double> &c = a.surfaces.data[i]->AsCoef;
    ASSERT_EQ(Count(c), Count(b.surfaces.data[i]->AsCoef)) << i;
    for (int k = 0; k < Count(c); ++k) EXPECT_EQ(c.data[k], b.surfaces.data[i]->AsCoef.data[k]);
    ASSERT_EQ(a.surfaces.data[i]->hoe == nullptr, b.surfaces.data[i]->hoe == nullptr) << i;
    if (a.surfaces.data[i]->hoe != nullptr) {
      const Mem<double> &v = a.surfaces.data[i]->hoe->Vh;
      ASSERT_EQ(Count(v), Count(b.surfaces.data[i]->hoe->Vh));
      for (int k = 0; k < Count(v); ++k) EXPECT_EQ(v.data[k], b.surfaces.data[i]->hoe->Vh.data[k]);
    }
  }
}

class SystemFileTest : public SystemTest {
 protected:
  // Reads text as a system file into a fresh system.
  int ReadString(TOpticalSystem &system, const std::string &text) {
    const std::string path = Scratch("input.os");
    WriteText(path, text);
    return system.ReadFile(path, 0);
  }
  static std::string Minimal(const std::string &common, const std::string &records) {
    return "[Common]\n" + common + "\n[Surfaces]\n" + records + "\n";
  }
};

TEST_F(SystemFileTest, EveryExampleSurvivesWritingAndReadingExactly) {
  for (const char *example :
       {"singlet.os", "achromat.os", "cooke_triplet.os", "spherical_mirror.os",
        "parabolic_mirror.os", "fold_mirror.os", "light_pipe.os", "germanium_ir_lens.os",
        "double_gauss.os", "prism.os", "lens_array.os", "infrared_scanner.os",
        "even_asphere_lens.os", "hologram_lens.os"}) {
    SCOPED_TRACE(example);
    TOpticalSystem first;
    ASSERT_EQ(first.ReadFile(ExamplePath(example), 0), 1);
    ASSERT_EQ(first.WriteFile(Scratch("a.os").c_str()), 1);
    TOpticalSystem second;
    ASSERT_EQ(second.ReadFile(Scratch("a.os"), 0), 1);
    ExpectSameSystem(first, second);
    ASSERT_EQ(second.WriteFile(Scratch("b.os").c_str()), 1);
    EXPECT_EQ(ReadText(Scratch("a.os")), ReadText(Scratch("b.os")));
  }
  EXPECT_EQ(BoxCount(), 0u);
}

// The items a system file gives outside the records of [Surfaces], by lower-cased header:
// "key=value" each, spaces outside quotes dropped.
std::map<std::string, std::vector<std::string>> ItemsBySection(const std::string &text) {
  std::map<std::string, std::vector<std::string>> sections;
  std::istringstream in(text);
  std::string header;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') {
      sections[header = LowerCaseAnsi(line)];
      continue;
    }
    if (!line.empty() && line[0] == '{') continue;
    std::string item;
    bool quoted = false;
    for (const char c : line + ";") {
      quoted ^= c == '"';
      if (quoted || c != ';') {
        if (quoted || c != ' ') item += c;
      } else if (!item.empty()) {
        sections[header].push_back(std::exchange(item, std::string()));
      }
    }
  }
  return sections;
}

// The reader's key check compares a file with the sections its writer gives, made in memory:
// they hold the items a save writes there, for every example the program ships.
TEST_F(SystemFileTest, TheSectionsMadeInMemoryHoldWhatASaveWritesOutsideTheRecords) {
  int compared = 0;
  for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::path(ExamplePath("x")).parent_path())) {
    if (entry.path().extension() != ".os") continue;
    SCOPED_TRACE(entry.path().string());
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(entry.path().string(), 0), 1);
    ASSERT_EQ(system.WriteFile(Scratch("saved.os").c_str()), 1);
    auto saved = ItemsBySection(ReadText(Scratch("saved.os")));
    std::erase_if(saved, [](const auto &section) {
      return section.first != "[common]" && section.first != "[surfaces]" && section.first.rfind("[surf", 0) != 0;
    });
    EXPECT_EQ(ItemsBySection(system.SectionsWritten()), saved);
    compared += saved.size() > 2 ? 1 : 0;
  }
  EXPECT_GE(compared, 3);
}

// Every key the system file's readers register, damaged every way its kind admits in a file
// the program wrote: the open names it by key and line or refuses the file, and the next
// save keeps every other value the file gave.
TEST_F(SystemFileTest, EveryKeyDamagedIsNamedAndTheRestKept) {
  for (const char *example :
       {"hologram_lens.os", "lens_array.os", "infrared_scanner.os", "even_asphere_lens.os", "double_gauss.os"}) {
    TOpticalSystem written;
    ASSERT_EQ(written.ReadFile(ExamplePath(example), 0), 1);
    ASSERT_EQ(written.WriteFile(Scratch("sound.os").c_str()), 1);
    const int opened = CheckEveryKeyDamage(example, ReadText(Scratch("sound.os")), Scratch("damaged.os"),
                                           [this](const std::string &path) {
                                             const std::size_t before = BoxCount();
                                             TOpticalSystem system;
                                             TOpenOutcome outcome;
                                             outcome.refused = system.ReadFile(path, 0) == 0;
                                             for (std::size_t k = before; k < BoxCount(); ++k)
                                               outcome.told += Boxes().boxes[k].text + "\n";
                                             if (!outcome.refused && system.WriteFile(Scratch("saved.os").c_str()) == 1)
                                               outcome.saved = ReadText(Scratch("saved.os"));
                                             return outcome;
                                           },
                                           {{"lambda", "weight"}, {"boundtypeext", "dextx"}, {"boundtypeint", "dintx"}});
    EXPECT_GT(opened, 100) << example;
  }
}

TEST_F(SystemFileTest, AwkwardNumbersOfAStackedSystemSurviveExactly) {
  TOpticalSystem system;
  system.info.Coord = 0;
  system.info.Unit = 1;
  system.info.AlfaM.Allocate(3, 1);
  system.info.AlfaM.data[0] = 0.0;
  system.info.AlfaM.data[1] = 1.0 / 7.0;
  system.info.AlfaM.data[2] = 0.1;
  system.info.Spectrum.Allocate(2, 1);
  system.info.Spectrum.data[0] = {0.4861327, 1.0 / 3.0};
  system.info.Spectrum.data[1] = {0.6562725, 2.0};
  system.info.LambdaW = 0.6562725;
  system.info.Dentr = 12.3456789012345;
  AddAt(system, 0.0, 0.0, "", 7.0);
  AddAt(system, 0.1, 1.0 / 3.0 * 100.0, "1.23456789", 5.55);
  AddAt(system, 0.1 + 3.25896, -435.76044, "", 5.55);
  AddAt(system, 0.1 + 3.25896 + 6.00755, 0.0, "", 5.55)->general.Tau = 0.02;
  system.surfaces.data[3]->SetAngles(0.3, 0.0, 0.0);  // a rolled last surface
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, 1.23456789);
  ASSERT_EQ(system.WriteFile(Scratch("a.os").c_str()), 1);
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(Scratch("a.os"), 0), 1);
  // The reader places the first surface at the origin; ours is there already.
  ExpectSameSystem(system, again);
  ASSERT_EQ(again.WriteFile(Scratch("b.os").c_str()), 1);
  EXPECT_EQ(ReadText(Scratch("a.os")), ReadText(Scratch("b.os")));
}

TEST_F(SystemFileTest, ValuesThatOnceDriftedStayPut) {
  TOpticalSystem system;
  system.info.Coord = 0;
  TSurface *object = AddAt(system, 0.0, 0.0, "N-BK7_schott", 10.0);  // glass in object space
  AddAt(system, 10.0, 0.0, "", 10.0)->general.Tau = 0.05;
  TSurface *rolled = AddAt(system, 20.0, 0.0, "", 10.0);
  rolled->SetAngles(0.25, 0.0, 0.0);
  TSurface *hologram = AddAt(system, 30.0, 0.0, "", 10.0);
  THOEParameters hoe;
  hoe.Mhxy = 10.0;
  hoe.Wlh = 0.6328;
  hoe.Vh.Allocate(3, 1);
  hoe.Vh.data[0] = 0.0;  // a first coefficient of 0 once cost the hologram on saving
  hoe.Vh.data[1] = 1e-3;
  hoe.Vh.data[2] = -2e-6;
  hologram->SetHOE(hoe, 0);
  TSurface *cylinder = AddAt(system, 35.0, 60.0, "", 10.0);
  cylinder->general.type = kSurfaceCylinder;  // its conic was once left out of the file
  cylinder->general.Ex = 0.3;
  AddAt(system, 40.0, 0.0, "", 10.0);
  system.info.N1 = 1.0;
  ASSERT_EQ(system.Prepare(0.5875618, 1, 0), 1);
  EXPECT_GT(object->general.nBefore, 1.5);  // the writer once saved this as N1

  TOpticalSystem current;
  ASSERT_EQ(system.WriteFile(Scratch("cycle.os").c_str()), 1);
  ASSERT_EQ(current.ReadFile(Scratch("cycle.os"), 0), 1);
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_EQ(current.WriteFile(Scratch("cycle.os").c_str()), 1);
    TOpticalSystem next;
    ASSERT_EQ(next.ReadFile(Scratch("cycle.os"), 0), 1);
    EXPECT_EQ(next.info.N1, 1.0);
    EXPECT_EQ(next.surfaces.data[1]->general.Tau, 0.05);
    EXPECT_EQ(next.surfaces.data[2]->general.Tau, 0.0);
    EXPECT_EQ(next.surfaces.data[2]->general.angles[0], 0.25);
    ASSERT_NE(next.surfaces.data[3]->hoe, nullptr);
    ASSERT_EQ(Count(next.surfaces.data[3]->hoe->Vh), 3);
    EXPECT_EQ(next.surfaces.data[3]->hoe->Vh.data[1], 1e-3);
    EXPECT_EQ(next.surfaces.data[4]->GetType(), kSurfaceCylinder);
    EXPECT_EQ(next.surfaces.data[4]->general.Ex, 0.3);
    ExpectSameSystem(current, next);
    current = next;
  }
}

TEST_F(SystemFileTest, ThermalExpansionActsOncePerTemperatureChange) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
  const double radius = system.surfaces.data[1]->general.R;
  const double gap =
      system.surfaces.data[2]->general.vertex[0] - system.surfaces.data[1]->general.vertex[0];
  TGlassCatalog catalog(SourceRoot() + "/resources/cglass", "schott");
  const double alpha = catalog.GetGlass("N-BK7")->MeanAlfa(20.0, 70.0) * 1e-7;
  ASSERT_GT(alpha, 1e-6);
  system.info.Temperature = 70.0;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  const double k = 1.0 + alpha * 50.0;
  EXPECT_APPROX(system.surfaces.data[1]->general.R, radius * k, 1e-14);
  EXPECT_APPROX(
      system.surfaces.data[2]->general.vertex[0] - system.surfaces.data[1]->general.vertex[0],
      gap * k, 1e-14);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);  // no second expansion
  EXPECT_APPROX(system.surfaces.data[1]->general.R, radius * k, 1e-14);

  ASSERT_EQ(system.WriteFile(Scratch("hot.os").c_str()), 1);
  TOpticalSystem hot;
  ASSERT_EQ(hot.ReadFile(Scratch("hot.os"), 0), 1);
  EXPECT_EQ(hot.info.Temperature, 70.0);
  EXPECT_EQ(hot.surfaces.data[1]->general.R, system.surfaces.data[1]->general.R);
}

TEST_F(SystemFileTest, SectionsTheReaderDoesNotKnowAreKeptByteForByte) {
  const std::string config = "[Config_1]\nPositions=1,2,3\r\nName=front; Zoom=2\n\n";
  const std::string remark = "[Remark]\nA note the user wrote.\n  Indented line; with = signs\n";
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
  // A system without a remark of its own leaves the file's as it is.
  system.remark.clear();
  const std::string path = Scratch("kept.os");
  WriteText(path, "[Common]\nNsurf=0\n\n" + config + remark);
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  const std::string text = ReadText(path);
  EXPECT_NE(text.find(config), std::string::npos) << text;
  EXPECT_NE(text.find(remark), std::string::npos) << text;
  EXPECT_EQ(text.find("[Remark]"), text.rfind("[Remark]"));

  const std::string fresh = Scratch("new.os");
  ASSERT_EQ(system.WriteFile(fresh.c_str()), 1);
  const std::string written = ReadText(fresh);
  // The end section follows the remark, last.
  EXPECT_EQ(written.substr(written.size() - 15), "[Remark]\n[End]\n");
  EXPECT_EQ(written.find("[Common]"), 0u);
}

// A save whose file its own reader would refuse (a section kept from the old file takes it
// past the reader's size limit) is not written: the old file stays and the fault says why.
TEST_F(SystemFileTest, ASaveTheReaderWouldRefuseForItsSizeKeepsTheOldFile) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
  // The old file just fits; the system's own lines take the new one past the limit.
  std::string before = "[Common]\nNsurf=0\n\n[Notes]\n";
  const std::string note = std::string(79, 'n') + '\n';
  while (before.size() + note.size() <= static_cast<std::size_t>(kSystemFileMaxBytes) - 64) before += note;
  const std::string path = Scratch("notes.os");
  WriteText(path, before);
  TFileWriteResult why;
  EXPECT_EQ(system.WriteFile(path.c_str(), nullptr, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kTooLarge);
  EXPECT_NE(FileWriteFaultText(path, why).find("larger than the program reads back"), std::string::npos);
  EXPECT_TRUE(ReadText(path) == before) << "the old file is kept";
  for (const auto &entry : std::filesystem::directory_iterator(Scratch("")))
    EXPECT_EQ(entry.path().filename(), "notes.os") << "no work copy is left";
}

TEST_F(SystemFileTest, StaleSurfaceSectionsAreRemoved) {
  TOpticalSystem system;
  for (int i = 0; i < 5; ++i) AddAt(system, 10.0 * i, 0.0, "", 5.0);
  const double coefficients[2] = {0.5, 1e-4};
  system.surfaces.data[2]->AsCoef.Allocate(2, 1);
  system.surfaces.data[2]->AsCoef.data[0] = coefficients[0];
  system.surfaces.data[2]->AsCoef.data[1] = coefficients[1];
  system.surfaces.data[2]->hasAsCoef = 1;
  system.surfaces.data[2]->general.type = kSurfaceAsphericStandard;
  system.surfaces.data[4]->general.type = kSurfaceCylinder;
  system.surfaces.data[4]->zones.Allocate(2, 1);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  const std::string path = Scratch("stale.os");
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  std::string text = ReadText(path);
  ASSERT_NE(text.find("[Surface_3]"), std::string::npos);
  ASSERT_NE(text.find("[Surf_5_Zone_2]"), std::string::npos);

  // Surface 3 loses its coefficients and the system its last two surfaces.
  system.surfaces.data[2]->AsCoef.Clear();
  system.surfaces.data[2]->hasAsCoef = 0;
  system.surfaces.data[2]->general.type = kSurfacePlane;
  system.DeleteSurface(4);
  system.DeleteSurface(3);
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  text = ReadText(path);
  EXPECT_EQ(text.find("[Surface_3]"), std::string::npos) << text;
  EXPECT_EQ(text.find("[Surface_5]"), std::string::npos) << text;
  EXPECT_EQ(text.find("[Surf_5_Zone"), std::string::npos) << text;
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(path, 0), 1);
  ASSERT_EQ(again.SurfaceCount(), 3);
  EXPECT_EQ(again.surfaces.data[2]->hasAsCoef, 0);
  EXPECT_EQ(again.surfaces.data[2]->GetType(), kSurfacePlane);
}

TEST_F(SystemFileTest, AFailedWriteLeavesThePreviousFileWhole) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  const std::string path = Scratch("keep.os");
  const std::string before = "[Common]\nName=Earlier\nNsurf=0\n[Remark]\nold\n";
  WriteText(path, before);
  // The new text cannot be written whole (the disk is full, for any user; here a file
  // size limit stands in for it).
  rlimit limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{64, limit.rlim_max};
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const int written = system.WriteFile(path.c_str());
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(ReadText(path), before);
  EXPECT_EQ(Boxes().beeps.size(), 0u);  // the rewrite started; only finishing it failed
  for (const auto &entry : std::filesystem::directory_iterator(Scratch("")))
    EXPECT_EQ(entry.path().filename(), "keep.os") << "no work copy is left";

  // A read-only file is not written at all.
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(system.WriteFile(path.c_str()), 0);
  EXPECT_EQ(ReadText(path), before);
  ::chmod(path.c_str(), 0644);
  EXPECT_EQ(system.WriteFile(path.c_str()), 1);
  EXPECT_NE(ReadText(path).find("Nsurf=8"), std::string::npos);
}

TEST_F(SystemFileTest, NameModesChooseTheSystemName) {
  const std::string path = Scratch("named.os");
  // Two surfaces: the preparation's pupil solve refuses a system of one.
  WriteText(path, Minimal("Name=From file\nNpow=2\nDiscrette=0.25",
                          "{ R=0; Glass=\"\"; Dx=5; DextY=2; }\n{ R=0; Glass=\"\"; DextY=2; }\n"));
  TOpticalSystem system;
  system.name = "Before";
  ASSERT_EQ(system.ReadFile(path, 2), 1);
  EXPECT_EQ(system.name, "Before");
  EXPECT_EQ(system.SurfaceCount(), 2);  // Npow is the older name of Nsurf
  EXPECT_EQ(system.info.Discrete, 0.25);
  ASSERT_EQ(system.ReadFile(path, 1), 1);
  EXPECT_EQ(system.name, path);
  ASSERT_EQ(system.ReadFile(path, 0), 1);
  EXPECT_EQ(system.name, "From file");
}

TEST_F(SystemFileTest, BrokenFilesAreRefusedAndTheLoadedSystemKept) {
  const std::string good = ReadText(ExamplePath("singlet.os"));
  const std::string records =
      "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n";
  struct Case {
    const char *what;
    std::string text;
    const char *named;  // a part of the message
  };
  const Case cases[] = {
      {"truncated", good.substr(0, good.find("R=-50") + 3), "line"},
      {"wrong type", Minimal("Nsurf=2", "{ R=abc; Glass=\"\"; }\n{ R=0; }\n"), "abc"},
      {"negative wavelength", Minimal("Nsurf=2\nLambda=-0.5", records), "wavelength"},
      {"no surrounding index", Minimal("Nsurf=2\nN1=0", records), "surrounding index"},
      {"million surfaces", Minimal("Nsurf=1000000", records), "1000000"},
      // Past a thousand the stop search would take minutes: refused at once.
      {"thousand and one surfaces", Minimal("Nsurf=1001", records), "at most 1000"},
      {"not a system", "Some notes\nR=5\n", "not an optical system file"},
      {"binary", std::string("[Common]\nNsurf=1\0\1\2", 19), "not a text file"},
      {"surface type", Minimal("Nsurf=2", records) + "[Surface_2]\nTypeAspher=42\n", "type 42"},
      // Records whose count was lost are not dropped as if the system were empty.
      {"records without a count", Minimal("Name=Lost count", records), "no number of surfaces (Nsurf)"},
      {"records with a count of none", Minimal("Nsurf=0", records), "no number of surfaces (Nsurf)"},
      // A count read as 13 would be another system than the file's.
      {"fractional count", Minimal("Nsurf=13.5", records), "line 2: the value \"13.5\" of Nsurf is not a whole number"},
      {"far offset", Minimal("Nsurf=2", "{ R=0; Dx=1e308; }\n{ R=50; }\n"), "line 4: surface 1 gives Dx=1e+308"},
      {"two records on a line", Minimal("Nsurf=2", "{ R=0; Glass=\"\"; DextY=2; } { R=5; Glass=\"\"; DextY=2; }\n"),
       "line 4: text follows the end of the record"},
      {"far offset below", Minimal("Nsurf=2", "{ R=0; }\n{ R=50; Dy=-1e308; }\n"), "line 5: surface 2 gives Dy=-1e+308"},
      {"hotter than the General page takes", Minimal("Nsurf=2\nTemperature=1e308", records), "line 3: Temperature=1e+308 is outside"},
      {"below absolute zero", Minimal("Nsurf=2\nTemperature=-300; Pressure=760", records), "line 3: Temperature=-300 is outside"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
    const std::size_t boxesBefore = BoxCount();
    EXPECT_EQ(ReadString(system, c.text), 0);
    ASSERT_EQ(BoxCount(), boxesBefore + 1);
    EXPECT_NE(Boxes().boxes.back().text.find(c.named), std::string::npos)
        << Boxes().boxes.back().text;
    // The singlet is still loaded, whole.
    ASSERT_EQ(system.SurfaceCount(), 4);
    EXPECT_EQ(system.surfaces.data[1]->general.R, 50.0);
    EXPECT_EQ(system.name, "Biconvex singlet");
    EXPECT_EQ(system.info.LambdaW, 0.5875618);
  }
  TOpticalSystem system;
  EXPECT_EQ(system.ReadFile(Scratch("absent.os"), 0), 0);
  // A pipe is no system file: refused at once rather than waited on.
  ASSERT_EQ(::mkfifo(Scratch("pipe.os").c_str(), 0600), 0);
  EXPECT_EQ(system.ReadFile(Scratch("pipe.os"), 0), 0);
  EXPECT_EQ(system.ReadFile(Scratch(""), 0), 0);  // the directory itself
  EXPECT_EQ(system.WriteFile(Scratch("pipe.os").c_str()), 0);
}

TEST_F(SystemFileTest, SurfaceCountsThatDifferFromTheRecordsAreRead) {
  const std::string records =
      "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n{ R=50; Glass=\"\"; Dx=4; DextY=24; }\n";
  TOpticalSystem system;
  // More records than surfaces: the count wins, and the user is told what was left out.
  ASSERT_EQ(ReadString(system, Minimal("Nsurf=2", records + "{ R=7; DextY=2; }\n")), 1);
  ASSERT_EQ(system.SurfaceCount(), 2);
  EXPECT_EQ(system.surfaces.data[1]->general.semiHeightExt, 12.0);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
  EXPECT_NE(Boxes().boxes.back().text.find("the last 1 were not read"), std::string::npos)
      << Boxes().boxes.back().text;

  // Fewer records than surfaces, or no [Surfaces] at all: a file cut short, refused; no
  // surface is ever made up, and the loaded system stays.
  const struct {
    std::string text;
    const char *says;
  } cut[] = {{Minimal("Nsurf=3", records), "gives 3 surfaces but holds only 2 surface records"},
             {Minimal("Nsurf=3", records + "Note=\"R=7; DextY=2\""), "holds only 2 surface records"},
             {"[Common]\nNsurf=2\n", "holds no [Surfaces] section"}};
  for (const auto &c : cut) {
    EXPECT_EQ(ReadString(system, c.text), 0);
    ASSERT_EQ(system.SurfaceCount(), 2);
    EXPECT_EQ(system.surfaces.data[1]->general.R, 50.0);
    EXPECT_NE(Boxes().boxes.back().text.find(c.says), std::string::npos) << Boxes().boxes.back().text;
  }
  EXPECT_EQ(BoxCount(), 4u);

  // A record without its braces is a record: read and named by its line in the middle, named
  // by its line as beyond the count (never as read) at the end.
  const struct {
    std::string text;
    int surfaces;
    const char *says;
  } braceless[] = {
      {Minimal("Nsurf=3", "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\nR=50; Glass=\"\"; Dx=4; DextY=24\n{ R=7; DextY=2; }"), 3,
       "line 5: [Surfaces] holds the keys of a record without its braces; they are read as record 2."},
      {Minimal("Nsurf=2", records + "R=7; Glass=\"\"; DextY=2"), 2,
       "line 6 gives 2 surfaces (Nsurf, line 2) but holds 3 surface records; the last 1 were not read, and the next "
       "save leaves them out."}};
  for (const auto &b : braceless) {
    ASSERT_EQ(ReadString(system, b.text), 1) << Boxes().boxes.back().text;
    ASSERT_EQ(system.SurfaceCount(), b.surfaces);
    EXPECT_EQ(system.surfaces.data[1]->general.R, 50.0);
    const std::string told = Boxes().boxes.back().text;
    EXPECT_NE(told.find(b.says), std::string::npos) << told;
    EXPECT_EQ(told.find("read as record 3"), std::string::npos) << told;
  }
}

// Every cut at a line end of a saved system that loses anything is refused (surfaces are
// never made up) or opened with a warning naming the section it was cut in.
TEST_F(SystemFileTest, EveryLineCutOfASavedDoubleGaussIsRefusedOrTold) {
  TOpticalSystem saved;
  ASSERT_EQ(saved.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  ASSERT_EQ(saved.WriteFile(Scratch("whole.os").c_str()), 1);
  const std::string whole = ReadText(Scratch("whole.os"));
  int cuts = 0;
  for (std::size_t end = whole.find('\n'); end + 1 < whole.size(); end = whole.find('\n', end + 1)) {
    SCOPED_TRACE(whole.substr(0, end + 1));
    ++cuts;
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
    const std::size_t boxes = BoxCount();
    const int read = ReadString(system, whole.substr(0, end + 1));
    ASSERT_EQ(BoxCount(), boxes + 1) << "a cut taken without a word";
    if (read == 1) {
      EXPECT_EQ(system.SurfaceCount(), saved.SurfaceCount());
      EXPECT_NE(Boxes().boxes.back().text.find("was cut short inside its section"), std::string::npos);
    } else {
      EXPECT_EQ(system.SurfaceCount(), 4) << "the open singlet stays";
    }
  }
  EXPECT_GT(cuts, 40);
}

// A saved system cut at every byte, header lines and surface sections included, is refused
// with the open system kept, or opened whole with a warning naming the section it was cut
// in: no cut ever loses surface data in silence (the hologram's phase terms, a surface
// count read as none).
TEST_F(SystemFileTest, EveryByteCutOfASavedSystemIsRefusedOrOpenedWhole) {
  for (const char *example : {"hologram_lens.os", "double_gauss.os"}) {
    TOpticalSystem saved;
    ASSERT_EQ(saved.ReadFile(ExamplePath(example), 0), 1);
    ASSERT_EQ(saved.WriteFile(Scratch("whole.os").c_str()), 1);
    const std::string whole = ReadText(Scratch("whole.os"));
    const std::size_t endHeader = whole.find("[End]");
    ASSERT_NE(endHeader, std::string::npos);
    int refused = 0;
    for (std::size_t length = 1; length < whole.size(); ++length) {
      const std::string cut = whole.substr(0, length);
      SCOPED_TRACE(testing::Message() << example << ", first " << length << " bytes");
      TOpticalSystem system;
      ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
      const std::size_t boxes = BoxCount();
      const int read = ReadString(system, cut);
      // The line the cut ends in (npos + 1 is 0): a section name left open is no section.
      const std::string lastLine = cut.substr(cut.rfind('\n') + 1);
      const bool openHeader = !lastLine.empty() && lastLine[0] == '[' && lastLine.find(']') == std::string::npos;
      if (read == 1) {
        EXPECT_FALSE(openHeader);
        ExpectSameSystem(saved, system);
        if (length < endHeader + 5) {
          ASSERT_EQ(BoxCount(), boxes + 1) << "a cut taken without a word";
          EXPECT_NE(Boxes().boxes.back().text.find("was cut short inside its section [Remark]"), std::string::npos)
              << Boxes().boxes.back().text;
        }
      } else {
        ++refused;
        ASSERT_EQ(BoxCount(), boxes + 1) << "a refusal without a word";
        EXPECT_EQ(system.SurfaceCount(), 4) << "the open singlet stays";
        EXPECT_TRUE(!openHeader || Boxes().boxes.back().text.find("is not closed") != std::string::npos)
            << Boxes().boxes.back().text;
      }
      if (HasFailure()) return;
    }
    // Everything up to the remark is surface data, refused when cut.
    EXPECT_GE(refused, static_cast<int>(whole.find("[Remark]")));
  }
}

// A file cut right after the surface count's key, with or without its "=", or a key left
// without its value, never reads as a system of no surfaces.
TEST_F(SystemFileTest, AKeyCutBeforeItsValueIsRefused) {
  const std::string text = ReadText(ExamplePath("double_gauss.os"));
  const std::size_t count = text.find("Nsurf=");
  ASSERT_NE(count, std::string::npos);
  const struct {
    std::string text;
    const char *says;
  } cases[] = {
      {text.substr(0, count + 5), "the key Nsurf has no value"},
      {text.substr(0, count + 6), "Nsurf gives no number of surfaces"},
      {text.substr(0, count + 6) + "\nEndSection=1\n", "Nsurf gives no number of surfaces"},
      {text.substr(0, text.find("Nd=") + 2), "the key Nd has no value"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text.substr(c.text.size() - 20));
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
    EXPECT_EQ(ReadString(system, c.text), 0);
    EXPECT_EQ(system.SurfaceCount(), 4);
    EXPECT_NE(Boxes().boxes.back().text.find(c.says), std::string::npos) << Boxes().boxes.back().text;
  }
}

// A save over a file filled from outside with zeros writes one the reader takes: the zeros
// are left out, and the user is told.
TEST_F(SystemFileTest, ASaveOverADamagedFileReadsBackWithoutRefusal) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  const std::string path = Scratch("z.os");
  for (const std::string &old : {std::string(4096, '\0'), std::string(100, '\0') + "\n[Remark]\nkept" + '\0' + "\n"}) {
    WriteText(path, old);
    const std::size_t boxes = BoxCount();
    ASSERT_EQ(system.WriteFile(path.c_str()), 1);
    ASSERT_EQ(BoxCount(), boxes + 1);
    EXPECT_NE(Boxes().boxes.back().text.find("was damaged"), std::string::npos);
    TOpticalSystem again;
    ASSERT_EQ(again.ReadFile(path, 0), 1);
    EXPECT_EQ(BoxCount(), boxes + 1) << Boxes().boxes.back().text;
    EXPECT_EQ(again.SurfaceCount(), system.SurfaceCount());
  }
}

TEST_F(SystemFileTest, AZeroInsideTheWavelengthListStaysAnEntryThatIsNeverTraced) {
  std::string text = ReadText(ExamplePath("singlet.os"));
  const std::string single = "MonochromeSystem=1\nLambdaW=0.5875618\nLambda=0.5875618\nWeight=1";
  ASSERT_NE(text.find(single), std::string::npos);
  text.replace(text.find(single), single.size(),
               "MonochromeSystem=0\nLambdaW=0.5875618\nLambda=0.4861327,0,0.6562725\n"
               "Weight=1,5,1");
  TOpticalSystem system;
  ASSERT_EQ(ReadString(system, text), 1);
  ASSERT_EQ(system.info.Spectrum.cols, 3);
  EXPECT_EQ(system.info.Spectrum.data[1].lambda, 0.0);
  EXPECT_EQ(system.info.Spectrum.data[1].weight, 5.0);
  // The 0 widens no range: N-BK7 covers the F and C lines, so the pupils are solved.
  EXPECT_EQ(system.FindGlassesOutOfRange(), "");
  EXPECT_EQ(system.info.LambdaW, 0.5875618);
  EXPECT_GT(system.info.entrancePupilDiameter, 0.0);
  // Indices asked for at the 0 entry are those at the working wavelength, not 1/0.
  ASSERT_EQ(system.ComputeIndices(0.5875618, 0.0, 0.0), "");
  const double atWorking = system.surfaces.data[1]->general.nAfter;
  EXPECT_EQ(system.ComputeIndices(system.info.Spectrum.data[1].lambda, 0.0, 0.0), "");
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, atWorking);
  // A working wavelength outside the list falls back on a real wavelength, never on the 0:
  // the weighted mean 0.2857 is nearest the F line.
  text.replace(text.find("LambdaW=0.5875618"), 17, "LambdaW=0.8");
  ASSERT_EQ(ReadString(system, text), 1);
  EXPECT_EQ(system.info.LambdaW, 0.4861327);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_NE(Boxes().boxes[0].text.find("line 4: LambdaW=0.8 lies outside the spectrum 0.4861327 to 0.6562725; 0.4861327 is used."),
            std::string::npos) << Boxes().boxes[0].text;
  // Saved and read again, the list keeps its three entries.
  ASSERT_EQ(system.WriteFile(Scratch("zero.os").c_str()), 1);
  EXPECT_NE(ReadText(Scratch("zero.os")).find("Lambda=0.4861327,0,0.6562725\n"),
            std::string::npos);
  TOpticalSystem back;
  ASSERT_EQ(back.ReadFile(Scratch("zero.os"), 0), 1);
  ExpectSameSystem(system, back);
  EXPECT_EQ(BoxCount(), 1u);
}

TEST_F(SystemFileTest, ASurroundingIndexBelowOneIsKept) {
  const std::string records =
      "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n";
  TOpticalSystem system;
  ASSERT_EQ(ReadString(system, Minimal("Nsurf=2\nN1=0.8", records)), 1);
  EXPECT_EQ(system.info.N1, 0.8);
  ASSERT_EQ(system.WriteFile(Scratch("low.os").c_str()), 1);
  TOpticalSystem back;
  ASSERT_EQ(back.ReadFile(Scratch("low.os"), 0), 1);
  EXPECT_EQ(back.info.N1, 0.8);
}

TEST_F(SystemFileTest, NamesComeBackAsTheyWereWritten) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), 0), 1);
  const std::string names[] = {"Doublet; \"fast\" version", "\"quoted\"", "50% off; 25%22 kept",
                               "two\nlines", "  padded  ", "a=b, c!d / (e) {f}"};
  for (const std::string &name : names) {
    SCOPED_TRACE(name);
    system.name = name;
    system.surfaces.data[3]->general.glass = name;
    ASSERT_EQ(system.WriteFile(Scratch("named.os").c_str()), 1);
    TOpticalSystem back;
    // No catalog holds such a glass: the preparation fails, the data read stays.
    back.ReadFile(Scratch("named.os"), 0);
    EXPECT_EQ(back.name, name);
    ASSERT_EQ(back.SurfaceCount(), 4);
    EXPECT_EQ(back.surfaces.data[3]->general.glass, LowerCaseAnsi(name));
  }
}

TEST_F(SystemFileTest, NumbersKeepTheirPointUnderADecimalCommaLocale) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  const std::string path = Scratch("comma.os");
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  EXPECT_NE(ReadText(path).find("LambdaW=0.5875618\n"), std::string::npos);
  TOpticalSystem back;
  ASSERT_EQ(back.ReadFile(path, 0), 1);
  ExpectSameSystem(system, back);
}

TEST_F(SystemFileTest, MissingGlassWarnsNamesItOnceAndKeepsTheData) {
  const std::string text = Minimal("Nsurf=3",
                                   "{ R=0; Glass=\"\"; Dx=5; DextY=10; }\n"
                                   "{ R=20; Glass=\"UNOBTAINIUM_schott\"; Dx=3; DextY=10; }\n"
                                   "{ R=-20; Glass=\"unobtainium_schott\"; DextY=10; }\n");
  TOpticalSystem system;
  // The file opens, so that the user can type another glass; the system is not traced.
  EXPECT_EQ(ReadString(system, text), 1);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].caption, "Warning");
  EXPECT_EQ(Boxes().boxes[0].text,
            "These glasses are absent or not transparent:\nunobtainium_schott");
  ASSERT_EQ(system.SurfaceCount(), 3);
  EXPECT_EQ(system.surfaces.data[1]->general.glass, "unobtainium_schott");
  EXPECT_EQ(system.surfaces.data[1]->general.R, 20.0);
  EXPECT_EQ(system.materialsMissing, 1);
}

TEST_F(SystemFileTest, ReaderRulesForShapesBoundsAndMirrors) {
  TOpticalSystem system;
  ASSERT_EQ(
      ReadString(system,
                 Minimal("Nsurf=5",
                         "{ R=0; Glass=\"\"; DextY=10; }\n"
                         "{ R=25; Glass=\"\"; }\n"
                         "{ R=0; Ex=-1; Glass=\"REFL\"; DextY=8; }\n"
                         "{ R=30; Glass=\"\"; DextY=8; }\n"
                         "{ R=40; Glass=\"\"; DextY=8; DextX=4; BoundTypeExt=3; }\n") +
                     "[Surface_4]\nTypeAspher=6\n[Surface_5]\nTypeAspher=7\nAsCoef=1,2,3,4,5;\n"),
      1);
  EXPECT_EQ(system.surfaces.data[0]->GetType(), kSurfacePlane);
  EXPECT_EQ(system.surfaces.data[1]->GetType(), kSurfaceSphere);
  EXPECT_EQ(system.surfaces.data[2]->GetType(), kSurfaceAspheric2);
  EXPECT_EQ(system.surfaces.data[3]->GetType(), kSurfaceCylinder);
  EXPECT_EQ(system.surfaces.data[2]->general.materialKind, 1);
  EXPECT_EQ(system.surfaces.data[2]->general.glass, "refl");
  EXPECT_EQ(system.surfaces.data[1]->general.semiHeightExt, 0.000005);  // no DextY
  EXPECT_EQ(system.surfaces.data[0]->general.semiWidthExt, 5.0);        // round
  EXPECT_EQ(system.surfaces.data[4]->general.semiWidthExt, 2.0);
  EXPECT_EQ(Count(system.surfaces.data[4]->AsCoef), 3);  // a torus has three
}

TEST_F(SystemFileTest, CommonSettingsFollowTheReaderRules) {
  const std::string records =
      "{ R=0; Glass=\"\"; Dx=1; DextY=10; }\n{ R=0; Glass=\"\"; DextY=10; }\n";
  TOpticalSystem system;
  ASSERT_EQ(
      ReadString(system, Minimal("Nsurf=2\nNd=10\nLambda=0.48,0.54,0.65\nWeight=1,0,2\nLambdaW=1\n"
                                 "AlfaM=0,10,0;\nUnit=1",
                                 records)),
      1);
  EXPECT_EQ(system.info.Nd, 64);
  ASSERT_EQ(system.info.Spectrum.cols, 3);
  EXPECT_EQ(system.info.Spectrum.data[1].weight, 1.0);
  EXPECT_EQ(system.info.Spectrum.data[2].weight, 2.0);
  EXPECT_EQ(system.info.LambdaW, 0.54);  // nearest the weighted mean 0.58
  ASSERT_EQ(Count(system.info.AlfaM), 2);
  EXPECT_APPROX(system.info.AlfaM.data[1], 10.0 / 60.0, 1e-16);
  ASSERT_EQ(system.WriteFile(Scratch("out.os").c_str()), 1);
  EXPECT_NE(ReadText(Scratch("out.os")).find("AlfaM=0,10;\n"), std::string::npos);

  ASSERT_EQ(
      ReadString(system, Minimal("Nsurf=2\nNd=5000\nLambda=0.48,0.54,0.65\nLambdaW=0.6", records)),
      1);
  EXPECT_EQ(system.info.Nd, 2048);
  EXPECT_EQ(system.info.LambdaW, 0.6);
  // No wavelengths at all: the working wavelength is the spectrum.
  ASSERT_EQ(ReadString(system, Minimal("Nsurf=2\nLambdaW=0.6328", records)), 1);
  ASSERT_EQ(system.info.Spectrum.cols, 1);
  EXPECT_EQ(system.info.Spectrum.data[0].lambda, 0.6328);
}

TEST_F(SystemFileTest, WriterRulesForSmallValuesTiltsAndCoefficients) {
  TOpticalSystem system;
  system.info.Coord = 1;
  AddAt(system, 0.0, 0.0, "", 5.0)->SetPosition(0.0, 1e-11, 0.0);
  TSurface *tilted = AddAt(system, 10.0, 0.0, "", 5.0);
  tilted->SetAngles(0.5 * kDegree, 0.0, 0.0);
  tilted->general.type = kSurfaceAsphericStandard;
  tilted->AsCoef.Allocate(4, 1);
  const double coefficients[4] = {1.2, 0.0, 3e-5, 0.0};
  for (int k = 0; k < 4; ++k) tilted->AsCoef.data[k] = coefficients[k];
  tilted->hasAsCoef = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_EQ(system.WriteFile(Scratch("w.os").c_str()), 1);
  const std::string text = ReadText(Scratch("w.os"));
  EXPECT_EQ(text.find("Dy="), std::string::npos);
  EXPECT_NE(text.find("AlfaX=0.5; "), std::string::npos) << text;
  EXPECT_NE(text.find("AsCoef=1.2,0,3e-05,0;"), std::string::npos) << text;
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(Scratch("w.os"), 0), 1);
  // Half a degree is pi / 360 = 0.0087266462599716...
  EXPECT_APPROX(again.surfaces.data[1]->general.angles[0], 0.0087266462599716478, 1e-17);
  ASSERT_EQ(Count(again.surfaces.data[1]->AsCoef), 3);
  EXPECT_EQ(again.surfaces.data[1]->AsCoef.data[2], 3e-5);
}

TEST_F(SystemFileTest, HologramAndZoneSectionsReadTheirDefaults) {
  const std::string records =
      "{ R=0; Glass=\"\"; Dx=1; DextY=10; }\n{ R=0; Glass=\"\"; DextY=10; }\n";
  TOpticalSystem system;
  ASSERT_EQ(ReadString(system, Minimal("Nsurf=2", records) +
                                   "[Surface_1]\nMhxy=5; Wlh=0.6; pD=1; Quantum=2; Nv=0\nVh=1,2;\n"
                                   "[Surface_2]\nNRasterZones=1\n[Surf_2_Zone_1]\nHMikroLens=0.5\n"
                                   "MicroCoef=7, 0, 0\n"),
            1);
  EXPECT_EQ(system.surfaces.data[0]->hoe, nullptr);
  ASSERT_EQ(system.surfaces.data[1]->zones.cols, 1);
  const TRasterZone &zone = system.surfaces.data[1]->zones.data[0];
  EXPECT_EQ(zone.HMikroLens, 0.5);
  EXPECT_EQ(zone.Packing, 2);
  ASSERT_EQ(Count(zone.PackCoef), 4);
  EXPECT_EQ(zone.PackCoef.data[0], 0.0);
  ASSERT_EQ(Count(zone.MicroCoef), 1);
  EXPECT_EQ(zone.MicroCoef.data[0], 7.0);
}

TEST_F(SystemFileTest, TiltedStackedSystemKeepsItsGeometry) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("fold_mirror.os"), 0), 1);
  system.info.Coord = 0;  // save the folded system as offsets and relative tilts
  ASSERT_EQ(system.WriteFile(Scratch("fold0.os").c_str()), 1);
  TOpticalSystem stacked;
  ASSERT_EQ(stacked.ReadFile(Scratch("fold0.os"), 0), 1);
  ASSERT_EQ(stacked.SurfaceCount(), 5);
  for (int i = 0; i < 5; ++i)
    for (int k = 0; k < 3; ++k) {
      EXPECT_APPROX(stacked.surfaces.data[i]->general.vertex[k],
                    system.surfaces.data[i]->general.vertex[k], kFrameRoundOff);
      EXPECT_APPROX(stacked.surfaces.data[i]->general.angles[k],
                    system.surfaces.data[i]->general.angles[k], kFrameRoundOff);
    }
}

}  // namespace

namespace {

// Damaged copies of a real file: cut short, bytes changed, lines doubled. Every one is
// either refused with a message or read into a system that traces without harm.
TEST_F(SystemFileTest, DamagedFilesNeverBreakTheReader) {
  constexpr unsigned kSeed = 20261207;
  std::printf("seed %u\n", kSeed);
  std::srand(kSeed);
  const std::string good = ReadText(ExamplePath("cooke_triplet.os"));
  const char kNoise[] = "0123456789.-+eE;,={}[]\"!abcXYZ \n";
  for (int trial = 0; trial < 300; ++trial) {
    std::string text = good;
    const int kind = trial % 3;
    const std::size_t at = static_cast<std::size_t>(std::rand()) % text.size();
    if (kind == 0) {
      text.resize(at);
    } else if (kind == 1) {
      for (int k = 0; k < 4; ++k)
        text[static_cast<std::size_t>(std::rand()) % text.size()] =
            kNoise[static_cast<std::size_t>(std::rand()) % (sizeof kNoise - 1)];
    } else {
      const std::size_t end = text.find('\n', at);
      text.insert(at, text.substr(at, end == std::string::npos ? 0 : end - at + 1));
    }
    SCOPED_TRACE(trial);
    TOpticalSystem system;
    const std::size_t boxesBefore = BoxCount();
    if (ReadString(system, text) == 1) {
      TCurrentRay ray = RayAlong(-1.0, 1.0, 0.5, 1.0, 0.01, 0.0);
      Mem<TIntersectionPoint> hits;
      system.TraceRay(ray, -1, &hits, 0);
      ASSERT_GE(hits.cols, 1);
      EXPECT_EQ(hits.data[hits.cols - 1].x, kHitListEnd);
    } else {
      EXPECT_GT(BoxCount(), boxesBefore);  // a refusal always says why
    }
  }
}

}  // namespace

namespace {

// Values the reader repairs are repaired as before, and now said, naming surface and key.
// Values no setting means are told by key and line and put in range; values that mean a
// setting the program never writes (no stop of the user's, no diameter, a weight of 1) keep
// it and are said; the 0 the program writes opens quietly.
TEST_F(SystemFileTest, ValuesOutOfRangeOpenToldByKeyAndLine) {
  const std::string records = "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n";
  const struct {
    std::string common;
    std::string records;
    const char *says;  // "" when nothing is to be said
  } cases[] = {
      {"Nray=-21", records, "line 3: Nray=-21 is outside 3 to 1001; 3 is used"},
      {"Nray=2000000000", records, "line 3: Nray=2000000000 is outside 3 to 1001; 1001 is used"},
      {"Naper=9", records, "line 3: Naper=9 is beyond the 2 surfaces: the stop is found by the search"},
      {"Naper=-1", records, "line 3: Naper=-1 names no surface: the stop is found by the search"},
      {"Dentr=-3", records, "line 3: Dentr=-3 gives no diameter"},
      {"Lambda=0.55,0.6\nWeight=1,-2", records, "line 4: the weight -2 of the wavelength 0.6 is taken as 1"},
      {"Lambda=0.55,0.6\nWeight=1,0", records, "line 4: the weight 0 of the wavelength 0.6 is taken as 1"},
      {"Lambda=0.55,0.6\nWeight=1,1e308", records, "line 4: Weight=1e308 is outside -1e+06 to 1e+06; it is not read, 1 is used"},
      {"LambdaW=0.9\nLambda=0.5,0.6,0.7", records, "line 3: LambdaW=0.9 lies outside the spectrum 0.5 to 0.7; 0.6 is used"},
      {"", records + "[Remark]\na\n[Remark]\nb\n", ": the section [Remark] is given a second time"},
      {"Naper=0\nDentr=0\nNray=21", records, ""},
      {"", "{ R=0; Glass=\"-1\"; Dx=10; }\n{ R=50; }\n", "line 4: surface 1 gives Glass=\"-1\", no index from 1 to 10; air is used"},
      // Keys misspelt or given twice, in [Common] and in a record, and switches or sizes no
      // setting means: named by key and line, never read as a silent default.
      {"", "{ Radius=-41.2734; Glass=\"\"; Dx=10; }\n{ R=50; }\n", "line 4: [Surfaces] holds the key Radius, which"},
      {"", "{ R=0; Glas=\"n-bk7\"; Dx=10; DextYY=31; }\n{ R=50; }\n", "line 4: [Surfaces] holds the key Glas,"},
      {"", "{ R=0; Dx=10; Dy=2; Dy=3; }\n{ R=50; }\n", "line 4: [Surfaces] gives Dy a second time"},
      {"Dentry=10", records, "line 3: [Common] holds the key Dentry, which this program does not know"},
      {"Nray=21\nNray=25", records, "line 4: [Common] gives Nray a second time; the later value is used"},
      {"Unit=7", records, "line 3: Unit=7 is outside 0 to 2; it is not read, "},
      {"Coord=7", records, "line 3: Coord=7 is outside 0 to 1"},
      {"Difrac=-7", records, "line 3: Difrac=-7 is outside 0 to 1"},
      {"Discrete=-5", records, "line 3: Discrete=-5 is outside 0 to 1000; it is not read, 0 is used"},
      {"Pressure=1e308", records, "line 3: Pressure=1e308 is outside 0 to 76000; it is not read, 760 is used"},
      {"AlfaM=0,10,1e300", records, "line 3: AlfaM=1e300 is outside -1e+12 to 1e+12"},
      {"Lambda=", records, "line 3: Lambda= lists no wavelength; the working wavelength alone is used"},
      {"MonochromeSystem0", records, "line 3: [Common] holds \"MonochromeSystem0\" where a key=value item stands"},
      {"", records + "[Surface_9]\nTypeAspher=5\n", "of its 2 surfaces: [Surface_9] (line 6); they are not read"},
      {"", records + "[Surface_2]\nNv=-3\n", "line 7: Nv=-3 is outside 0 to 20; it is not read."},
      {"", records + "[Surface_2]\nNRasterZones=1\n[Surf_2_Zone_1]\nPacking=99\n", "line 9: Packing=99 is outside 0 to 6"},
      {"", records + "[Surface_2]\nNRasterZones=1\n", "surface 2 counts 1 lens-array zones, but the file holds no section for 1 of them (the first [Surf_2_Zone_1])"},
      // Sections no reader takes or given twice, records that lack what every record gives.
      {"", records + "[MyNotes]\nkeep=me\n", "sections this program does not know: [MyNotes] (line 6); they are not read"},
      {"", records + "[Confgi_3]\nNaper=2\n", "does not know: [Confgi_3] (line 6)"},
      {"Nray=21", records + "[Common]\nNray=25\n", "line 7: the section [Common] is given a second time; only the first"},
      {"", records + "[Surface_2]\nNv=1\n[Surface_2]\nNv=2\n", "line 8: the section [Surface_2] is given a second time"},
      {"", "{ R=0; Glass=\"\"; Dx=10; }\n{ R=50; Glass=\"\"; DextY=30; }\n", "line 4: [Surfaces] holds its record 1 without the key DextY"},
      {"", "{ R=; Glass=\"\"; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n", "line 4: [Surfaces] gives R=, which is empty"},
      {"", "{ R=0; Glass=; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n", "line 4: [Surfaces] gives Glass=, which is empty; it is not read, air is used."},
      {"", "{ R=0; DextY=30; }\n{ R=50; Glass=\"\"; DextY=30; }\n", "line 4: [Surfaces] holds its record 1 without the key Glass that every record gives; air is used."},
      {"", "{ R=0; Glass=\"\"; DextY=30; DintY=30.5 }\n{ R=50; Glass=\"\"; DextY=30; }\n",
       "line 4: surface 1 gives DintY=30.5, wider than its diameter DextY=30; it is not read, 0 (no inner bound) is used."},
      {"", "{ R=0; Glass=\"\"; DextY=30; DextX=10; BoundTypeExt=3; DintY=5; DintX=20; BoundTypeInt=3 }\n{ R=50; Glass=\"\"; DextY=30; }\n",
       "line 4: surface 1 gives DintX=20, wider than its width DextX=10; it is not read, 0 (no inner bound) is used."},
      {"", "{ R=0; Glass=\"\"; DextY=30; DextX=10; BoundTypeExt=3; DintY=20 }\n{ R=50; Glass=\"\"; DextY=30; }\n",
       "line 4: surface 1 gives DintY=20, wider than its width DextX=10; it is not read"},
      {"", "{ R=0; Glass=\"\"; DextY=30; Tau=-1 }\n{ R=50; Glass=\"\"; DextY=30; DintY=40 }\n", "line 4: Tau=-1 is outside 0"},
      {"", records + "[Surface_2]\nWlh=0\n", "line 7: Wlh=0 is outside"},
      {"Dentr=1e308", records, "line 3: Dentr=1e308 is outside"},
      {"N1=1e308", records, "line 3: N1=1e308 is outside"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.common);
    TOpticalSystem system;
    const std::size_t before = BoxCount();
    ASSERT_EQ(ReadString(system, Minimal("Nsurf=2" + (c.common.empty() ? "" : "\n" + c.common), c.records)), 1);
    ASSERT_EQ(BoxCount(), before + (*c.says != '\0' ? 1 : 0));
    if (*c.says != '\0') {
      EXPECT_NE(Boxes().boxes.back().text.find(c.says), std::string::npos) << Boxes().boxes.back().text;
    }
    // The correction told is the value in effect.
    EXPECT_TRUE(system.info.Nray >= 3 && system.info.Nray <= 1001 && system.info.Unit >= 0 && system.info.Unit <= 1);
  }
  // A section of no surface stays in the file at the next save, also under another name.
  TOpticalSystem leftOut;
  ASSERT_EQ(ReadString(leftOut, Minimal("Nsurf=2", records + "[Surf_9_Zone_1]\nPacking=2\n")), 1);
  for (const char *saved : {"input.os", "other.os"}) {
    ASSERT_EQ(leftOut.WriteFile(Scratch(saved).c_str()), 1);
    EXPECT_NE(ReadText(Scratch(saved)).find("[Surf_9_Zone_1]\nPacking=2\n"), std::string::npos) << saved;
  }
  // A section no reader takes goes back once into the same file and into another; the
  // system saved as another file replaces it whole: it keeps nothing of what it held.
  TOpticalSystem notes;
  ASSERT_EQ(ReadString(notes, Minimal("Nsurf=2", records + "[MyNotes]\nkeep=me\n[Confgi_3]\nNaper=2\n")), 1);
  WriteText(Scratch("other.os"), "[Config_-2]\nNaper=2\n[Config_3 left out]\n[Theirs]\nkeep=not\n");
  for (const char *saved : {"input.os", "other.os", "other.os"}) {
    notes.name = Scratch(saved);
    ASSERT_EQ(notes.WriteFile(Scratch(saved).c_str()), 1);
    const std::string text = ReadText(Scratch(saved));
    for (const char *theirs : {"[Config_", "[Theirs]"}) EXPECT_EQ(text.find(theirs), std::string::npos) << text;
    for (const char *section : {"[MyNotes]\nkeep=me\n", "[Confgi_3]\nNaper=2\n"})
      EXPECT_EQ(text.find(section), text.rfind(section)) << saved << "\n" << text;
    EXPECT_NE(text.find("[MyNotes]\nkeep=me\n"), std::string::npos) << text;
  }
  // A snapshot that names the system's file (a restored session) saves into that file in place.
  WriteText(Scratch("named.os"), Minimal("Nsurf=2", records) + "[Theirs]\nkeep=me\n");
  TOpticalSystem restored;
  ASSERT_EQ(ReadString(restored, Minimal("Nsurf=2\nName=" + Scratch("named.os"), records)), 1);
  ASSERT_EQ(restored.WriteFile(restored.name.c_str()), 1);
  EXPECT_NE(ReadText(Scratch("named.os")).find("[Theirs]\nkeep=me\n"), std::string::npos);
  // A sound inner rectangle is read as given, also in a round bound that keeps a narrower width.
  for (const char *outer : {"DextX=10; BoundTypeExt=3; DintX=4", "DextX=1; BoundTypeExt=0; DintX=4"}) {
    TOpticalSystem inner;
    ASSERT_EQ(ReadString(inner, Minimal("Nsurf=2", "{ R=0; Glass=\"\"; DextY=30; " + std::string(outer) +
                                                   "; DintY=5; BoundTypeInt=3 }\n{ R=50; Glass=\"\"; DextY=30; }\n")), 1);
    EXPECT_EQ(inner.surfaces.data[0]->general.semiWidthInt, 2.0) << outer;
  }
  // A byte-order mark before the first header is no part of the text.
  TOpticalSystem marked;
  EXPECT_EQ(ReadString(marked, "\xEF\xBB\xBF" + Minimal("Nsurf=2", records)), 1);
  EXPECT_EQ(marked.SurfaceCount(), 2);
}

TEST_F(SystemFileTest, RepairedValuesAreNamedWithTheirSurfaceAndKey) {
  TOpticalSystem system;
  const std::size_t before = BoxCount();
  ASSERT_EQ(ReadString(system, Minimal("Nsurf=3\nNd=2000000000",
                                       "{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n"
                                       "{ R=50; Glass=\"\"; Dx=5; DextY=-54; DextX=-3; }\n"
                                       "{ R=0; Glass=\"\"; DextY=0; }\n")),
            1);
  EXPECT_EQ(system.info.Nd, kFileMaxNd);
  EXPECT_EQ(system.surfaces.data[1]->general.semiHeightExt, kFileLeastDiameter / 2.0);
  EXPECT_EQ(system.surfaces.data[2]->general.semiHeightExt, kFileLeastDiameter / 2.0);
  ASSERT_EQ(BoxCount(), before + 1);
  const std::string text = Boxes().boxes.back().text;
  EXPECT_NE(text.find("Nd=2000000000, outside 64 to 2048; 2048 is used"), std::string::npos) << text;
  EXPECT_NE(text.find("surface 2 the diameter DextY=-54; 1e-05 is used"), std::string::npos) << text;
  EXPECT_NE(text.find("surface 2 the width DextX=-3"), std::string::npos) << text;
  // A diameter of 0 is one not given: repaired without a word.
  EXPECT_EQ(text.find("surface 3"), std::string::npos) << text;
  EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
}

}  // namespace

TEST_F(SystemFileTest, TheRemarkAndTheUsersNameGoWithTheSystemIntoAnotherFile) {
  // The double Gauss names itself in "Name" and carries a remark of three lines. Read as
  // the editor reads (the system is named by its path) and written to a new file, as Save
  // as does: the new file keeps both, the path in "Name", the user's name in "Title".
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), kNameFromFileName), 1);
  EXPECT_EQ(system.title, "Double Gauss 100 mm f/2.8");
  const std::string shipped = ReadText(ExamplePath("double_gauss.os"));
  const std::size_t remarkAt = shipped.find("[Remark]\n") + 9;
  const std::string remark = shipped.substr(remarkAt, shipped.find("[End]\n") - remarkAt);
  ASSERT_NE(remark.find("Six-element double Gauss"), std::string::npos);
  EXPECT_EQ(system.remark, remark);

  const std::string first = Scratch("first.os");
  system.name = first;
  ASSERT_EQ(system.WriteFile(first.c_str()), 1);
  const std::string written = ReadText(first);
  EXPECT_NE(written.find("Name=" + first + "\nTitle=Double Gauss 100 mm f/2.8\n"), std::string::npos) << written;
  EXPECT_EQ(written.substr(written.find("[Remark]\n") + 9), remark + "[End]\n");

  // A file the program wrote reads and writes back byte for byte, with Save and Save as.
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(first, kNameFromFileName), 1);
  EXPECT_EQ(again.title, system.title);
  ASSERT_EQ(again.WriteFile(first.c_str()), 1);
  EXPECT_EQ(ReadText(first), written);
  const std::string second = Scratch("second.os");
  again.name = second;
  ASSERT_EQ(again.WriteFile(second.c_str()), 1);
  std::string expected = written;
  expected.replace(expected.find(first), first.size(), second);
  EXPECT_EQ(ReadText(second), expected);
  // An older file whose "Name" is its path has no title.
  TOpticalSystem old;
  WriteText(Scratch("old.os"), "[Common]\nName=/somewhere/lens.os\nNsurf=0\n");
  ASSERT_EQ(old.ReadFile(Scratch("old.os"), kNameFromFile), 1);
  EXPECT_EQ(old.name, "/somewhere/lens.os");
  EXPECT_EQ(old.title, "");
}
