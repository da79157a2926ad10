#include "toolkit/graph/o_font.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"

#include <cstring>
#include <strings.h>

namespace {

constexpr BYTE kSwissVariable = VARIABLE_PITCH | FF_SWISS;  // 0x22
constexpr BYTE kRomanVariable = VARIABLE_PITCH | FF_ROMAN;  // 0x12

// Faces of the design as they are spelled in places, with the face they mean.
struct TFaceSpelling {
  const char *written;
  const char *meant;
};
constexpr TFaceSpelling kFaceSpellings[] = {
    {"Ms Sans Serig", kDefaultFontFace},
};

const char *MendedFace(const char *faceName) {
  for (const TFaceSpelling &spelling : kFaceSpellings) {
    if (strcasecmp(faceName, spelling.written) == 0) return spelling.meant;
  }
  return faceName;
}

}  // namespace

TOFont::TOFont(const char *faceName, int sizeY, int sizeX, bool roman) {
  Init(faceName, sizeY, sizeX, roman);
}

TOFont::TOFont(const TOFont &other) : logFont_(other.logFont_) {}

TOFont &TOFont::operator=(const TOFont &other) {
  if (this != &other) {
    DeleteFont();
    logFont_ = other.logFont_;
  }
  return *this;
}

TOFont::~TOFont() { DeleteFont(); }

void TOFont::Init(const char *faceName, int sizeY, int sizeX, bool roman) {
  DeleteFont();
  logFont_ = LOGFONT{};
  logFont_.lfHeight = sizeY;
  logFont_.lfWidth = sizeX;
  logFont_.lfWeight = FW_NORMAL;
  logFont_.lfQuality = PROOF_QUALITY;
  logFont_.lfPitchAndFamily = roman ? kRomanVariable : kSwissVariable;
  SetFaceName(faceName);
}

HFONT TOFont::Create() {
  DeleteFont();
  font_ = CreateFontIndirect(logFont_);
  return font_;
}

void TOFont::DeleteFont() {
  if (font_ == nullptr) return;
  // A font still selected somewhere cannot be deleted; whoever selected it puts the
  // context's own font back first (TGraph::RestoreFont).
  DeleteObject(font_);
  font_ = nullptr;
}

void TOFont::SelectInto(TDC &dc) {
  dc.RestoreFont();
  if (font_ == nullptr) Create();
  if (font_ != nullptr) dc.SelectObject(font_);
}

void TOFont::SetSize(int sizeY, int sizeX) {
  logFont_.lfHeight = sizeY;
  logFont_.lfWidth = sizeX;
}
void TOFont::SetEscapement(int tenthsOfDegree) {
  logFont_.lfEscapement = tenthsOfDegree;
  logFont_.lfOrientation = tenthsOfDegree;
}
void TOFont::SetWeight(int weight) { logFont_.lfWeight = weight; }
void TOFont::SetItalic(bool on) { logFont_.lfItalic = on ? 1 : 0; }
void TOFont::SetUnderline(bool on) { logFont_.lfUnderline = on ? 1 : 0; }
void TOFont::SetStrikeOut(bool on) { logFont_.lfStrikeOut = on ? 1 : 0; }
void TOFont::SetPitchAndFamily(BYTE pitchAndFamily) {
  logFont_.lfPitchAndFamily = pitchAndFamily;
}
void TOFont::SetRoman(bool roman) {
  logFont_.lfPitchAndFamily = roman ? kRomanVariable : kSwissVariable;
}

void TOFont::SetFaceName(const char *faceName) {
  const char *face = (faceName == nullptr || *faceName == '\0') ? kDefaultFontFace : faceName;
  face = MendedFace(face);
  std::strncpy(logFont_.lfFaceName, face, LF_FACESIZE - 1);
  logFont_.lfFaceName[LF_FACESIZE - 1] = '\0';
}
