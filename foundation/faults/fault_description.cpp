#include "foundation/faults/fault_description.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kHookedSignals[] = {SIGFPE, SIGILL, SIGSEGV};
constexpr std::size_t kProgramNameSize = 128;
// The handler's own stack, so that a stack overflow can still be described.
constexpr std::size_t kAlternateStackSize = 64 * 1024;

volatile sig_atomic_t gInstalled = 0;
TFaultReceiver *gReceiver = nullptr;
char gProgramName[kProgramNameSize] = {};
struct sigaction gPrevious[3];
stack_t gPreviousStack;
alignas(16) char gAlternateStack[kAlternateStackSize];
bool gAlternateStackSet = false;

// The description last chosen for each signal; empty before the first.
const char *gLastFloatingPoint = "";
const char *gLastIllegal = "";
const char *gLastSegment = "";

TFaultDescription gSignalFault;
TFaultDescription gPendingMathFault;
bool gMathFaultPending = false;

// Async-signal-safe bounded concatenation; the destination always stays terminated.
void Append(char *destination, std::size_t size, const char *source) {
  std::size_t used = 0;
  while (used + 1 < size && destination[used] != '\0') ++used;
  while (used + 1 < size && *source != '\0') destination[used++] = *source++;
  destination[used] = '\0';
}

void Copy(char *destination, std::size_t size, const char *source) {
  destination[0] = '\0';
  Append(destination, size, source);
}

const char *FloatingPointText(int code) {
  switch (code) {
    case kFaultCodeIntegerOverflow:
      return "80x86 Interrupt on overflow";
    case kFaultCodeIntegerDivide:
      return "80x86 Integer divide by zero";
    case kFaultCodeInvalidOperation:
      return "Invalid operation";
    case kFaultCodeDivideByZero:
      return "Divide by zero";
    case kFaultCodeOverflow:
      return "Overflow";
    case kFaultCodeUnderflow:
      return "Underflow";
    case kFaultCodePrecisionLoss:
      return "Precision loss";
    case kFaultCodeStackOverflow:
      return "FP stack overflow";
    default:
      return nullptr;
  }
}

const char *IllegalText(int code) {
  switch (code) {
    case kFaultCodeIllegalOperation:
      return "Illegal operation exception";
    case kFaultCodePrivilegedInstruction:
      return "Privileged instruction";
    default:
      return nullptr;
  }
}

const char *SegmentText(int code) {
  switch (code) {
    case kFaultCodeBoundViolation:
      return "A BOUND violation";
    case kFaultCodeAccessViolation:
      return "Access violation";
    case kFaultCodeStackGrowth:
      return "Unable to grow stack";
    default:
      return nullptr;
  }
}

const char *MathErrorText(int type) {
  switch (type) {
    case kMathDomain:
      return "Argument domain error";
    case kMathSingularity:
      return "Argument singularity ";
    case kMathOverflow:
      return "Overflow range error ";
    case kMathUnderflow:
      return "Underflow range error";
    case kMathTotalLoss:
      return "Total loss of significance";
    case kMathPartialLoss:
      return "Partial loss of significance";
    default:
      return "";
  }
}

void WriteAll(const char *text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t written = write(STDERR_FILENO, text, left);
    if (written <= 0) return;
    text += written;
    left -= static_cast<std::size_t>(written);
  }
}

void SignalFaultHandler(int signal, siginfo_t *info, void *) {
  const int code = FaultCodeFromSignal(signal, info != nullptr ? info->si_code : 0);
  DescribeSignalFault(signal, code, &gSignalFault);
  if (gReceiver != nullptr) gReceiver->ReceiveFault(&gSignalFault);
  WriteAll(gSignalFault.text);
  WriteAll("\n");
  _exit(128 + signal);
}

int SignalSlot(int signal) {
  for (int i = 0; i < 3; ++i) {
    if (kHookedSignals[i] == signal) return i;
  }
  return -1;
}

void HookFaultSignals() {
  stack_t stack{};
  stack.ss_sp = gAlternateStack;
  stack.ss_size = sizeof gAlternateStack;
  gAlternateStackSet = sigaltstack(&stack, &gPreviousStack) == 0;
  struct sigaction action {};
  action.sa_sigaction = SignalFaultHandler;
  // A second fault inside the handler meets the default action instead of looping.
  action.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : kHookedSignals) sigaction(signal, &action, &gPrevious[SignalSlot(signal)]);
  gInstalled = 1;
}

}  // namespace

void InstallFaultHandlers(TFaultReceiver *receiver) {
  if (!gInstalled) HookFaultSignals();
  if (receiver != nullptr) gReceiver = receiver;
}

void RemoveFaultHandlers() {
  if (!gInstalled) return;
  for (int signal : kHookedSignals) sigaction(signal, &gPrevious[SignalSlot(signal)], nullptr);
  if (gAlternateStackSet) sigaltstack(&gPreviousStack, nullptr);
  gAlternateStackSet = false;
  // The receiver may not outlive the installation it was given with.
  gReceiver = nullptr;
  gInstalled = 0;
}

bool FaultHandlersInstalled() { return gInstalled != 0; }

void SetFaultProgramName(const char *name) {
  Copy(gProgramName, sizeof gProgramName, name != nullptr ? name : "");
}

int FaultCodeFromSignal(int signal, int signalCode) {
  if (signal == SIGFPE) {
    switch (signalCode) {
      case FPE_INTDIV:
        return kFaultCodeIntegerDivide;
      case FPE_INTOVF:
        return kFaultCodeIntegerOverflow;
      case FPE_FLTDIV:
        return kFaultCodeDivideByZero;
      case FPE_FLTOVF:
        return kFaultCodeOverflow;
      case FPE_FLTUND:
        return kFaultCodeUnderflow;
      case FPE_FLTRES:
        return kFaultCodePrecisionLoss;
      case FPE_FLTINV:
        return kFaultCodeInvalidOperation;
      default:
        return kFaultCodeUnknown;
    }
  }
  if (signal == SIGILL) {
    switch (signalCode) {
      case ILL_ILLOPC:
      case ILL_ILLOPN:
      case ILL_ILLADR:
        return kFaultCodeIllegalOperation;
      case ILL_PRVOPC:
      case ILL_PRVREG:
        return kFaultCodePrivilegedInstruction;
      default:
        return kFaultCodeUnknown;
    }
  }
  if (signal == SIGSEGV) {
    switch (signalCode) {
      case SEGV_MAPERR:
      case SEGV_ACCERR:
        return kFaultCodeAccessViolation;
#ifdef SEGV_BNDERR
      case SEGV_BNDERR:
        return kFaultCodeBoundViolation;
#endif
      default:
        return kFaultCodeUnknown;
    }
  }
  return kFaultCodeUnknown;
}

void DescribeSignalFault(int signal, int code, TFaultDescription *fault) {
  const char *words = "";
  const char *title = "";
  const char *what = "";
  int kind = kFaultFloatingPoint;
  if (signal == SIGFPE) {
    if (const char *text = FloatingPointText(code)) gLastFloatingPoint = text;
    words = gLastFloatingPoint;
    title = "FP Error";
    what = "Floating point error... (";
  } else if (signal == SIGILL) {
    if (const char *text = IllegalText(code)) gLastIllegal = text;
    words = gLastIllegal;
    kind = kFaultIllegalInstruction;
    title = "Illegal Error";
    what = "Illegal error... (";
  } else {
    if (const char *text = SegmentText(code)) gLastSegment = text;
    words = gLastSegment;
    kind = kFaultSegmentViolation;
    title = "Segv Error";
    what = "SegV error... (";
  }
  fault->kind = kind;
  fault->code = code;
  Copy(fault->title, sizeof fault->title, title);
  fault->text[0] = '\0';
  if (gProgramName[0] != '\0') {
    Append(fault->text, sizeof fault->text, gProgramName);
    Append(fault->text, sizeof fault->text, " : ");
  }
  Append(fault->text, sizeof fault->text, what);
  Append(fault->text, sizeof fault->text, words);
  Append(fault->text, sizeof fault->text, ")");
}

int FaultMathErrorHook(const TMathException *error) {
  if (!gInstalled || error == nullptr) return 0;
  TFaultDescription fault;
  fault.kind = kFaultMathLibrary;
  fault.code = error->type;
  Copy(fault.title, sizeof fault.title, "Math Error");
  const char *function = error->name != nullptr ? error->name : "";
  if (gProgramName[0] != '\0') {
    std::snprintf(fault.text, sizeof fault.text, "%s : %s (%g) caused floating point error '%s'",
                  gProgramName, function, error->arg1, MathErrorText(error->type));
  } else {
    std::snprintf(fault.text, sizeof fault.text, "%s (%g) caused floating point error '%s'",
                  function, error->arg1, MathErrorText(error->type));
  }
  if (gReceiver != nullptr) {
    gReceiver->ReceiveFault(&fault);
  } else {
    gPendingMathFault = fault;
    gMathFaultPending = true;
  }
  return 0;
}

bool TakePendingMathFault(TFaultDescription *fault) {
  if (!gMathFaultPending) return false;
  if (fault != nullptr) *fault = gPendingMathFault;
  gMathFaultPending = false;
  return true;
}
