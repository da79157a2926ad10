#pragma once
// TPrintSystemProperties: prints the system report (system_report.h) on the printer, its
// surface table ruled with lines. The report goes through a file in the temporary
// directory, removed once printed.

class TOpticalSystem;
class TWindow;

class TPrintSystemProperties {
 public:
  TPrintSystemProperties(TWindow *frame, const TOpticalSystem &system);
  // 1 when the report was printed; 0 when it could not be (the user is told why) or the
  // printing did not go out.
  int Execute();

 private:
  TWindow *frame_;
  const TOpticalSystem &system_;
};
