#pragma once
// The contexts that are not tied to a window: a memory bitmap, a caller's image, a printer
// page and the screen.

#include "platform/gui/drawing/dc.h"

// A context over a bitmap selected into it; a new one holds a 1 x 1 black bitmap of its own.
class TMemoryDC : public TDC {
 public:
  TMemoryDC();
  // Compatible with another context: every context here is 32-bit, so the same as above.
  explicit TMemoryDC(const TDC &compatible);
  ~TMemoryDC() override;
  HBITMAP SelectBitmap(HBITMAP bitmap) override;
  void RestoreBitmap();

 private:
  HBITMAP ownBitmap_ = nullptr;
  HBITMAP bitmap_ = nullptr;
};

// A context over an image that the caller owns (printer pages, screen grabs, tests).
class TImageDC : public TDC {
 public:
  explicit TImageDC(QImage *image, int logPixels = 96);
};

// A printer page: an image at the printer's resolution.
class TPrintDC : public TDC {
 public:
  TPrintDC(QImage *page, int dotsPerInch);
};

// The screen, seen through the window layer's screen provider: its size and depth answer
// the device queries, and its picture is grabbed the first time the context draws or is
// read (measuring text with it grabs nothing). Drawing changes only that picture.
class TScreenDC : public TDC {
 public:
  TScreenDC();
  // BITSPIXEL and RASTERCAPS (RC_PALETTE at 8 bits or fewer) follow the screen's depth.
  int GetDeviceCaps(int index) const override;
  static QImage &ScreenImage();

 protected:
  void SyncTarget() override;

 private:
  bool grabbed_ = false;
};

// Handle forms: a memory context compatible with `dc` (every context here is 32-bit, so any
// dc, or null, gives the same kind), deleted with DeleteDC; and a bitmap for it.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
