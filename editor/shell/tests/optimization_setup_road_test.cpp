// The optimization setup (a variable and a merit page per configuration) goes with the system
// through every command of the command table, panel shown and hidden: the system and
// parameter files written after Undo are byte for byte those before, after Redo those after.

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <set>

#include "editor/insert/element_folder.h"
#include "editor/insert/tests/insert_test_support.h"
#include "editor/optimize/optimization_panel.h"
#include "optimization/windows/optimization_viewer.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"

namespace {

using OptimizationSetupRoadTest = EditorShellTest;

TOptimizationPanel *ShowPanel(TOpticalEditor &editor, bool shown) {
  if (PropertiesFolder() == nullptr) editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  if (PropertiesFolder()->OptimizationPanelShown() != shown) PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
  return PropertiesFolder()->OptimizationPanel();
}

}  // namespace

TEST_F(OptimizationSetupRoadTest, EveryCommandsUndoAndRedoBringBackTheSystemAndItsSetup) {
  // Configuration 2 moves the first element 1 mm up, 3 the last one 2 mm along x.
  const std::string path = ScratchExample("fold_mirror.os", "Fold.os"), par = Scratch("Systems/Fold.par");
  TOpticalEditor &editor = Open(path);
  TSystemImage &system = editor.System();
  for (int c = 1; c < 3; ++c) {
    answers_->QueueAnswer(IDYES);
    editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
    TOpticalElement &moved = system.elements.data[c == 1 ? 0 : system.ElementCount() - 1];
    moved.MoveTo(moved.referencePoint.x + 2 * (c - 1), moved.referencePoint.y + 2 - c, moved.referencePoint.z);
    system.StoreConfiguration(-1);
  }
  TOptimizationPanel &panel = *ShowPanel(editor, true);
  for (int c = 0; c < 3; ++c) {
    panel.functions.Record(c, 0)->Focus.data[0].Target = 50 + c;
    TParameterDescription variable;
    variable.Set(c, 1, "R", 20 + c, 30 + c);
    panel.parameters.Add(variable);
  }
  ShowPanel(editor, false);
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  const std::string systemFile = ReadText(path), setupFile = ReadText(par);
  ASSERT_NE(setupFile.find("Left=22"), std::string::npos);
  // Every command but Exit and the animations, which run until stopped; a modal window or
  // a wait for a click (New element, Paste) is cancelled.
  std::set<int> commands, stepped;
  auto add = [&commands](const auto &list) { commands.insert(std::begin(list), std::end(list)); };
  add(kEnabledCommands), add(kToolsPaletteButtons), add(kZoomPaletteButtons), add(kConfigurationPaletteButtons);
  for (int ends : {CM_EXIT, CM_BEAM_ANIMATION, CM_LENS_ANIMATION, CM_PAUSE_ANIMATION}) commands.erase(ends);
  QTimer modals;
  QObject::connect(&modals, &QTimer::timeout, [&editor] {
    TWindow *window = WindowFromHandle(GetFocus());
    while (window != nullptr && !window->IsModal()) window = window->GetParentO();
    if (window != nullptr) window->EndModal(IDCANCEL);
    else if (editor.Queue().BusyCount() > 0) editor.Queue().Leave(1);
  });
  modals.start(20);
  TScriptedFileDialog files;
  // Every road replaces the parameter file once at most, whole: a stop leaves the old file
  // or the new one.
  static int replaced = 0;
  const TReplaceWatcher watcher = SetReplaceWatcher([](const std::string &file) { replaced += file.ends_with("/Fold.par"); });
  auto once = [&](auto road, int what) {
    replaced = 0;
    road();
    EXPECT_LE(replaced, 1) << what;
  };
  for (const bool shown : {true, false}) {
    for (const int command : commands) {
      SCOPED_TRACE(std::to_string(command) + (shown ? " panel shown" : " panel hidden"));
      system.SetUnsavedChanges(0);
      ShowPanel(editor, false);
      WriteText(path, systemFile);
      WriteText(par, setupFile);
      ASSERT_TRUE(TFileCommands::IsLoaded(editor.Files().LoadSystem(path, kNameFromFileName)));
      editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
      ShowPanel(editor, shown);
      system.elements.data[0].mark = system.hasSelection = 1;
      auto written = [&] {
        EXPECT_EQ(system.Save(Scratch("probe.os")), 1);
        if (shown) once([&] { ShowPanel(editor, false); }, -1), ShowPanel(editor, true);
        return ReadText(Scratch("probe.os")) + "\n--- parameter file ---\n" + ReadText(par);
      };
      int back = CM_UNDO, again = CM_REDO;
      if (command == CM_UNDO || command == CM_REDO) {
        answers_->QueueAnswer(IDYES);
        editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
        if (command == CM_REDO) editor.SendMessage(WM_COMMAND, CM_UNDO);
        if (command == CM_UNDO) std::swap(back, again);
      }
      const std::string before = written();
      const int index = system.options.undoIndex;
      answers_.reset();
      answers_ = std::make_unique<TRecordingMessageBoxProvider>();
      for (int i = 0; i < 4; ++i) answers_->QueueAnswer(IDYES);
      once([&] { editor.SendMessage(WM_COMMAND, command); }, command);
      if (system.options.undoIndex == index) continue;
      stepped.insert(command);
      const std::string after = written();
      // Deleting 2/3 takes its variable and page; those of 3 come onto 2.
      if (command == CM_DELETE_CONFIGURATION) {
        EXPECT_TRUE(after.find("Left=21") == std::string::npos && after.find("Config=1; Surf=1; Left=22") != std::string::npos &&
                    after.find("[Functions 1]\nFocus_R=52") != std::string::npos);
      }
      once([&] { editor.SendMessage(WM_COMMAND, back); }, back);
      EXPECT_EQ(written(), before);
      once([&] { editor.SendMessage(WM_COMMAND, again); }, again);
      // A turned system's snapshot keeps the field unit the turn set, apart from the one in
      // memory (left alone here): its setup is compared alone.
      const std::size_t from = command == CM_TURN_SYSTEM ? after.find("--- parameter") : 0;
      EXPECT_EQ(written().substr(from), after.substr(from));
    }
  }
  SetReplaceWatcher(watcher);
  for (int command : {CM_INSERT_CONFIGURATION, CM_ADD_CONFIGURATION, CM_DELETE_CONFIGURATION, CM_UNDO, CM_REDO, CM_CUT})
    EXPECT_TRUE(stepped.count(command) != 0) << command;
}

// Save As writes the whole setup under the new name, and asks before replacing another
// system's parameter file there: No leaves the files and the name as they were.
TEST_F(OptimizationSetupRoadTest, SaveAsTakesTheWholeSetupAndAsksBeforeReplacingAnother) {
  const std::string b = Scratch("Systems/B.os"), c = Scratch("Systems/C.os"), cPar = Scratch("Systems/C.par");
  const std::string other =
      "[Common]\nNumPar=1\n\n[Parameters]\n{ Config=0; Surf=3; Left=1; Right=2; Type=\"R\" }\n\n[MyNotes]\ntheirs\n";
  // The last rows: a system with no setup of its own replaces the other's with none.
  for (const auto &[shown, otherThere, answer, own] :
       {std::tuple{true, false, IDYES, true}, {false, false, IDYES, true}, {true, true, IDNO, true},
        {false, true, IDYES, true}, {true, true, IDYES, true}, {false, true, IDYES, false}, {true, true, IDYES, false}}) {
    SCOPED_TRACE(std::to_string(shown) + std::to_string(otherThere) + std::to_string(answer) + std::to_string(own));
    DropEditor();
    for (const std::string &gone : {b, c, cPar}) std::filesystem::remove(gone);
    std::filesystem::copy_file(ExamplePath("double_gauss.os"), b);
    std::filesystem::remove(Scratch("Systems/B.par"));
    if (own)
      WriteText(Scratch("Systems/B.par"), "[Common]\nNumPar=2\n\n[Parameters]\n{ Config=0; Surf=1; Left=20; Right=30; Type=\"R\" }\n"
                                          "{ Config=0; Surf=2; Left=-30; Right=-20; Type=\"R\" }\n");
    if (otherThere) WriteText(cPar, other);
    TOpticalEditor &editor = Open(b);
    if (shown) ShowPanel(editor, true);
    TScriptedFileDialog files;
    files.Choose({c});
    answers_.reset();
    answers_ = std::make_unique<TRecordingMessageBoxProvider>();
    answers_->QueueAnswer(answer);
    editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
    EXPECT_EQ(answers_->boxes.size(), otherThere ? 1u : 0u);
    EXPECT_EQ(editor.System().name, answer == IDNO ? b : c);
    EXPECT_TRUE(answer != IDNO || ReadText(cPar) == other);
    if (answer == IDNO) continue;
    ShowPanel(editor, false);
    EXPECT_EQ(ShowPanel(editor, true)->parameters.Count(), own ? 2 : 0);
    EXPECT_EQ(ReadText(cPar).find("Surf=2; Left=-30") != std::string::npos, own);
    EXPECT_EQ(ReadText(cPar).find("Surf=3"), std::string::npos);
    EXPECT_EQ(ReadText(cPar).find("[MyNotes]"), std::string::npos) << "nothing of the file replaced";
  }
}

// A turn takes every variable and scanner surface with its surface in every configuration,
// panel shown or hidden; one naming no surface after it (a distance after the last surface,
// a scanner on the detector) goes, and is told. Each variable's bounds, set round its value,
// hold the value a run reads after the turn (a mirror's gap keeps its sign where a lens's
// changes it), and two more turns give the parameter file back byte for byte.
TEST_F(OptimizationSetupRoadTest, ATurnTakesTheSetupWithItsSurfaces) {
  for (const char *example : {"double_gauss.os", "even_asphere_lens.os", "hologram_lens.os", "fold_mirror.os", "prism.os"})
    for (const bool shown : {true, false}) {
      SCOPED_TRACE(std::string(example) + (shown ? " panel shown" : " panel hidden"));
      const std::string name = (shown ? "S" : "H") + std::string(example), par = Scratch("Systems/" + name.substr(0, name.size() - 3) + ".par");
      TSystemImage &system = Open(ScratchExample(example, name)).System();
      // Configurations 2 and 3 move the first element 0.5 and 1 mm back along the axis.
      const int n = system.SurfaceCount(), configurations = 3;
      for (int c = 1; c < configurations; ++c) {
        answers_->QueueAnswer(IDYES);
        editor_->SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
        const DPOINT3 first = system.elements.data[0].referencePoint;
        system.elements.data[0].MoveTo(first.x - 0.5 * c, first.y, first.z), system.StoreConfiguration(-1);
      }
      std::vector<DPOINT3> from[configurations], to[configurations];  // where each surface stands
      auto places = [&](std::vector<DPOINT3> *at) {
        for (int c = 0; c < configurations && system.SelectConfiguration(c); ++c)
          for (int s = 0; s < n; ++s) at[c].push_back(system.GetSurfacePosition(s, 0, kGlobalFrame));
      };
      auto same = [](const DPOINT3 &a, const DPOINT3 &b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z) < 1e-9; };
      // The values a run reads (NaN: none, the run drops the variable).
      auto values = [](TOptimizationPanel &panel, const std::vector<TParameterDescription> &list) {
        TOptimizationParameters probe;
        probe.SetOwner(&panel.System());
        for (const TParameterDescription &p : list) probe.Add(p);
        probe.ReadFromSystem();
        std::vector<double> read;
        for (const TParameterDescription &p : list) {
          const int at = probe.Find(p.Config, p.Surf, p.Type);
          read.push_back(at >= 0 ? probe.Value(at) : std::nan(""));
        }
        return read;
      };
      TOptimizationPanel *panel = ShowPanel(*editor_, true);
      std::vector<TParameterDescription> before;
      for (int c = 0; c < configurations; ++c) {
        if (c < 2) panel->functions.Record(c, 0)->ScannerSurface = c == 0 ? 2 : n - 1;
        for (int s = 0; s < n; ++s)
          for (const char *type : {"R", "T", "A2", "H1"}) before.emplace_back().Set(c, s, type, -1, 1);
      }
      const std::vector<double> read = values(*panel, before);
      for (std::size_t i = 0; i < before.size(); ++i) {
        const double v = std::isnan(read[i]) ? 0 : read[i], a = 0.1 * std::fabs(v) + 1e-4;
        before[i].Set(before[i].Config, before[i].Surf, before[i].Type, v - a, v + 2 * a);
        panel->parameters.Add(before[i]);
      }
      panel = (ShowPanel(*editor_, false), ShowPanel(*editor_, true));
      const int kept = panel->parameters.Count();
      places(from), ShowPanel(*editor_, shown), answers_->boxes.clear();
      editor_->SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
      panel = (ShowPanel(*editor_, false), ShowPanel(*editor_, true)), places(to);
      std::vector<TParameterDescription> after;
      for (int i = 0; i < panel->parameters.Count(); ++i) after.push_back(panel->parameters.Get(i));
      const std::vector<double> now = values(*panel, after);
      for (std::size_t i = 0; i < after.size(); ++i) {
        const TParameterDescription &is = after[i];
        ASSERT_TRUE(is.Surf >= 0 && is.Surf + (is.Type == "T") < n) << is.Surf;
        // The same surface in space (a distance: the same pair, in either order), with the
        // bounds it had, or those negated and swapped, holding the value read now.
        const auto was = std::find_if(before.begin(), before.end(), [&](const TParameterDescription &w) {
          if (w.Config != is.Config || w.Type != is.Type || w.Surf + (w.Type == "T") >= n) return false;
          const std::vector<DPOINT3> &f = from[w.Config], &t = to[is.Config];
          const bool place = is.Type != "T" ? same(t[is.Surf], f[w.Surf])
                                            : (same(t[is.Surf], f[w.Surf]) && same(t[is.Surf + 1], f[w.Surf + 1])) ||
                                                  (same(t[is.Surf], f[w.Surf + 1]) && same(t[is.Surf + 1], f[w.Surf]));
          return place && ((is.Left == w.Left && is.Right == w.Right) || (is.Left == -w.Right && is.Right == -w.Left));
        });
        EXPECT_TRUE(was != before.end()) << is.Type << is.Surf << " configuration " << is.Config << " [" << is.Left << ", " << is.Right << "]";
        EXPECT_TRUE(std::isnan(now[i]) || (now[i] >= is.Left && now[i] <= is.Right))
            << is.Type << is.Surf << " configuration " << is.Config << " = " << now[i] << " outside [" << is.Left << ", " << is.Right << "]";
      }
      // The distance after the last surface of each configuration went, with the scanner of 2.
      EXPECT_EQ(panel->parameters.Count() + configurations, kept);
      ASSERT_EQ(answers_->boxes.size(), 1u);
      EXPECT_TRUE(answers_->boxes[0].text.find("T of surface " + std::to_string(n)) != std::string::npos &&
                  answers_->boxes[0].text.find("scanner surface " + std::to_string(n - 1) + ", configuration 2") != std::string::npos &&
                  answers_->boxes[0].text.find("no longer hold") == std::string::npos)
          << answers_->boxes[0].text;
      EXPECT_TRUE(same(to[0][panel->functions.Record(0, 0)->ScannerSurface], from[0][2]) && panel->functions.Record(1, 0)->ScannerSurface == 0);
      ShowPanel(*editor_, false);
      const std::string once = ReadText(par);
      for (int turn = 0; turn < 2; ++turn) ShowPanel(*editor_, shown), editor_->SendMessage(WM_COMMAND, CM_TURN_SYSTEM), ShowPanel(*editor_, false);
      EXPECT_EQ(ReadText(par), once);
    }
}

// A gap of no length shows no sign: turned, it takes the sense of the straight system's
// other gaps, whose bounds are negated (the lens thickness), panel shown and hidden.
TEST_F(OptimizationSetupRoadTest, AGapOfNoLengthTurnsAsTheOtherGapsOfItsSystem) {
  for (const bool shown : {true, false}) {
    const std::string path = ScratchExample("singlet.os", shown ? "ZeroS.os" : "ZeroH.os");
    std::string text = ReadText(path);
    text.replace(text.find("Dx=10;"), 6, "Dx=0;");  // the first plane onto the lens's vertex
    WriteText(path, text);
    Open(path);
    TOptimizationPanel *panel = ShowPanel(*editor_, true);
    TParameterDescription gap, lens;
    gap.Set(0, 0, "T", 0, 20), lens.Set(0, 1, "T", 2.5, 7.5);
    panel->parameters.Add(gap), panel->parameters.Add(lens);
    ShowPanel(*editor_, false), ShowPanel(*editor_, shown);
    editor_->SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
    panel = (ShowPanel(*editor_, false), ShowPanel(*editor_, true));
    ASSERT_EQ(panel->parameters.Count(), 2);
    for (int i = 0; i < 2; ++i) {
      const TParameterDescription p = panel->parameters.Get(i);
      const bool wasGap = p.Surf == 2;
      EXPECT_EQ(p.Left, wasGap ? -20 : -7.5) << p.Surf;
      EXPECT_EQ(p.Right, wasGap ? 0 : -2.5) << p.Surf;
    }
    ShowPanel(*editor_, false);
  }
}

// Every command of the table that adds, removes or reorders surfaces (a placement picks the
// first element and lands halfway to the second, the element folder takes a 60 mm lens)
// leaves each variable on the surface at the same place, of the same radius, as before: a
// distance whose pair got surfaces between them stays the gap behind the first.
TEST_F(OptimizationSetupRoadTest, EveryCommandThatMovesSurfacesTakesTheSetupWithThem) {
  const std::string path = ScratchExample("cooke_triplet.os", "Moved.os"), par = Scratch("Systems/Moved.par");
  TOpticalEditor &editor = Open(path);
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  TOptimizationPanel *panel = ShowPanel(editor, true);
  std::vector<TParameterDescription> set;
  for (int s = 0; s < n; ++s)
    for (const char *type : {"R", "T"})
      if (s + (type[0] == 'T') < n) set.emplace_back().Set(0, s, type, set.size() - 1, set.size() - 0.5), panel->parameters.Add(set.back());
  ShowPanel(editor, false);
  const std::string systemFile = ReadText(path), setupFile = ReadText(par);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  insert_test::ElementPoint(system, 0, x0, y0), insert_test::ElementPoint(system, 1, x1, y1);
  std::set<int> commands, renumbered;
  auto add = [&commands](const auto &list) { commands.insert(std::begin(list), std::end(list)); };
  add(kEnabledCommands), add(kToolsPaletteButtons), add(kZoomPaletteButtons), add(kConfigurationPaletteButtons);
  for (int ends : {CM_EXIT, CM_BEAM_ANIMATION, CM_LENS_ANIMATION, CM_PAUSE_ANIMATION, CM_UNDO, CM_REDO}) commands.erase(ends);
  int clicks = 0;
  QTimer modals;
  QObject::connect(&modals, &QTimer::timeout, [&] {
    TWindow *window = WindowFromHandle(GetFocus());
    while (window != nullptr && !window->IsModal()) window = window->GetParentO();
    if (auto *folder = dynamic_cast<TElementFolder *>(window); folder != nullptr && clicks++ < 4) {
      folder->LensPage()->SetDlgItemText(kFocalLengthId, "60"), folder->LensPage()->SetDlgItemText(kLensThicknessId, "2");
      folder->PostMessage(WM_COMMAND, IDOK, 0);
    } else if (window != nullptr) {
      window->EndModal(IDCANCEL);
    } else if ((editor.Insertion().NewSingleSurfaceDown() || editor.Insertion().NewElementDown()) && clicks < 2) {
      const bool pick = clicks++ == 0;
      insert_test::ClickWorld(editor, pick ? x0 : (x0 + x1) / 2, pick ? y0 : (y0 + y1) / 2);
    } else if (editor.Queue().BusyCount() > 0) {
      editor.Queue().Leave(1);
    }
  });
  modals.start(20);
  TScriptedFileDialog files;
  for (const bool shown : {true, false})
    for (const int command : commands) {
      SCOPED_TRACE(std::to_string(command) + (shown ? " panel shown" : " panel hidden"));
      ShowPanel(editor, false), WriteText(path, systemFile), WriteText(par, setupFile);
      ASSERT_TRUE(TFileCommands::IsLoaded(editor.Files().LoadSystem(path, kNameFromFileName)));
      system.elements.data[1].mark = system.hasSelection = 1, system.selectedElement = 1;
      std::vector<std::pair<DPOINT3, double>> from, to;  // each surface's vertex and radius
      auto places = [&system](std::vector<std::pair<DPOINT3, double>> &at) {
        for (int s = 0; s < system.SurfaceCount(); ++s) at.emplace_back(system.GetSurfacePosition(s, 0, kGlobalFrame), system.Surface(s)->general.R);
      };
      auto same = [](const std::pair<DPOINT3, double> &a, const std::pair<DPOINT3, double> &b) {
        return std::hypot(a.first.x - b.first.x, a.first.y - b.first.y, a.first.z - b.first.z) < 1e-9 && a.second == b.second;
      };
      places(from), ShowPanel(editor, shown), clicks = 0;
      for (int i = 0; i < 4; ++i) answers_->QueueAnswer(IDYES);
      editor.SendMessage(WM_COMMAND, command);
      places(to);
      if (to.size() != from.size()) renumbered.insert(command);
      panel = (ShowPanel(editor, false), ShowPanel(editor, true));
      // Nothing goes while every surface stays.
      EXPECT_TRUE(to.size() != from.size() || panel->parameters.Count() == static_cast<int>(set.size()));
      for (int i = 0; i < panel->parameters.Count(); ++i) {
        const double left = panel->parameters.Left(i), known = left >= 0 ? left : -panel->parameters.Right(i);
        const TParameterDescription was = set.at(static_cast<std::size_t>(known)), is = panel->parameters.Get(i);
        // Checked where its surface still stands somewhere (a command may move surfaces); one
        // whose surface a command took away has gone with it.
        if (std::none_of(to.begin(), to.end(), [&](const auto &place) { return same(place, from[was.Surf]); })) {
          EXPECT_FALSE(to.size() < from.size()) << was.Type << was.Surf << " of a surface taken away stays as " << is.Surf;
          continue;
        }
        ASSERT_LT(is.Surf, static_cast<int>(to.size()));
        const bool turned = is.Type == "T" && is.Surf + 1 < static_cast<int>(to.size()) && same(to[is.Surf + 1], from[was.Surf]);
        EXPECT_TRUE(same(to[is.Surf], from[was.Surf]) || turned) << was.Type << was.Surf << " -> " << is.Surf;
      }
    }
  for (int command : {CM_DELETE, CM_CUT, CM_NEW_SINGLE_SURFACE, CM_NEW_ELEMENT})
    EXPECT_TRUE(renumbered.count(command) != 0) << command;
}

// An edit's undo step forces only its snapshot to the disk (the setup beside it is read by
// nothing after a crash), and an Undo and a Redo that bring back the setup the panel holds
// leave the panel as it is (a value no file holds stays); a step of another setup is read.
TEST_F(OptimizationSetupRoadTest, AnUndoStepForcesOnlyItsSnapshotAndKeepsThePagesThatStay) {
  TOpticalEditor &editor = Open(ScratchExample("fold_mirror.os", "Pages.os"));
  TSystemImage &system = editor.System();
  TOptimizationPanel *panel = ShowPanel(editor, true);
  TParameterDescription variable;
  variable.Set(0, 1, "R", 0.01, 0.03);
  panel->parameters.Add(variable);
  static std::vector<std::string> forced;
  const TReplaceWatcher watcher = SetReplaceWatcher([](const std::string &file) { forced.push_back(file); });
  for (const int target : {40, 41}) {
    forced.clear();
    panel->functions.Record(0, 0)->Focus.data[0].Target = target;
    system.Surface(1)->SetRadius(target), system.Update();
    ASSERT_EQ(system.SaveUndo("Radius"), 1);
    EXPECT_TRUE(forced.size() == 1 && IsUndoFileName(std::filesystem::path(forced[0]).filename().string())) << forced.size();
    panel->parameters.StoreValue(0, 123);
    editor.SendMessage(WM_COMMAND, target == 40 ? CM_UNDO : CM_REDO);
    editor.SendMessage(WM_COMMAND, target == 40 ? CM_REDO : CM_UNDO);
    EXPECT_EQ(panel->parameters.Value(0), 123);
  }
  // Back to the step before the target changed: read from its copy.
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(panel->functions.Record(0, 0)->Focus.data[0].Target, 40);
  EXPECT_NE(panel->parameters.Value(0), 123);
  SetReplaceWatcher(watcher);
}

// The progress window of a run on one system closes when another is opened or a new one made.
TEST_F(OptimizationSetupRoadTest, TheLastRunsProgressWindowGoesWithItsSystem) {
  for (const int command : {CM_OPEN_SYSTEM, CM_NEW_SYSTEM}) {
    TOpticalEditor &editor = Open(ScratchExample("singlet.os", "Run" + std::to_string(command) + ".os"));
    auto *viewer = new TOptimizationViewer(&editor);
    ASSERT_TRUE(viewer->Create());
    ASSERT_EQ(TOptimizationViewer::Existing(), viewer);
    TScriptedFileDialog files;
    files.Choose({ScratchExample("double_gauss.os", "Other" + std::to_string(command) + ".os")});
    answers_->QueueAnswer(IDNO);
    editor.SendMessage(WM_COMMAND, command);
    EXPECT_EQ(TOptimizationViewer::Existing(), nullptr) << command;
    EXPECT_EQ(editor.System().name.find("Other") != std::string::npos, command == CM_OPEN_SYSTEM);
  }
}
