#pragma once
// The faults area holds the words for processor and floating-point faults and the handlers
// that report them. It uses nothing else of the program.
//
// Processor and floating-point faults described in words.
//
// InstallFaultHandlers hooks SIGFPE, SIGILL and SIGSEGV. A fault cannot be resumed or
// unwound from a signal handler (returning re-runs the faulting instruction, throwing is
// undefined), so the handler settles it: it builds the description in fixed storage, hands
// it to the receiver when one is registered, writes the text to standard error and ends
// the process with 128 + the signal number. Everything the handler itself does is
// async-signal-safe; a receiver runs inside the handler and must keep to such calls too.
//
// Math-library errors are not signals: FaultMathErrorHook runs in the caller's context, so
// its description goes to the receiver or waits for TakePendingMathFault.

#include <cstddef>

enum TFaultKind : int {
  kFaultFloatingPoint = 0,
  kFaultMathLibrary = 1,
  kFaultIllegalInstruction = 2,
  kFaultSegmentViolation = 3,
};

// Sub-codes of the descriptions (the program's historical numbering).
constexpr int kFaultCodeIntegerOverflow = 126;
constexpr int kFaultCodeIntegerDivide = 127;
constexpr int kFaultCodeInvalidOperation = 129;
constexpr int kFaultCodeDivideByZero = 131;
constexpr int kFaultCodeOverflow = 132;
constexpr int kFaultCodeUnderflow = 133;
constexpr int kFaultCodePrecisionLoss = 134;
constexpr int kFaultCodeStackOverflow = 135;
constexpr int kFaultCodeIllegalOperation = 20;
constexpr int kFaultCodePrivilegedInstruction = 22;
constexpr int kFaultCodeBoundViolation = 10;
constexpr int kFaultCodeAccessViolation = 12;
constexpr int kFaultCodeStackGrowth = 13;
// A signal sub-code without a description of its own.
constexpr int kFaultCodeUnknown = -1;

// Math-library error types.
constexpr int kMathDomain = 1;
constexpr int kMathSingularity = 2;
constexpr int kMathOverflow = 3;
constexpr int kMathUnderflow = 4;
constexpr int kMathTotalLoss = 5;
constexpr int kMathPartialLoss = 6;

constexpr std::size_t kFaultTitleSize = 16;
constexpr std::size_t kFaultTextSize = 320;

// One fault: kind, sub-code, title and text. Fixed-size texts, so that a signal handler can
// fill one without allocating.
struct TFaultDescription {
  int kind = 0;
  int code = 0;
  char title[kFaultTitleSize] = {};
  char text[kFaultTextSize] = {};
};

// Receives the descriptions. For signal faults it is called inside the signal handler.
class TFaultReceiver {
 public:
  virtual void ReceiveFault(const TFaultDescription *fault) = 0;
  virtual ~TFaultReceiver() = default;
};

// The runtime's record of a math-library error.
struct TMathException {
  int type = 0;
  const char *name = nullptr;
  double arg1 = 0.0;
};

// Hooks the three signals once; a non-null receiver replaces the current one.
void InstallFaultHandlers(TFaultReceiver *receiver);
// Gives the three signals back the handling they had before installation and forgets
// the receiver.
void RemoveFaultHandlers();
bool FaultHandlersInstalled();
// The prefix of every text ("name : ..."); null or empty restores no prefix.
void SetFaultProgramName(const char *name);

// The program's sub-code for a signal's si_code, or kFaultCodeUnknown.
int FaultCodeFromSignal(int signal, int signalCode);
// Fills the description of a signal fault with the program's sub-code. A code without a
// description keeps the description last chosen for that signal. Async-signal-safe.
void DescribeSignalFault(int signal, int code, TFaultDescription *fault);

// The math-library error hook: acts only while the handlers are installed. Returns 0, so
// the library's own error handling follows.
int FaultMathErrorHook(const TMathException *error);
// Takes the math fault that found no receiver; false when none is waiting.
bool TakePendingMathFault(TFaultDescription *fault);
