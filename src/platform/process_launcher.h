#pragma once
// Starting and ending programs. A child is started with posix_spawn in its own working folder
// (the program never changes its own working folder) and is ended through its own pidfd, so only
// a process this program started is ever signalled.
#include <memory>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
 public:
  // Starts `program` with `arguments` in `workingFolder` (empty: the current folder).
  // nullptr when it cannot be started; `error` then holds the reason.
  static std::unique_ptr<ChildProcess> Launch(const std::string& program, const std::vector<std::string>& arguments,
                                              const std::string& workingFolder, std::string* error = nullptr);
  // Only Launch can name the key, so only it makes children.
  class Key {
    friend class ChildProcess;
    Key() = default;
  };
  ChildProcess(Key, int pid, int pidfd);
  ~ChildProcess();  // reaps the child when it has ended; a running child is left running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int Pid() const { return pid_; }
  bool IsRunning();
  // Asks the child to end (SIGTERM), then forces it (SIGKILL) when it is still running after
  // `graceMs`; reaps it. True when the child has ended.
  bool Terminate(int graceMs = 500);
  // Waits up to `timeoutMs` (negative: no limit) for the child to end by itself; its exit status
  // when it did: the exit code, or 128 + the number of the signal that ended it.
  bool WaitForExit(int timeoutMs, int* exitStatus = nullptr);

 private:
  bool Reap(int* exitStatus);
  int pid_;
  int pidfd_;
  bool reaped_ = false;
  int status_ = 0;
};

// Splits a Windows-style parameter text into arguments: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& parameters);

}  // namespace platform
