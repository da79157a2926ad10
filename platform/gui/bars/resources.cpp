#include "platform/gui/bars/resources.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu_look.h"

namespace {

std::map<UINT, std::string> &Strings() {
  static std::map<UINT, std::string> strings;
  return strings;
}

std::map<std::string, QImage> &Bitmaps() {
  static std::map<std::string, QImage> bitmaps;
  return bitmaps;
}

std::map<std::string, std::unique_ptr<HICON__>> &Icons() {
  static std::map<std::string, std::unique_ptr<HICON__>> icons;
  return icons;
}

}  // namespace

TResId::TResId(const char *name) {
  const auto value = reinterpret_cast<std::uintptr_t>(name);
  if (value < 0x10000) {
    id_ = static_cast<UINT>(value);
    return;
  }
  name_ = name;
  for (char &c : name_) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

std::string TResId::Key() const { return IsString() ? name_ : "#" + std::to_string(id_); }

void RegisterString(UINT id, const std::string &text) { Strings()[id] = text; }

int LoadString(const void *, UINT id, char *buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  const auto found = Strings().find(id);
  if (found == Strings().end()) return 0;
  const int copied = std::min(static_cast<int>(found->second.size()), size - 1);
  std::memcpy(buffer, found->second.data(), static_cast<std::size_t>(copied));
  buffer[copied] = '\0';
  return copied;
}

std::string LoadStringText(UINT id) {
  const auto found = Strings().find(id);
  return found != Strings().end() ? found->second : std::string();
}

void RegisterBitmapResource(TResId name, const QImage &picture) {
  Bitmaps()[name.Key()] = picture.convertToFormat(QImage::Format_RGB32);
}

QImage BitmapResourceImage(TResId name) {
  const auto found = Bitmaps().find(name.Key());
  if (found != Bitmaps().end()) return found->second;
  // The system's own bitmaps, unless a program registered its own under the id.
  if (!name.IsString() && name.Id() == static_cast<UINT>(OBM_CHECK)) return MenuCheckMarkPicture();
  return QImage();
}

HBITMAP LoadBitmap(const void *, TResId name) {
  const QImage picture = BitmapResourceImage(name);
  if (picture.isNull()) return nullptr;
  HBITMAP bitmap = CreateBitmapOfSize(picture.width(), picture.height());
  if (bitmap != nullptr) bitmap->image = picture;
  return bitmap;
}

void RegisterIconResource(TResId name, const QImage &picture) {
  auto icon = std::make_unique<HICON__>();
  icon->Picture = picture.convertToFormat(QImage::Format_ARGB32);
  Icons()[name.Key()] = std::move(icon);
}

HICON LoadIcon(const void *, TResId name) {
  const auto found = Icons().find(name.Key());
  return found != Icons().end() ? found->second.get() : nullptr;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  TDC *context = TDC::FromHandle(dc);
  if (context == nullptr || icon == nullptr) return 0;
  // Opaque pixels are set, transparent ones leave the picture below.
  for (int row = 0; row < icon->Picture.height(); ++row) {
    for (int column = 0; column < icon->Picture.width(); ++column) {
      const QRgb pixel = icon->Picture.pixel(column, row);
      if (qAlpha(pixel) < 128) continue;
      context->SetPixel(x + column, y + row, RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)));
    }
  }
  return 1;
}
