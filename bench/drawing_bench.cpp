// Line drawing in a device context: one-pixel lines against wide ones. A wide line costs
// the pixels it covers, so a width-3 diagonal should stay within a small factor of a
// one-pixel one.

#include <benchmark/benchmark.h>

#include "platform/gui/drawing/dc_kinds.h"

namespace {

constexpr int kImageSize = 1024;

// A white kImageSize square bitmap selected into a memory context.
struct TWhiteBitmap {
  TWhiteBitmap() : bitmap(CreateBitmapOfSize(kImageSize, kImageSize)) {
    dc.SelectObject(bitmap);
    dc.PatBlt(0, 0, kImageSize, kImageSize, WHITENESS);
  }
  ~TWhiteBitmap() {
    dc.RestoreBitmap();
    DeleteObject(bitmap);
  }
  HBITMAP bitmap;
  TMemoryDC dc;
};

void DrawDiagonals(benchmark::State &state, int penWidth, int rop2) {
  TWhiteBitmap target;
  TMemoryDC &dc = target.dc;
  TPen pen(RGB(200, 30, 30), penWidth);
  dc.SelectObject(pen);
  dc.SetROP2(rop2);
  const int length = static_cast<int>(state.range(0));
  int offset = 0;
  for (auto _ : state) {
    // Alternate diagonals so that no two calls draw the same pixels.
    dc.MoveTo(10 + offset, 10);
    dc.LineTo(10 + offset + length, 10 + length);
    offset = (offset + 7) % 200;
    benchmark::ClobberMemory();
  }
  dc.RestorePen();
  state.SetItemsProcessed(state.iterations() * length);  // pixels along the line
}

void BM_DiagonalOnePixel(benchmark::State &state) { DrawDiagonals(state, 1, R2_COPYPEN); }
void BM_DiagonalWidth3(benchmark::State &state) { DrawDiagonals(state, 3, R2_COPYPEN); }
void BM_DiagonalWidth3Xor(benchmark::State &state) { DrawDiagonals(state, 3, R2_XORPEN); }

void BM_WidePolyline(benchmark::State &state) {
  TWhiteBitmap target;
  TMemoryDC &dc = target.dc;
  TPen pen(RGB(0, 0, 0), 3);
  dc.SelectObject(pen);
  POINT zigzag[64];
  for (int i = 0; i < 64; ++i) zigzag[i] = {20 + i * 15, (i % 2) != 0 ? 900 : 100};
  for (auto _ : state) {
    dc.Polyline(zigzag, 64);
    benchmark::ClobberMemory();
  }
  dc.RestorePen();
  state.SetItemsProcessed(state.iterations() * 63);  // segments
}

}  // namespace

BENCHMARK(BM_DiagonalOnePixel)->Arg(100)->Arg(800);
BENCHMARK(BM_DiagonalWidth3)->Arg(100)->Arg(800);
BENCHMARK(BM_DiagonalWidth3Xor)->Arg(800);
BENCHMARK(BM_WidePolyline);
