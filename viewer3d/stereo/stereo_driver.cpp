#include "viewer3d/stereo/stereo_driver.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

extern char **environ;

namespace {

// The answer file is looked for this often while the check waits.
constexpr double kCheckSlice = 0.02;

std::string Join(const std::string &directory, const char *name) {
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool IsFile(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Drivers started and not yet seen to end.
std::vector<pid_t> &Running() {
  static std::vector<pid_t> running;
  return running;
}

void ReapEnded() {
  std::vector<pid_t> &running = Running();
  running.erase(std::remove_if(running.begin(), running.end(),
                               [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; }),
                running.end());
}

// Starts the driver quietly; 0 when it could not be.
pid_t Start(const std::string &program, const std::string &command, const std::string &directory) {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return 0;
  for (int stream : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == 0 ? O_RDONLY : O_WRONLY, 0);
  std::vector<char> name(program.begin(), program.end()), word(command.begin(), command.end()),
      place(directory.begin(), directory.end());
  name.push_back('\0');
  word.push_back('\0');
  place.push_back('\0');
  char *arguments[] = {name.data(), word.data(), place.data(), nullptr};
  pid_t pid = 0;
  const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  return started == 0 ? pid : 0;
}

}  // namespace

int RunStereoDriver(const std::string &programDirectory, const std::string &temporaryDirectory,
                    const std::string &command, const TPumpingWait &wait) {
  ReapEnded();
  const bool check = command == "CheckDrv";
  // Without the program's own directories the driver would be whatever lies in the
  // directory the program was started in: none is run.
  if (programDirectory.empty() || temporaryDirectory.empty()) return check ? 0 : 1;
  const std::string program = Join(programDirectory, kStereoDriverName);
  const std::string answer = Join(temporaryDirectory, kStereoAnswerName);
  // An answer left from before says nothing about this driver.
  if (check) std::remove(answer.c_str());
  const pid_t pid = ::access(program.c_str(), X_OK) == 0 ? Start(program, command, temporaryDirectory) : 0;
  if (!check) {
    if (pid != 0) Running().push_back(pid);
    return 1;
  }
  if (pid == 0) return 0;
  // The whole wait at most; a driver that answered or ended early ends it early.
  bool ended = false;
  for (double waited = 0.0; waited < kDriverCheckSeconds && !IsFile(answer); waited += kCheckSlice) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) {
      ended = true;
      break;
    }
    if (wait) {
      wait(kCheckSlice);
    } else {
      ::usleep(static_cast<useconds_t>(kCheckSlice * 1e6));
    }
  }
  if (!ended) Running().push_back(pid);
  const int found = IsFile(answer) ? 1 : 0;
  std::remove(answer.c_str());
  return found;
}
