// Block transfers of a device context: between contexts and from packed DIBs.
#include "platform/gui/drawing/dc.h"

#include "platform/gui/drawing/dib_pixels.h"
#include "platform/gui/drawing/raster_ops.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Largest picture a transfer converts at once; larger requests are refused.
constexpr long long kMaxTransferPixels = 1LL << 26;

// Source position of destination offset u when `destinationLength` pixels sample
// `sourceLength` ones: the centre of the destination pixel, truncated.
int SampleOffset(long long u, long long destinationLength, long long sourceLength) {
  return static_cast<int>(((2 * u + 1) * sourceLength) / (2 * destinationLength));
}

// The rectangle of `length` pixels starting at `at`, extending backwards when negative.
void Span(int at, int length, int &first, int &size) {
  size = std::abs(length);
  first = length < 0 ? at + length + 1 : at;
}

// The image span between two mapped coordinates, and whether it runs backwards.
void MappedSpan(int from, int to, int &first, int &size, bool &reversed) {
  reversed = to < from;
  first = std::min(from, to);
  size = std::abs(to - from);
}

}  // namespace

void TDC::BlitPixels(const QRect &destination, const QImage &source, DWORD rop, bool mirrorX,
                     bool mirrorY) {
  if (!image_ || destination.isEmpty()) return;
  const std::uint32_t pattern =
      brush_->logBrush.lbStyle == BS_NULL ? 0u : Resolve(brush_->logBrush.lbColor);
  const bool usesSource = Rop3UsesSource(rop);
  if (usesSource && source.isNull()) return;
  // One source pixel per destination pixel: plain indexing, no sampling arithmetic (the
  // common copy of a bitmap to a window goes this way).
  const bool oneToOne = usesSource && source.size() == destination.size();
  // A source without alpha is opaque throughout; with alpha, 0 marks a pixel to leave.
  const bool opaque = !source.hasAlphaChannel();
  for (const QRect &r : (clip_ & destination)) {
    if (oneToOne) {
      const int width = destination.width();
      for (int y = r.top(); y <= r.bottom(); ++y) {
        auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(y));
        const int v = y - destination.top();
        const auto *sourceLine = reinterpret_cast<const std::uint32_t *>(
            source.constScanLine(mirrorY ? destination.height() - 1 - v : v));
        if (rop == SRCCOPY && !mirrorX) {
          const std::uint32_t *from = sourceLine + (r.left() - destination.left());
          for (int x = r.left(); x <= r.right(); ++x, ++from) {
            if (opaque || (*from >> 24) != 0) line[x] = 0xFF000000u | *from;
          }
          continue;
        }
        for (int x = r.left(); x <= r.right(); ++x) {
          const int u = x - destination.left();
          const std::uint32_t sourcePixel = sourceLine[mirrorX ? width - 1 - u : u];
          if (!opaque && (sourcePixel >> 24) == 0) continue;
          line[x] = 0xFF000000u | (MixRop3(rop, pattern, sourcePixel, line[x]) & 0xFFFFFFu);
        }
      }
      dirty_ |= r;
      continue;
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
      auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(y));
      const std::uint32_t *sourceLine = nullptr;
      if (usesSource) {
        long long v = y - destination.top();
        if (mirrorY) v = destination.height() - 1 - v;
        const int sy = SampleOffset(v, destination.height(), source.height());
        sourceLine = reinterpret_cast<const std::uint32_t *>(source.constScanLine(sy));
      }
      for (int x = r.left(); x <= r.right(); ++x) {
        std::uint32_t sourcePixel = 0;
        if (sourceLine) {
          long long u = x - destination.left();
          if (mirrorX) u = destination.width() - 1 - u;
          sourcePixel = sourceLine[SampleOffset(u, destination.width(), source.width())];
          if (!opaque && (sourcePixel >> 24) == 0) continue;
        }
        line[x] = 0xFF000000u | (MixRop3(rop, pattern, sourcePixel, line[x]) & 0xFFFFFFu);
      }
    }
    dirty_ |= r;
  }
}

BOOL TDC::BitBlt(int x, int y, int width, int height, const TDC &source, int sourceX, int sourceY,
                 DWORD rop) {
  return StretchBlt(x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

BOOL TDC::StretchBlt(int x, int y, int width, int height, const TDC &source, int sourceX,
                     int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
  Sync();
  source.Sync();
  if (!image_) return 0;
  if (width == 0 || height == 0) return 1;
  const QPoint at = ToImage(x, y);
  const QPoint end = ToImage(x + width, y + height);
  int left = 0, top = 0, w = 0, h = 0;
  bool reversedX = false, reversedY = false;
  MappedSpan(at.x(), end.x(), left, w, reversedX);
  MappedSpan(at.y(), end.y(), top, h, reversedY);
  if (w == 0 || h == 0) return 1;
  const QRect destination(left, top, w, h);
  if (!Rop3UsesSource(rop)) {
    BlitPixels(destination, QImage(), rop, false, false);
    return 1;
  }
  if (!source.image_ || sourceWidth == 0 || sourceHeight == 0) return 0;
  const QPoint from = source.ToImage(sourceX, sourceY);
  const QPoint to = source.ToImage(sourceX + sourceWidth, sourceY + sourceHeight);
  int sourceLeft = 0, sourceTop = 0, sw = 0, sh = 0;
  bool sourceReversedX = false, sourceReversedY = false;
  MappedSpan(from.x(), to.x(), sourceLeft, sw, sourceReversedX);
  MappedSpan(from.y(), to.y(), sourceTop, sh, sourceReversedY);
  if (sw == 0 || sh == 0) return 0;
  if (static_cast<long long>(sw) * sh > kMaxTransferPixels) return 0;
  const QRect sourceRect(sourceLeft, sourceTop, sw, sh);
  if (source.image_ != image_ && source.image_->depth() == 32 &&
      source.image_->rect().contains(sourceRect)) {
    // Another picture, wholly inside: read in place, as the opaque picture it is.
    const QImage view(source.image_->constScanLine(sourceRect.top()) + 4 * sourceRect.left(), sw,
                      sh, source.image_->bytesPerLine(), QImage::Format_RGB32);
    BlitPixels(destination, view, rop, reversedX != sourceReversedX,
               reversedY != sourceReversedY);
    return 1;
  }
  // The source is copied first, so a context copying onto itself reads the picture as it
  // was; parts outside the source picture stay transparent and are not transferred.
  QImage copy(sourceRect.size(), QImage::Format_ARGB32);
  if (copy.isNull()) return 0;
  copy.fill(0u);
  const QRect available = sourceRect & source.image_->rect();
  for (int row = available.top(); row <= available.bottom(); ++row) {
    const auto *in = reinterpret_cast<const std::uint32_t *>(source.image_->constScanLine(row));
    auto *out = reinterpret_cast<std::uint32_t *>(copy.scanLine(row - sourceRect.top()));
    for (int col = available.left(); col <= available.right(); ++col) {
      out[col - sourceRect.left()] = 0xFF000000u | in[col];
    }
  }
  BlitPixels(destination, copy, rop, reversedX != sourceReversedX,
             reversedY != sourceReversedY);
  return 1;
}

int TDC::SetDIBitsToDevice(int x, int y, int width, int height, int sourceX, int sourceY,
                           UINT startScan, UINT scanCount, const void *bits, const BITMAPINFO *info,
                           UINT usage) {
  Sync();
  if (!image_ || width <= 0 || height <= 0) return 0;
  TDibPixelReader reader(info, bits, usage, palette_);
  if (!reader.IsValid()) return 0;
  if (startScan >= static_cast<UINT>(reader.Height())) return 0;
  if (static_cast<long long>(width) * height > kMaxTransferPixels) return 0;
  const int bandRows =
      static_cast<int>(std::min<UINT>(scanCount, static_cast<UINT>(reader.Height()) - startScan));
  reader.LimitRows(bandRows);
  QImage picture(width, height, QImage::Format_ARGB32);
  if (picture.isNull()) return 0;
  // Destination row j shows bitmap row sourceY + height - 1 - j counted from the bottom;
  // rows outside the band held in `bits` are not drawn.
  for (int j = 0; j < height; ++j) {
    const long long bandRow = static_cast<long long>(sourceY) + height - 1 - j - startScan;
    auto *line = reinterpret_cast<std::uint32_t *>(picture.scanLine(j));
    std::fill(line, line + width, 0u);
    if (bandRow < 0 || bandRow >= bandRows) continue;
    // The columns of the bitmap that the row covers, read in one pass.
    const long long first = std::max<long long>(sourceX, 0);
    const long long last = std::min<long long>(static_cast<long long>(sourceX) + width, reader.Width());
    if (first < last)
      reader.ReadRow(static_cast<int>(bandRow), static_cast<int>(first), static_cast<int>(last - first),
                     line + (first - sourceX));
  }
  const QPoint at = ToImage(x, y);
  BlitPixels(QRect(at, picture.size()), picture, SRCCOPY, false, false);
  return bandRows;
}

int TDC::StretchDIBits(int x, int y, int width, int height, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, const void *bits, const BITMAPINFO *info,
                       UINT usage, DWORD rop) {
  Sync();
  if (!image_ || width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return 0;
  TDibPixelReader reader(info, bits, usage, palette_);
  if (!reader.IsValid()) return 0;
  int left = 0, bottom = 0, w = 0, h = 0;
  Span(sourceX, sourceWidth, left, w);
  Span(sourceY, sourceHeight, bottom, h);
  if (static_cast<long long>(w) * h > kMaxTransferPixels) return 0;
  // The source rectangle is given with its y counted from the bottom of the bitmap.
  QImage picture(w, h, QImage::Format_ARGB32);
  if (picture.isNull()) return 0;
  for (int j = 0; j < h; ++j) {
    auto *line = reinterpret_cast<std::uint32_t *>(picture.scanLine(j));
    const long long rowFromBottom = static_cast<long long>(bottom) + h - 1 - j;
    for (int i = 0; i < w; ++i) {
      const long long column = static_cast<long long>(left) + i;
      const bool inside = rowFromBottom >= 0 && rowFromBottom < reader.Height() && column >= 0 &&
                          column < reader.Width();
      line[i] =
          inside ? reader.Pixel(static_cast<int>(column), static_cast<int>(rowFromBottom)) : 0u;
    }
  }
  const QPoint at = ToImage(x, y);
  const QPoint end = ToImage(x + width, y + height);
  int destinationLeft = 0, destinationTop = 0, dw = 0, dh = 0;
  bool reversedX = false, reversedY = false;
  MappedSpan(at.x(), end.x(), destinationLeft, dw, reversedX);
  MappedSpan(at.y(), end.y(), destinationTop, dh, reversedY);
  if (dw == 0 || dh == 0) return 0;
  BlitPixels(QRect(destinationLeft, destinationTop, dw, dh), picture, rop,
             reversedX != (sourceWidth < 0), reversedY != (sourceHeight < 0));
  return dh;
}
