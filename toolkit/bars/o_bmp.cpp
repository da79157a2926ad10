#include "toolkit/bars/o_bmp.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/dib.h"

namespace {

HBITMAP CopyOfRect(const TDC &dc, const RECT &rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HBITMAP bitmap = CreateBitmapOfSize(width, height);
  if (bitmap == nullptr) return nullptr;
  TMemoryDC memory(dc);
  memory.SelectBitmap(bitmap);
  memory.BitBlt(0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
  memory.RestoreBitmap();
  return bitmap;
}

HBITMAP PictureOfDib(const TDib &dib, const TPalette *palette) {
  if (!dib.IsOK()) return nullptr;
  HBITMAP bitmap = CreateBitmapOfSize(dib.Width(), dib.Height());
  if (bitmap == nullptr) return nullptr;
  TMemoryDC memory;
  memory.SelectBitmap(bitmap);
  if (palette != nullptr) memory.SelectPalette(*palette);
  memory.SetDIBitsToDevice(0, 0, dib.Width(), dib.Height(), 0, 0, 0,
                           static_cast<UINT>(dib.Height()), dib.GetBits(), dib.GetInfo(),
                           dib.Usage());
  memory.RestorePalette();
  memory.RestoreBitmap();
  return bitmap;
}

}  // namespace

TOBmp::TOBmp(const TDC &dc, const RECT &rect) : TBitmap(CopyOfRect(dc, rect), true) {}

TOBmp::TOBmp(const TDib &dib, const TPalette *palette) : TBitmap(PictureOfDib(dib, palette), true) {}

void TOBmp::Draw(TDC &dc, int x, int y, const RECT *source, DWORD rop) const {
  if (!IsValid()) return;
  TMemoryDC memory(dc);
  memory.SelectBitmap(*this);
  if (source != nullptr) {
    dc.BitBlt(x, y, source->right - source->left, source->bottom - source->top, memory,
              source->left, source->top, rop);
  } else {
    dc.BitBlt(x, y, Width(), Height(), memory, 0, 0, rop);
  }
  memory.RestoreBitmap();
}
