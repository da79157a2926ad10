#pragma once
// The program's device-independent bitmap: the framework DIB with its row geometry cached,
// pixel access in every usual depth, clearing, 2-D lines and triangle fills, and copying to
// a device context. Rows are stored bottom-up; y is counted from the top.

#include "platform/gui/drawing/dib.h"
#include "platform/gui/drawing/gdi_types.h"

#include <cstdint>
#include <vector>

class TDC;

class TODib : public TDib {
 public:
  // A 24-bit bitmap in one packed block (header and bits, no colour table).
  TODib(int width, int height);
  // Takes over a packed block.
  TODib(std::vector<std::uint8_t> block, bool autoDelete);
  TODib(const TODib &other);
  // A blank palettised back buffer.
  TODib(int width, int height, int colorCount, UINT colorMode);
  // Reads a bitmap file; IsOK() is false when it cannot (ErrorText() says why).
  explicit TODib(const char *fileName);
  // Converts a device bitmap (AVI frame capture).
  TODib(HBITMAP bitmap, HPALETTE palette);

  // The packed 24-bit block: a 40-byte header followed by the bits; empty when the size is
  // out of range or memory runs out.
  static std::vector<std::uint8_t> AllocDib24(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  int RowStride() const { return rowStride_; }
  bool IsTrueColor() const { return bitsPerPixel_ >= 24; }
  // DIB_PAL_COLORS: the table becomes the indices 0, 1, 2 ... of the drawing context's
  // palette; DIB_RGB_COLORS: the indices become the shared palette's colours.
  void SetColorMode(WORD mode);

  // Copies to a device at (x, y); `source` gives left, top, width and height inside the
  // bitmap (the whole bitmap when null). Returns the rows set.
  int Draw(TDC &dc, int x, int y, const RECT *source = nullptr) const;
  int StretchDraw(TDC &dc, const RECT &destination, const RECT *source = nullptr) const;
  // A palettised bitmap is written with the shared palette's colours.
  [[nodiscard]] bool WriteFile(const char *fileName) const;
  int ToClipboard() const;

  // Fills every pixel: depth 4 and 8 with the index, 24 and 32 with the colour; a 1-bit
  // bitmap is left as it is (back buffers rely on that).
  void Clear(COLORREF value);
  int GetPixelIndex(int x, int y) const;
  RGBTRIPLE GetPixelColor(int x, int y) const;
  void SetPixelIndex(int x, int y, int index, HPALETTE palette);
  void SetPixelRGB(int x, int y, BYTE red, BYTE green, BYTE blue);
  void SetPixel(int x, int y, COLORREF color);
  void SetRow8(int y, const BYTE *bytes, int count);
  void SetRow24(int y, const RGBTRIPLE *triples, int count);
  void MoveTo(int x, int y);
  void LineTo(int x, int y, COLORREF color);
  void FillTriangle(POINT a, POINT b, POINT c, COLORREF color);
  void HLine(int x1, int x2, int y, COLORREF color);

 protected:
  void InitGeometry();
  // Row y counted from the top (rows are stored bottom-up); for drawers that write spans.
  std::uint8_t *Row(int y);
  const std::uint8_t *Row(int y) const;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int bitsPerPixel_ = 0;
  int rowStride_ = 0;
  int width_ = 0;
  int height_ = 0;
  int currentX_ = 0;
  int currentY_ = 0;
};
