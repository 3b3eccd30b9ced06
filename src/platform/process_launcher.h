#pragma once
// Starting and ending programs. A child is started with posix_spawn in its own working folder
// (the program never changes its own working folder), as the leader of a process group of its
// own. It is ended with its whole group (its own children, such as a script's background jobs)
// while its pid is still held for us, so only processes this program started are ever signalled.
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Which process group a child joins: a group of its own (a program the operator starts, ended
// with everything it started itself), or ours (the next copy of this program, which a terminal's
// Ctrl+C must reach as it reached this one).
enum class ProcessGroup { Own, Ours };

class ChildProcess {
 public:
  // Starts `program` with `arguments` in `workingFolder` (empty: the current folder).
  // nullptr when it cannot be started; `error` then holds the reason.
  static std::unique_ptr<ChildProcess> Launch(const std::string& program, const std::vector<std::string>& arguments,
                                              const std::string& workingFolder, std::string* error = nullptr,
                                              ProcessGroup group = ProcessGroup::Own);
  // Only Launch can name the key, so only it makes children.
  class Key {
    friend class ChildProcess;
    Key() = default;
  };
  ChildProcess(Key, int pid, int pidfd, ProcessGroup group);
  ~ChildProcess();  // reaps the child when it has ended; a running child (or group) is left running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  int Pid() const { return pid_; }
  bool IsRunning();
  // Asks the child and every process of its own group to end (SIGTERM), then forces them
  // (SIGKILL) when any still runs after `graceMs`; reaps the child. True when the child has
  // ended. Also ends what is left of the group of a child that has ended by itself.
  bool Terminate(int graceMs = 500);
  // Waits up to `timeoutMs` (negative: no limit) for the child to end by itself; its exit status
  // when it did: the exit code, or 128 + the number of the signal that ended it.
  bool WaitForExit(int timeoutMs, int* exitStatus = nullptr);

 private:
  // True once the child has ended; its exit status is then known, though it may not be collected.
  bool LeaderEnded();
  // Collects the ended child.
  void Collect();
  // Collects the ended child once nothing of its group runs any more.
  bool Reap(int* exitStatus);
  // Waits up to `timeoutMs` for the child and every process of its group to end.
  bool WaitGroupGone(int timeoutMs);
  // Other processes of the child's own group still run.
  bool GroupMembersLeft() const;
  int pid_;
  int pidfd_;
  bool ownGroup_;
  bool ended_ = false;
  bool reaped_ = false;
  int status_ = 0;
};

// Splits a Windows-style parameter text into arguments: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& parameters);

}  // namespace platform
