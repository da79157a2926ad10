#pragma once
// Resources of our own, registered by the code that owns them and found by name or id as
// the window code asks for them: the string table, bitmaps and icons (pictures drawn by
// us), and cursors (standard shapes or pictures of ours with a hot spot).

#include <QImage>
#include <cstdint>
#include <string>

#include "platform/core/types.h"
#include "platform/gui/drawing/gdi_types.h"

// A resource named by a number (MAKEINTRESOURCE) or a text; names compare without case.
class TResId {
 public:
  TResId(int id) : id_(static_cast<UINT>(id)) {}  // NOLINT: ids convert as the framework's do
  TResId(UINT id) : id_(id) {}                     // NOLINT
  TResId(const char *name);                        // NOLINT: a small integer cast stays an id
  bool IsString() const { return !name_.empty(); }
  UINT Id() const { return id_; }
  const std::string &Name() const { return name_; }
  // "#24331" for an id: the key the registries keep it under.
  std::string Key() const;

 private:
  UINT id_ = 0;
  std::string name_;
};

inline const char *MAKEINTRESOURCE(int id) {
  return reinterpret_cast<const char *>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}

// The string table.
void RegisterString(UINT id, const std::string &text);
// Copies at most size - 1 bytes and a zero; the length copied, 0 when there is no string.
int LoadString(const void *module, UINT id, char *buffer, int size);
// The string, empty when there is none.
std::string LoadStringText(UINT id);

// Bitmaps: a picture registered under a name or id; each LoadBitmap gives a new bitmap
// (delete it with DeleteObject), null when nothing is registered under the name.
void RegisterBitmapResource(TResId name, const QImage &picture);
HBITMAP LoadBitmap(const void *module, TResId name);
// The registered picture itself (a null image when none), for drawing code that wants it.
QImage BitmapResourceImage(TResId name);

// Icons: pictures with transparency.
struct HICON__ {
  QImage Picture;  // ARGB32
};
using HICON = HICON__ *;
void RegisterIconResource(TResId name, const QImage &picture);
// Null when nothing is registered; icons are shared and never destroyed.
HICON LoadIcon(const void *module, TResId name);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
