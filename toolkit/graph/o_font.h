#pragma once
// TOFont: the program's font description, a LOGFONT whose font object is made on demand.

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/gdi_types.h"

class TDC;

// The default face of the program's fonts.
inline constexpr const char *kDefaultFontFace = kFaceSansSerif;

class TOFont {
 public:
  // A face of null or "" takes the default face. Variable pitch; swiss family, or roman
  // with the roman flag. Weight 400, proof quality.
  explicit TOFont(const char *faceName = nullptr, int sizeY = 0, int sizeX = 0,
                  bool roman = false);
  // Copies take the description only; each makes its own font object.
  TOFont(const TOFont &other);
  TOFont &operator=(const TOFont &other);
  ~TOFont();

  void Init(const char *faceName, int sizeY, int sizeX, bool roman);
  // (Re)makes the font object from the description; returns it.
  HFONT Create();
  void DeleteFont();
  // Puts the context's own font back, then selects this one (made when needed).
  void SelectInto(TDC &dc);

  // Setters change the description; the change shows at the next Create.
  void SetSize(int sizeY, int sizeX);
  void SetEscapement(int tenthsOfDegree);
  void SetWeight(int weight);
  void SetItalic(bool on);
  void SetUnderline(bool on);
  void SetStrikeOut(bool on);
  void SetPitchAndFamily(BYTE pitchAndFamily);
  void SetRoman(bool roman);
  // Names longer than the face field are cut; a known misspelling is mended.
  void SetFaceName(const char *faceName);

  const LOGFONT &GetLogFont() const { return logFont_; }
  // The font object, or null before Create.
  HFONT GetFont() const { return font_; }

 private:
  LOGFONT logFont_;
  HFONT font_ = nullptr;
};
