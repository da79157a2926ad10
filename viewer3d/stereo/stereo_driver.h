#pragma once
// The stereo-glasses driver: an outside program that lies beside ours as "stereo_driver".
// It is started with an argument vector, never through a shell: its first argument is one
// command ("CheckDrv", "On", "Off", "RightToLeft"), its second the per-user temporary
// directory, where for "CheckDrv" an installed driver leaves its answer file
// "stereo_driver.ans". Its output goes nowhere; a driver that cannot be started is not
// reported.

#include <functional>
#include <string>

constexpr const char *kStereoDriverName = "stereo_driver";
constexpr const char *kStereoAnswerName = "stereo_driver.ans";
// How long "CheckDrv" waits for the answer file, dispatching messages meanwhile.
constexpr double kDriverCheckSeconds = 0.3;

// Waits the given seconds (the viewer's dispatches the window messages meanwhile).
using TPumpingWait = std::function<void(double seconds)>;

// Starts the driver with the command. "CheckDrv" answers 1 when the answer file appeared
// within the wait (it is deleted afterwards), else 0; every other command answers 1 at
// once. Drivers that ended are reaped at the next call.
int RunStereoDriver(const std::string &programDirectory, const std::string &temporaryDirectory,
                    const std::string &command, const TPumpingWait &wait);
