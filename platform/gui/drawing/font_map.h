#pragma once
// Logical fonts made concrete: a LOGFONT becomes a Qt font of the Liberation family that
// measures like the classic face it names, so text has the same size on every machine.

#include "platform/gui/drawing/gdi_types.h"

#include <QFont>

// The Liberation family standing in for a face name and pitch-and-family byte:
// "Liberation Mono", "Liberation Serif" or "Liberation Sans".
const char *LiberationFamilyFor(const char *faceName, BYTE pitchAndFamily);

// A positive height is the cell height (ascent + descent), a negative one the em height,
// 0 the default of 16 pixels of cell; weight 0 is normal. Needs a running Qt application.
// With designMetrics the glyphs keep the advances of the face's design, unrounded by
// hinting: the metrics by which a printer drawing its own text places them.
QFont FontFromLogFont(const LOGFONT &logFont, bool designMetrics = false);

// Text metrics of a logical font in whole pixels; tmHeight = tmAscent + tmDescent.
TEXTMETRIC MetricsOfLogFont(const LOGFONT &logFont, bool designMetrics = false);
