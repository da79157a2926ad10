// The program's help as a user meets it: every context number that a window's Help asks
// for opens, in the help window, a page of its own that explains that window (enough words,
// a worked example, every caption of the window's dialogs), and every page of the contents
// says something. A window that asks for a context this test does not know fails it. Every
// number a page states for a shipped example is the program's computation of that case.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/aberrations/aberration_computation.h"
#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/narcissus/narciss_dlg.h"
#include "analysis/psf/psf_maths.h"
#include "analysis/psf/psf_run.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_computation.h"
#include "analysis/spot/spot_diagram.h"
#include "document/system/tests/editor_test_support.h"
#include "editor/launchers/launcher_commands.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/surface_table_model.h"
#include "optics/psf/diffraction_sampling.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/lightsource/light_source_setup_folder.h"
#include "toolkit/help/help_window.h"
#include "toolkit/help/tests/help_owner_test_support.h"
#include "toolkit/help/win_help.h"

namespace {

namespace fs = std::filesystem;

// A page that explains a window has at least this many words, a page of the contents
// that explains a way of working at least the second, the list of examples the third.
constexpr int kMinimumWords = 300;
constexpr int kMinimumTopicWords = 200;
constexpr int kMinimumListWords = 100;
// Captions shorter than this (after dropping units in parentheses and punctuation) are
// axis letters and signs ("X", "W", "+", "Ok", "3D") that a page need not spell out.
constexpr std::size_t kShortestCaption = 4;

std::string HelpDirectory() { return SourceRoot() + "/resources/help"; }

// Lower case letters and digits, every other run of characters one blank; the '&' that
// marks a menu or button key is dropped.
std::string Normalized(const std::string &text) {
  std::string out = " ";
  for (unsigned char c : text) {
    if (c == '&') continue;
    if (std::isalnum(c) != 0)
      out += static_cast<char>(std::tolower(c));
    else if (out.back() != ' ')
      out += ' ';
  }
  if (out.back() != ' ') out += ' ';
  return out;
}

// A caption as a page must name it: units in parentheses dropped, then normalized.
std::string CaptionKey(const std::string &caption) {
  std::string bare;
  int depth = 0;
  for (char c : caption) {
    if (c == '(') ++depth;
    if (depth == 0) bare += c;
    if (c == ')' && depth > 0) --depth;
  }
  return Normalized(bare);
}

int WordCount(const std::string &text) {
  std::istringstream words(Normalized(text));
  std::string word;
  int count = 0;
  while (words >> word)
    if (std::isalpha(static_cast<unsigned char>(word[0])) != 0) ++count;
  return count;
}

// The dialogs whose every caption the page explains.
struct TPageDialogs {
  const char *page;
  std::vector<const char *> templates;
};

struct THelpContext {
  const char *constant;  // the name the window's code passes to WinHelp
  std::uintptr_t id;
  const char *helpFile;
  const char *page;
  int minimumWords;
  std::vector<TPageDialogs> dialogs;
};

const std::vector<THelpContext> &Contexts() {
  static const std::vector<THelpContext> contexts = {
      {"kSpotHelpContext", kSpotHelpContext, "korvex.hlp", "spot_diagram.html", kMinimumWords,
       {{"spot_diagram.html", {"SpotSettingsDlg"}}}},
      {"kAberrationsHelpContext", kAberrationsHelpContext, "korvex.hlp", "aberrations.html", kMinimumWords,
       {{"aberrations.html", {"EasyAberrationsDlg"}}}},
      {"kPsfHelpContext", kPsfHelpContext, "korvex.hlp", "psf_mtf.html", kMinimumWords,
       {{"psf_mtf.html", {"ShowPSFFolder", "ShowPSF", "StepSectionsDlg"}}}},
      {"kHelpContext", TNarcissDlg::kHelpContext, "korvex.hlp", "narcissus.html", kMinimumWords,
       {{"narcissus.html", {"NarcissDlg"}}}},
      {"kSynthesisHelpContext", kSynthesisHelpContext, "korvex.hlp", "image_synthesis.html", kMinimumWords,
       {{"image_synthesis.html",
         {"TestFolder", "TypeTestObject", "TestDiffractionPoint", "TestRadialMira", "TestSquareMira",
          "TestCustomObject", "TestLightSourceChooseDlg", "TestPSF", "LightExpozition", "TestSettingsOfImage"}},
        {"detectors.html",
         {"T_DetectorFolder", "T_DetectorTypeDlg", "T_DetectorNoiseDlg", "T_DetectorFilterDlg",
          "T_DetectorScannerDlg", "T_DetectorNone", "T_DetectorRound", "T_DetectorRectangle", "T_DetectorMatrix",
          "T_DetectorSlide", "T_DetectorOpticalTransformer", "T_DetectorTransformer_Matrix"}}}},
      {"kSetupHelpContext", kSetupHelpContext, "korvex.hlp", "light_source.html", kMinimumWords,
       {{"light_source.html", {"LightSourceSetupFolder", "LightSourceSetupTypeDlg"}}}},
      {"kExamplesContext", kExamplesContext, kExamplesHelpName, "examples.html", kMinimumListWords, {}},
  };
  return contexts;
}

// The pages of the contents that explain windows no Help button asks for, with those
// windows' dialogs.
const std::vector<TPageDialogs> &TopicDialogs() {
  static const std::vector<TPageDialogs> topics = {
      {"optimization.html", {"SystemPropertiesFolder", "OptimizationViewer"}},
      {"merit_functions.html", {"OptimizationFunctionsDlg"}},
      {"variables.html", {"VariablesDlg"}},
      {"library.html", {"LibraryElements"}},
      {"files.html", {"PreferencesFolder"}},
  };
  return topics;
}

// The names of the context numbers the program's windows pass to WinHelp, read from the
// sources (tests left out).
std::set<std::string> ContextNamesInTheSources() {
  std::set<std::string> names;
  const std::regex call(R"(WinHelp\([^;]*HELP_CONTEXT,\s*([A-Za-z_][A-Za-z_0-9:]*)\s*\))");
  for (auto entry = fs::recursive_directory_iterator(SourceRoot()); entry != fs::recursive_directory_iterator();
       ++entry) {
    const fs::path &path = entry->path();
    const std::string folder = path.filename().string();
    // Build trees, the repository's own folders and tests hold no window of the program.
    if (entry->is_directory() && (folder.rfind("build", 0) == 0 || folder[0] == '.' || folder == "tests")) {
      entry.disable_recursion_pending();
      continue;
    }
    if (!entry->is_regular_file() || path.extension() != ".cpp") continue;
    std::ifstream file(path);
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
      std::string name = (*it)[1].str();
      const std::size_t scope = name.rfind("::");
      if (scope != std::string::npos) name = name.substr(scope + 2);
      names.insert(name);
    }
  }
  return names;
}

class HelpPagesTest : public HelpOwnerTest {
 protected:
  // Opens the page in the program's help window, as a link would, and answers its text.
  std::string ShownText(THelpWindow &window, const std::string &page) {
    EXPECT_TRUE(window.ShowPage(HelpDirectory() + "/pages/" + page)) << page;
    return window.PageText();
  }
};

TEST_F(HelpPagesTest, EveryContextTheWindowsAskForHasAPageOfItsOwn) {
  std::set<std::string> known;
  for (const THelpContext &context : Contexts()) known.insert(context.constant);
  // Every context a window passes to WinHelp is one of these, and each of these is still
  // asked for.
  const std::set<std::string> asked = ContextNamesInTheSources();
  for (const std::string &name : asked)
    EXPECT_TRUE(known.count(name) == 1) << "a window asks for the help context " << name
                                        << ", which has no page in this test";
  EXPECT_EQ(asked, known);

  for (const THelpContext &context : Contexts()) {
    SCOPED_TRACE(context.page);
    const std::string file = HelpDirectory() + "/" + context.helpFile;
    ASSERT_TRUE(WinHelp(owner_->GetHandle(), file.c_str(), HELP_CONTEXT, context.id));
    THelpWindow *window = CurrentHelpWindow();
    ASSERT_NE(window, nullptr);
    // The context's own page, not the contents that an unknown context falls back to.
    EXPECT_EQ(fs::path(window->Page()).filename(), context.page);
    EXPECT_FALSE(window->PageTitle().empty());
    const std::string text = window->PageText();
    EXPECT_GE(WordCount(text), context.minimumWords);
    if (context.minimumWords == kMinimumWords) {
      // A worked example on a shipped lens.
      EXPECT_NE(text.find("Example"), std::string::npos);
      EXPECT_NE(text.find(".os"), std::string::npos);
    }
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(HelpPagesTest, EachPageNamesEveryCaptionOfItsWindows) {
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), (HelpDirectory() + "/korvex.hlp").c_str(), HELP_CONTENTS, 0));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  std::vector<TPageDialogs> all = TopicDialogs();
  for (const THelpContext &context : Contexts()) all.insert(all.end(), context.dialogs.begin(), context.dialogs.end());
  int captions = 0;
  for (const TPageDialogs &dialogs : all) {
    const std::string text = Normalized(ShownText(*window, dialogs.page));
    for (const char *name : dialogs.templates) {
      const TDialogTemplate *dialog = FindDialogTemplate(name);
      ASSERT_NE(dialog, nullptr) << name;
      for (const TDialogItem &item : dialog->Items) {
        // Labels, group titles, buttons and boxes; the text of an edit is a value.
        const std::string kind = item.ClassName;
        if (item.Text == nullptr || (kind != "STATIC" && kind != "BUTTON")) continue;
        const std::string key = CaptionKey(item.Text);
        if (key.size() < kShortestCaption + 2) continue;  // the key has a blank at each end
        EXPECT_NE(text.find(key), std::string::npos)
            << dialogs.page << " does not name \"" << item.Text << "\" of " << name;
        ++captions;
      }
    }
  }
  EXPECT_GE(captions, 150);
}

TEST_F(HelpPagesTest, EveryPageOfTheContentsSaysSomething) {
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), (HelpDirectory() + "/korvex.hlp").c_str(), HELP_CONTENTS, 0));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  std::ifstream contents(window->Page());
  const std::string html((std::istreambuf_iterator<char>(contents)), std::istreambuf_iterator<char>());
  std::set<std::string> linked;
  for (std::size_t at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1))
    linked.insert(html.substr(at + 6, html.find('"', at + 6) - at - 6));
  // Every page in the folder is reached from the contents.
  for (const auto &entry : fs::directory_iterator(HelpDirectory() + "/pages")) {
    const std::string name = entry.path().filename().string();
    if (name == "index.html") continue;
    EXPECT_EQ(linked.count(name), 1u) << name << " is not in the contents";
  }
  for (const std::string &page : linked) {
    const std::string text = ShownText(*window, page);
    EXPECT_GE(WordCount(text), page == "examples.html" ? kMinimumListWords : kMinimumTopicWords) << page;
    EXPECT_NE(window->PageTitle(), "Help page missing") << page;
  }
}

// The numbers a page marks as <span id="...">number</span>, by id, as written.
std::map<std::string, std::string> StatedNumbers(const std::string &page) {
  std::ifstream file(HelpDirectory() + "/pages/" + page);
  const std::string html((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::map<std::string, std::string> numbers;
  const std::regex span(R"re(<span\s+id="([^"]+)">([^<]*)</span>)re");
  for (std::sregex_iterator it(html.begin(), html.end(), span), end; it != end; ++it) {
    std::string text = std::regex_replace((*it)[2].str(), std::regex("&minus;"), "-");
    numbers[(*it)[1].str()] = text;
  }
  return numbers;
}

// Half a unit of the last digit written: what rounding the computed value to the page allows.
double Rounding(const std::string &text) {
  const std::size_t point = text.find('.');
  return 0.5 * std::pow(10.0, point == std::string::npos ? 0.0 : -static_cast<double>(text.size() - point - 1));
}

class HelpNumbersTest : public EditorTest {
 protected:
  // The polychromatic MTF on axis (real, or ideal: without aberrations), as the PSF and MTF
  // window computes it, along one row from zero frequency: value k at k / (n discrete)
  // cycles per mm.
  std::vector<float> AxialMtf(TSystemImage &system, double discrete, int n, bool ideal = false) {
    system.info.Discrete = discrete;
    system.info.aberrationFree = ideal ? 1 : 0;
    TPsfRun run(Scratch(""));
    Mem<float> sum, imaginary(n, n);
    EXPECT_EQ(run.Compute(system, 0.0, 0.0, n, false), 1);
    EXPECT_EQ(run.Sum(n, sum), 1);
    EXPECT_EQ(MtfFromPsf(n, sum.data, imaginary.data), 1);
    const float *row = sum.data + static_cast<std::size_t>(n / 2) * n + n / 2;
    return std::vector<float>(row, row + n / 2);
  }
  // The axial meridional fan at the wavelength of the list: its values from the upper rim down.
  std::vector<double> AxialFan(TSystemImage &system, int lambda, int view) {
    TAberrationComputation fans;
    fans.BeamIndex = 0;
    fans.LambdaIndex = lambda;
    fans.ViewMode = view;
    EXPECT_EQ(fans.Compute(system), 1);
    std::vector<double> values;
    for (int i = 0; i < fans.PointCounts.data[0]; ++i) values.push_back(TAberrationComputation::At(fans.FirstValues, 0, i));
    return values;
  }
  static double SpotSpan(TSystemImage &system) {
    TSpotSettingsRecord defaults;
    TSpotComputation spot;
    spot.Compute(system, defaults);
    return spot.meridionalSpan;
  }
  static double FocalLength(TSystemImage &system) {
    return std::stod(GeneralInfoItems(system)[kFocalLengthLine].value);
  }
};

TEST_F(HelpNumbersTest, EveryNumberStatedForAShippedExampleIsTheProgramsOwn) {
  std::map<std::string, double> computed;  // by id, with a tolerance where the page says "near"
  std::map<std::string, double> near = {{"mtf-half", 2.0}, {"mtf-first-minimum", 6.0}, {"walk-mtf-minimum", 6.0},
                                        {"mtf-second-peak-at", 8.0}, {"mtf-zero", 4.0}};
  const TSpotSettingsRecord opening;
  computed["spot-default-pixels"] = opening.fieldSize;
  computed["spot-default-rays"] = opening.rayNumber;
  computed["synthesis-pixels"] = kSynthesisNd;

  TSystemImage mirror;
  Open(mirror, "spherical_mirror.os");
  computed["spot-mirror-span"] = computed["best-plane-span"] = SpotSpan(mirror);
  const std::vector<double> mirrorFan = AxialFan(mirror, 0, kViewTransverse);
  computed["mirror-transverse-rim"] = mirrorFan.front();
  computed["mirror-wave-rim"] = AxialFan(mirror, 0, kViewWave).front();
  // The distance from the mirror to the image plane, which the plane of best installation shortens.
  const auto distance = [&] {
    return std::fabs(mirror.GetSurfacePosition(1, 1, kGlobalFrame).x - mirror.GetSurfacePosition(2, 2, kGlobalFrame).x);
  };
  const double before = distance();
  mirror.AutoFocus(nullptr, nullptr);
  mirror.Update();
  computed["best-plane-shift"] = before - distance();
  computed["best-plane-span-after"] = SpotSpan(mirror);
  computed["best-plane-radius-after"] = computed["best-plane-span-after"] / 2.0;

  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  ASSERT_EQ(triplet.SaveUndo(""), 1);
  computed["walk-focal"] = FocalLength(triplet);
  computed["walk-f-number"] = std::stod(GeneralInfoItems(triplet)[kFNumberLine].value);
  computed["walk-spot"] = SpotSpan(triplet);
  const std::vector<double> fan = AxialFan(triplet, 1, kViewTransverse);
  computed["walk-transverse-peak"] = *std::max_element(fan.begin(), fan.end());
  computed["walk-transverse-rim"] = fan.front();
  const std::vector<double> wave = AxialFan(triplet, 1, kViewWave), red = AxialFan(triplet, 2, kViewWave);
  computed["walk-wave"] = computed["axial-wave-055"] = *std::max_element(wave.begin(), wave.end());
  computed["axial-wave-065"] = *std::max_element(red.begin(), red.end());
  // Thermo: the temperature and the pressure typed in, each undone.
  for (const auto &[line, text, id] : {std::tuple{kTemperatureLine, "60", "thermo-focal-60"},
                                       std::tuple{kPressureLine, "0", "thermo-focal-vacuum"}}) {
    ASSERT_TRUE(EditGeneralInfo(triplet, line, text).accepted);
    computed[id] = FocalLength(triplet);
    ASSERT_EQ(triplet.Undo(-1), 1);
  }
  computed["thermo-focal-change"] = computed["thermo-focal-60"] - computed["walk-focal"];
  // Each wavelength's share of the sum over wavelengths: the sum of rasters that are 1 at
  // that wavelength alone.
  const int colours = triplet.info.WavelengthCount();
  ASSERT_EQ(colours, 3);
  for (int alone = 0; alone < colours; ++alone) {
    std::vector<TWavelengthRaster> rasters(static_cast<std::size_t>(colours));
    for (int w = 0; w < colours; ++w) {
      rasters[w].lambda = triplet.info.Spectrum.data[w].lambda;
      rasters[w].weight = triplet.info.Spectrum.data[w].weight;
      rasters[w].index = w;
      rasters[w].context = &alone;
      rasters[w].read = [](void *context, int index, float *pixels) {
        pixels[0] = index == *static_cast<int *>(context) ? 1.0f : 0.0f;
        return 1;
      };
    }
    Mem<float> share;
    ASSERT_EQ(SumOverWavelengths(rasters.data(), colours, 1, share), 1);
    const char *ids[3] = {"psf-share-048", "psf-share-055", "psf-share-065"};
    computed[ids[alone]] = share.data[0];
  }
  // The grid question and the MTF of the PSF and MTF example: 128 pixels of 0.001 mm, a
  // discrete the recommendation lets pass without a question.
  double discrete = 0.001, reach = 0.0;
  int difrac = 1;
  EXPECT_EQ(CheckDiscreteParameter(nullptr, triplet, 1, discrete, difrac), 0);
  EXPECT_TRUE(Boxes().boxes.empty());
  computed["grid-nodes"] = RecommendedPsfGrid(triplet, 0.001, 1, reach);
  const TPsfGridEdge gridEdge = PsfGridEdge(triplet, 0.001, 1, 128);
  computed["grid-beam"] = gridEdge.field;
  computed["grid-share"] = 100.0 * gridEdge.share;
  {
    // The question is the off-axis beams': with the axis alone it measures less and 128
    // nodes do, and the axial PSF on the 0.128 mm raster is dark at its edge.
    TSystemImage axial;
    Open(axial, "cooke_triplet.os");
    axial.info.AlfaM.Allocate(1, 1);
    axial.info.AlfaM.data[0] = 0.0;
    MarkModelChanged();
    double axialReach = 0.0;
    EXPECT_LE(RecommendedPsfGrid(axial, 0.001, 1, axialReach), 128);
    EXPECT_LT(axialReach, reach);
    axial.info.Discrete = 0.001;
    TPsfRun run(Scratch(""));
    Mem<float> psf;
    ASSERT_EQ(run.Compute(axial, 0.0, 0.0, 128, false), 1);
    ASSERT_EQ(run.Sum(128, psf), 1);
    float peak = 0.0f, edge = 0.0f;
    for (int row = 0; row < 128; ++row)
      for (int column = 0; column < 128; ++column) {
        const float v = psf.data[row * 128 + column];
        peak = std::max(peak, v);
        if (row == 0 || column == 0 || row == 127 || column == 127) edge = std::max(edge, v);
      }
    EXPECT_LT(edge, 1e-3f * peak);
  }
  const int n = static_cast<int>(computed["grid-nodes"]);
  const double step = 1.0 / (n * 0.001);
  const std::vector<float> mtf = AxialMtf(triplet, 0.001, n);
  std::size_t k = 1;
  while (k < mtf.size() && mtf[k] > 0.5f) ++k;
  computed["mtf-half"] = step * (k - (0.5 - mtf[k]) / (mtf[k - 1] - mtf[k]));
  while (k + 1 < mtf.size() && mtf[k + 1] < mtf[k]) ++k;
  computed["mtf-first-minimum"] = computed["walk-mtf-minimum"] = k * step;
  const auto peak = std::max_element(mtf.begin() + static_cast<long>(200.0 / step), mtf.end());
  computed["mtf-second-peak"] = *peak;
  computed["mtf-second-peak-at"] = static_cast<double>(peak - mtf.begin()) * step;
  const auto zero = std::find_if(peak, mtf.end(), [](float value) { return value < 1e-3f; });
  computed["mtf-zero"] = static_cast<double>(zero - mtf.begin()) * step;
  computed["mtf-ideal-at-minimum"] = AxialMtf(triplet, 0.001, n, true)[k];
  triplet.info.Discrete = 0.0;
  triplet.info.aberrationFree = 0;

  // The first walk's radius, typed as the page says, and its undo.
  const std::map<std::string, std::string> walk = StatedNumbers("examples.html");
  ASSERT_EQ(walk.count("walk-radius"), 1u);
  ASSERT_TRUE(EditSurfaceCell(triplet, 1, kRadiusColumn, walk.at("walk-radius")).accepted);
  computed["walk-focal-changed"] = FocalLength(triplet);
  computed["walk-spot-changed"] = SpotSpan(triplet);
  EXPECT_EQ(triplet.UndoMenuText(), "Undo Radius of surface 2 (ctrl-Z)");
  ASSERT_EQ(triplet.Undo(-1), 1);
  EXPECT_EQ(FocalLength(triplet), computed["walk-focal"]);
  computed["walk-radius"] = std::stod(walk.at("walk-radius"));

  // Every marked number of every page is compared, and every computed one is stated.
  std::set<std::string> stated;
  for (const auto &entry : fs::directory_iterator(HelpDirectory() + "/pages")) {
    for (const auto &[id, text] : StatedNumbers(entry.path().filename().string())) {
      stated.insert(id);
      ASSERT_EQ(computed.count(id), 1u) << entry.path().filename() << " states " << id << " = " << text;
      const double tolerance = near.count(id) ? near[id] : Rounding(text);
      EXPECT_NEAR(std::stod(text), computed[id], tolerance) << entry.path().filename() << ": " << id;
    }
  }
  for (const auto &[id, value] : computed) EXPECT_EQ(stated.count(id), 1u) << id << " = " << value << " is not stated";
}

}  // namespace
