#pragma once
// TPrintSystemProperties: prints the system report (system_report.h) on the printer, its
// surface table ruled with lines. The report goes through a file in the temporary
// directory, removed once printed.

#include <string>

class TSystemImage;
class TWindow;

class TPrintSystemProperties {
 public:
  // shownName stands for the system's file name in the report (an unnamed system's).
  TPrintSystemProperties(TWindow *frame, TSystemImage &system, std::string shownName = {});
  // 1 when the report was printed; 0 when it could not be (the user is told why) or the
  // printing did not go out.
  int Execute();

 private:
  TWindow *frame_;
  TSystemImage &system_;
  std::string shownName_;
};
