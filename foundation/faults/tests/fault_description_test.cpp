#include "foundation/faults/fault_description.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

class RecordingReceiver : public TFaultReceiver {
 public:
  void ReceiveFault(const TFaultDescription *fault) override {
    last = *fault;
    ++calls;
  }
  TFaultDescription last;
  int calls = 0;
};

// Called inside the signal handler: only write(2).
class SignalSafeReceiver : public TFaultReceiver {
 public:
  void ReceiveFault(const TFaultDescription *fault) override {
    const char prefix[] = "receiver got: ";
    ssize_t ignored = write(STDERR_FILENO, prefix, sizeof prefix - 1);
    ignored = write(STDERR_FILENO, fault->title, std::strlen(fault->title));
    ignored = write(STDERR_FILENO, "\n", 1);
    (void)ignored;
  }
};

class FaultDescriptionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RemoveFaultHandlers();
    SetFaultProgramName(nullptr);
    TakePendingMathFault(nullptr);
  }
};

// Real faults, kept away from the sanitizers' own checks so that the signal arrives.
__attribute__((no_sanitize("undefined"), noinline)) int DivideByZero() {
  // Both operands unknown to the compiler, so the division instruction is really emitted.
  volatile int numerator = 7;
  volatile int zero = 0;
  volatile int quotient = numerator / zero;
  return quotient;
}

__attribute__((no_sanitize("address", "undefined"), noinline)) void WriteThroughNull() {
  int *volatile nowhere = nullptr;
  *static_cast<volatile int *>(nowhere) = 1;
}

}  // namespace

TEST_F(FaultDescriptionTest, IntegerDivideByZeroText) {
  TFaultDescription fault;
  DescribeSignalFault(SIGFPE, FaultCodeFromSignal(SIGFPE, FPE_INTDIV), &fault);
  EXPECT_EQ(fault.kind, kFaultFloatingPoint);
  EXPECT_EQ(fault.code, 127);
  EXPECT_STREQ(fault.title, "FP Error");
  EXPECT_STREQ(fault.text, "Floating point error... (80x86 Integer divide by zero)");
}

TEST_F(FaultDescriptionTest, ProgramNamePrefixesTheText) {
  SetFaultProgramName("optic");
  TFaultDescription fault;
  DescribeSignalFault(SIGSEGV, kFaultCodeAccessViolation, &fault);
  EXPECT_EQ(fault.kind, kFaultSegmentViolation);
  EXPECT_STREQ(fault.title, "Segv Error");
  EXPECT_STREQ(fault.text, "optic : SegV error... (Access violation)");
  SetFaultProgramName(nullptr);
  DescribeSignalFault(SIGILL, kFaultCodePrivilegedInstruction, &fault);
  EXPECT_STREQ(fault.text, "Illegal error... (Privileged instruction)");
  // An overlong name is cut, never written past the field.
  SetFaultProgramName(std::string(1000, 'x').c_str());
  DescribeSignalFault(SIGSEGV, kFaultCodeAccessViolation, &fault);
  EXPECT_LT(std::strlen(fault.text), kFaultTextSize);
}

TEST_F(FaultDescriptionTest, UnknownSubCodeKeepsThePreviousDescription) {
  TFaultDescription fault;
  DescribeSignalFault(SIGILL, kFaultCodeIllegalOperation, &fault);
  DescribeSignalFault(SIGILL, 99, &fault);
  EXPECT_EQ(fault.kind, kFaultIllegalInstruction);
  EXPECT_EQ(fault.code, 99);
  EXPECT_STREQ(fault.title, "Illegal Error");
  EXPECT_STREQ(fault.text, "Illegal error... (Illegal operation exception)");
  DescribeSignalFault(SIGFPE, kFaultCodeStackOverflow, &fault);
  DescribeSignalFault(SIGFPE, kFaultCodeUnknown, &fault);
  EXPECT_STREQ(fault.text, "Floating point error... (FP stack overflow)");
}

TEST_F(FaultDescriptionTest, SignalCodesMapToTheDescriptions) {
  EXPECT_EQ(FaultCodeFromSignal(SIGFPE, FPE_FLTDIV), kFaultCodeDivideByZero);
  EXPECT_EQ(FaultCodeFromSignal(SIGFPE, FPE_FLTINV), kFaultCodeInvalidOperation);
  EXPECT_EQ(FaultCodeFromSignal(SIGFPE, FPE_INTOVF), kFaultCodeIntegerOverflow);
  EXPECT_EQ(FaultCodeFromSignal(SIGILL, ILL_PRVOPC), kFaultCodePrivilegedInstruction);
  EXPECT_EQ(FaultCodeFromSignal(SIGSEGV, SEGV_ACCERR), kFaultCodeAccessViolation);
  EXPECT_EQ(FaultCodeFromSignal(SIGSEGV, SI_USER), kFaultCodeUnknown);
}

TEST_F(FaultDescriptionTest, MathErrorsActOnlyWhileInstalled) {
  const TMathException domain{kMathDomain, "sqrt", -1.0};
  EXPECT_EQ(FaultMathErrorHook(&domain), 0);
  EXPECT_FALSE(TakePendingMathFault(nullptr));

  InstallFaultHandlers(nullptr);
  EXPECT_TRUE(FaultHandlersInstalled());
  EXPECT_EQ(FaultMathErrorHook(&domain), 0);
  TFaultDescription fault;
  ASSERT_TRUE(TakePendingMathFault(&fault));
  EXPECT_EQ(fault.kind, kFaultMathLibrary);
  EXPECT_EQ(fault.code, kMathDomain);
  EXPECT_STREQ(fault.title, "Math Error");
  EXPECT_STREQ(fault.text, "sqrt (-1) caused floating point error 'Argument domain error'");
  EXPECT_FALSE(TakePendingMathFault(&fault));

  RemoveFaultHandlers();
  EXPECT_FALSE(FaultHandlersInstalled());
  EXPECT_EQ(FaultMathErrorHook(&domain), 0);
  EXPECT_FALSE(TakePendingMathFault(nullptr));
}

TEST_F(FaultDescriptionTest, MathErrorGoesToTheReceiver) {
  RecordingReceiver receiver;
  InstallFaultHandlers(&receiver);
  SetFaultProgramName("optic");
  const TMathException singular{kMathSingularity, "log", 0.0};
  FaultMathErrorHook(&singular);
  EXPECT_EQ(receiver.calls, 1);
  EXPECT_STREQ(receiver.last.text,
               "optic : log (0) caused floating point error 'Argument singularity '");
  EXPECT_FALSE(TakePendingMathFault(nullptr));
  // Installing again without a receiver keeps the one registered.
  InstallFaultHandlers(nullptr);
  FaultMathErrorHook(&singular);
  EXPECT_EQ(receiver.calls, 2);
}

TEST_F(FaultDescriptionTest, InstallingTwiceAndRemovingRestoresTheHandlers) {
  struct sigaction before {};
  sigaction(SIGSEGV, nullptr, &before);
  InstallFaultHandlers(nullptr);
  InstallFaultHandlers(nullptr);
  struct sigaction during {};
  sigaction(SIGSEGV, nullptr, &during);
  EXPECT_NE(during.sa_sigaction, before.sa_sigaction);
  RemoveFaultHandlers();
  struct sigaction after {};
  sigaction(SIGSEGV, nullptr, &after);
  EXPECT_EQ(after.sa_sigaction, before.sa_sigaction);
}

using FaultDescriptionDeathTest = FaultDescriptionTest;

TEST_F(FaultDescriptionDeathTest, IntegerDivisionEndsWithItsDescription) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallFaultHandlers(nullptr);
        DivideByZero();
      },
      ::testing::ExitedWithCode(128 + SIGFPE),
      "Floating point error\\.\\.\\. \\(80x86 Integer divide by zero\\)");
}

TEST_F(FaultDescriptionDeathTest, AccessViolationReachesTheReceiverThenEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static SignalSafeReceiver receiver;
        InstallFaultHandlers(&receiver);
        SetFaultProgramName("optic");
        WriteThroughNull();
      },
      ::testing::ExitedWithCode(128 + SIGSEGV),
      "receiver got: Segv Error\noptic : SegV error\\.\\.\\. \\(Access violation\\)");
}
