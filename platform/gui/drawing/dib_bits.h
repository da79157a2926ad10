#pragma once
// Moving rows between a packed DIB and a device bitmap: SetDIBits writes DIB rows into the
// bitmap, GetDIBits reads the bitmap into the DIB's format (indices are the nearest colours
// of the DIB's table, or of the context's palette in DIB_PAL_COLORS mode).

#include "platform/gui/drawing/gdi_types.h"

// Rows startScan .. startScan + scanCount - 1 (counted from the bottom of a bottom-up DIB,
// from the top of a top-down one) held in `bits`. Both return the rows moved, 0 on bad
// input (null handles, unsupported header).
int SetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanCount, const void *bits,
              const BITMAPINFO *info, UINT usage);
// With null bits only the header's biSizeImage is filled in (and the rows are counted).
int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanCount, void *bits, BITMAPINFO *info,
              UINT usage);
