#pragma once
// The new-element folder's pages between the lens page and Paste: a single surface, a
// mirror and a dispersion prism. Each page holds the fields of its element; its Make puts
// the element in place of the placed surface (1), or refuses with the message naming the
// field or saying why (0, nothing changed).

#include <span>
#include <string>

#include "editor/insert/inserted_element_info.h"
#include "toolkit/folders/book_mark_dlg.h"

class TSystemImage;

// The single surface page's fields.
constexpr int kSurfaceRadiusId = 321;
constexpr int kSurfaceGlassId = 322;
// The mirror page's fields.
constexpr int kMirrorRadiusId = 331;
constexpr int kMirrorFocusCheckId = 332;
constexpr int kMirrorConicId = 333;
constexpr int kMirrorTiltId = 334;
// The prism page's fields.
constexpr int kPrismApexId = 341;
constexpr int kPrismGlassId = 342;
constexpr int kPrismFaceId = 343;

// One number field of a page: its id and the value it holds before the window exists.
struct TNumberField {
  int id = 0;
  double fallback = 0.0;
  double *value = nullptr;
};

// Reads the fields' numbers through the one number reader; false with the message naming
// the first refused field (which gets the focus).
bool ReadNumberFields(TDialog &page, std::span<const TNumberField> fields, std::string &error);
// The field's text, or the fallback before the window exists.
std::string FieldText(const TDialog &page, int id, const char *fallback);

// The new elements' pages share their make: the element put in place of the placed surface.
class TNewElementPage : public TBookMarkDlg {
 public:
  TNewElementPage(TWindow *folder, const char *templateName) : TBookMarkDlg(folder, templateName) {}
  virtual int Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) = 0;
};

class TNewSurfacePage : public TNewElementPage {
 public:
  explicit TNewSurfacePage(TWindow *folder);
  void SetupWindow() override;
  int Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) override;
};

class TNewMirrorPage : public TNewElementPage {
 public:
  explicit TNewMirrorPage(TWindow *folder);
  void SetupWindow() override;
  int Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) override;
};

class TNewPrismPage : public TNewElementPage {
 public:
  explicit TNewPrismPage(TWindow *folder);
  void SetupWindow() override;
  int Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) override;
};
