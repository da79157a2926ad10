#include "platform/gui/drawing/font_map.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDefaultCellHeight = 16;
// Reference size at which the cell-to-em ratio of a family is measured.
constexpr int kReferencePixelSize = 200;
// Fonts are bounded so that a wild height never asks the rasteriser for giant glyphs.
constexpr int kMaxPixelSize = 2000;

bool ContainsNoCase(const QString &text, const char *word) {
  return text.contains(QLatin1String(word), Qt::CaseInsensitive);
}

QFont BaseFont(const LOGFONT &logFont, bool designMetrics) {
  QFont font(
      QString::fromLatin1(LiberationFamilyFor(logFont.lfFaceName, logFont.lfPitchAndFamily)));
  font.setStyleStrategy(
      static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoFontMerging));
  font.setHintingPreference(designMetrics ? QFont::PreferNoHinting : QFont::PreferFullHinting);
  font.setKerning(false);
  const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(logFont.lfWeight, 1, 1000);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setItalic(logFont.lfItalic != 0);
  font.setUnderline(logFont.lfUnderline != 0);
  font.setStrikeOut(logFont.lfStrikeOut != 0);
  return font;
}

// The average character width as the classic faces give it: the advances of the lower-case
// letters and the space weighted by how often they occur in text (per mille). The
// Liberation files carry an average over all their glyphs instead, about a third wider,
// which would widen tab stops, dialog units and every width measured in characters.
int WeightedAverageCharWidth(const QFont &font) {
  static constexpr int kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20,
                                             56, 56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2};
  constexpr int kSpaceWeight = 166;
  constexpr double kWeightTotal = 1000.0;
  const QFontMetricsF metrics(font);
  double sum = kSpaceWeight * metrics.horizontalAdvance(QLatin1Char(' '));
  for (int letter = 0; letter < 26; ++letter) {
    sum += kLetterWeights[letter] * metrics.horizontalAdvance(QLatin1Char(static_cast<char>('a' + letter)));
  }
  return std::max(1, static_cast<int>(std::lround(sum / kWeightTotal)));
}

}  // namespace

const char *LiberationFamilyFor(const char *faceName, BYTE pitchAndFamily) {
  const QString face = QString::fromLatin1(faceName ? faceName : "");
  if (ContainsNoCase(face, "mono") || ContainsNoCase(face, "courier") ||
      ContainsNoCase(face, "fixed") || ContainsNoCase(face, "terminal") ||
      ContainsNoCase(face, "console")) {
    return "Liberation Mono";
  }
  // "Sans" wins over "Serif" so that a sans-serif face is not taken for a serif one.
  if (ContainsNoCase(face, "sans") || ContainsNoCase(face, "arial") ||
      ContainsNoCase(face, "helv") || ContainsNoCase(face, "swiss")) {
    return "Liberation Sans";
  }
  if (ContainsNoCase(face, "serif") || ContainsNoCase(face, "times") ||
      ContainsNoCase(face, "roman")) {
    return "Liberation Serif";
  }
  if (face.isEmpty()) {
    if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN) {
      return "Liberation Mono";
    }
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "Liberation Serif";
  } else if ((pitchAndFamily & 0xF0) == FF_ROMAN) {
    return "Liberation Serif";
  } else if ((pitchAndFamily & 0xF0) == FF_MODERN) {
    return "Liberation Mono";
  }
  return "Liberation Sans";
}

QFont FontFromLogFont(const LOGFONT &logFont, bool designMetrics) {
  QFont font = BaseFont(logFont, designMetrics);
  long long height = logFont.lfHeight;
  if (height == 0) height = kDefaultCellHeight;
  int pixelSize = 1;
  if (height < 0) {
    pixelSize = static_cast<int>(std::min<long long>(-height, kMaxPixelSize));
  } else {
    // The cell height is ascent + descent; find the em size that gives it.
    QFont reference = font;
    reference.setPixelSize(kReferencePixelSize);
    const QFontMetricsF metrics(reference);
    const double cellPerEm = (metrics.ascent() + metrics.descent()) / kReferencePixelSize;
    const double em = static_cast<double>(std::min<long long>(height, kMaxPixelSize)) /
                      (cellPerEm > 0.0 ? cellPerEm : 1.0);
    pixelSize = static_cast<int>(std::lround(em));
  }
  font.setPixelSize(std::max(1, pixelSize));
  if (logFont.lfWidth > 0) {
    // A requested average width stretches the face horizontally.
    const QFontMetricsF metrics(font);
    const double average = metrics.averageCharWidth();
    if (average > 0.0) {
      const int stretch = static_cast<int>(std::lround(100.0 * logFont.lfWidth / average));
      font.setStretch(std::clamp(stretch, 1, 4000));
    }
  }
  return font;
}

TEXTMETRIC MetricsOfLogFont(const LOGFONT &logFont, bool designMetrics) {
  const QFont font = FontFromLogFont(logFont, designMetrics);
  const QFontMetrics metrics(font);
  TEXTMETRIC tm;
  tm.tmAscent = metrics.ascent();
  tm.tmDescent = metrics.descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - font.pixelSize());
  tm.tmExternalLeading = std::max(0, metrics.leading());
  tm.tmAveCharWidth = WeightedAverageCharWidth(font);
  tm.tmMaxCharWidth = metrics.maxWidth();
  tm.tmWeight = logFont.lfWeight <= 0 ? FW_NORMAL : logFont.lfWeight;
  tm.tmItalic = logFont.lfItalic ? 1 : 0;
  const bool mono =
      QString::fromLatin1(LiberationFamilyFor(logFont.lfFaceName, logFont.lfPitchAndFamily)) ==
      QLatin1String("Liberation Mono");
  // As on the classic platform, the low bit set means a variable-pitch font.
  tm.tmPitchAndFamily = static_cast<BYTE>((mono ? FF_MODERN : FF_SWISS) | (mono ? 0 : 1));
  return tm;
}
