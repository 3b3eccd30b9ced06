#include "platform/process_launcher.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "platform/process_group.h"

extern char** environ;

namespace platform {
namespace {

// How long a killed child may take to go (it may be inside an uninterruptible call).
constexpr int kKillWaitMs = 5000;
// How often an ending group is looked at.
constexpr int kGroupPollMs = 5;

std::string ErrorText(int error) { return std::generic_category().message(error); }

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// A program named with a relative path is found from our own working folder, not from the
// child's: the child's folder change happens before its program is loaded.
std::string ProgramPath(const std::string& program) {
  if (program.empty() || program[0] == '/' || program.find('/') == std::string::npos) return program;
  char here[4096];
  if (getcwd(here, sizeof here) == nullptr) return program;
  return std::string(here) + "/" + program;
}

// Waits up to `timeoutMs` (negative: no limit) for the pidfd to report the child's end.
bool WaitReadable(int pidfd, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd entry{pidfd, POLLIN, 0};
    const int ready = poll(&entry, 1, wait);
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool SendSignal(int pidfd, int signal) {
  return syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
}

struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  bool actionsReady = false;
  bool attributesReady = false;
  ~SpawnSetup() {
    if (actionsReady) posix_spawn_file_actions_destroy(&actions);
    if (attributesReady) posix_spawnattr_destroy(&attributes);
  }
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Launch(const std::string& program, const std::vector<std::string>& arguments,
                                                   const std::string& workingFolder, std::string* error,
                                                   ProcessGroup group) {
  if (program.empty()) {
    SetError(error, "No program given");
    return nullptr;
  }
  const std::string path = ProgramPath(program);
  const bool searchPath = path.find('/') == std::string::npos;
  if (!searchPath && access(path.c_str(), X_OK) != 0) {
    SetError(error, "Cannot start " + program + ": " + ErrorText(errno));
    return nullptr;
  }
  if (!workingFolder.empty()) {
    struct stat info {};
    if (stat(workingFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      SetError(error, "Cannot start " + program + ": no working folder " + workingFolder);
      return nullptr;
    }
  }

  SpawnSetup setup;
  if (posix_spawn_file_actions_init(&setup.actions) != 0 || posix_spawnattr_init(&setup.attributes) != 0) {
    SetError(error, "Cannot start " + program + ": out of memory");
    return nullptr;
  }
  setup.actionsReady = true;
  setup.attributesReady = true;
  if (!workingFolder.empty() && posix_spawn_file_actions_addchdir_np(&setup.actions, workingFolder.c_str()) != 0) {
    SetError(error, "Cannot start " + program + ": out of memory");
    return nullptr;
  }
  // The child starts with every signal at its default and none blocked, whatever this process
  // (or the launching thread) ignores or blocks: otherwise it could not be asked to end.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setsigdefault(&setup.attributes, &all);
  int flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (group == ProcessGroup::Own) {
    // The child leads a process group of its own, which its own children join: ending the group
    // ends them with it, and nothing of ours is in it.
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    flags |= POSIX_SPAWN_SETPGROUP;
  }
  posix_spawnattr_setflags(&setup.attributes, static_cast<short>(flags));

  std::vector<std::string> texts;
  texts.reserve(arguments.size() + 1);
  texts.push_back(program);
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(texts.size() + 1);
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = searchPath
                          ? posix_spawnp(&pid, path.c_str(), &setup.actions, &setup.attributes, argv.data(), environ)
                          : posix_spawn(&pid, path.c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
  if (spawned != 0) {
    SetError(error, "Cannot start " + program + ": " + ErrorText(spawned));
    return nullptr;
  }

  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) {
    // Without a handle the child could not be ended safely later; end it now, while its pid is
    // still certainly ours (it has not been reaped).
    const int openError = errno;
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    SetError(error, "Cannot start " + program + ": no process handle: " + ErrorText(openError));
    return nullptr;
  }
  return std::make_unique<ChildProcess>(Key{}, pid, pidfd, group);
}

ChildProcess::ChildProcess(Key, int pid, int pidfd, ProcessGroup group)
    : pid_(pid), pidfd_(pidfd), ownGroup_(group == ProcessGroup::Own) {}

bool ChildProcess::GroupMembersLeft() const { return ownGroup_ && !LiveGroupMembers(pid_, pid_).empty(); }

ChildProcess::~ChildProcess() {
  if (LeaderEnded()) Collect();
  close(pidfd_);
}

bool ChildProcess::LeaderEnded() {
  if (ended_) return true;
  // Only a child that has ended is looked at; its status is read without collecting it.
  if (!WaitReadable(pidfd_, 0)) return false;
  siginfo_t info{};
  int result;
  do {
    result = waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
  } while (result < 0 && errno == EINTR);
  ended_ = true;
  // ECHILD: someone else collected it; its status is lost.
  if (result < 0 || info.si_pid != pid_) {
    status_ = -1;
    reaped_ = true;
  } else {
    // As a shell reports it: the exit code, or 128 + the signal that ended the child.
    status_ = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
  }
  return true;
}

void ChildProcess::Collect() {
  if (reaped_) return;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
}

bool ChildProcess::Reap(int* exitStatus) {
  if (!LeaderEnded()) return false;
  // While processes of its group still run, the ended child stays uncollected: its pid, and so
  // the group's id, cannot be given to another process until then, so the group can still be
  // ended safely.
  if (!reaped_ && !GroupMembersLeft()) Collect();
  if (exitStatus != nullptr) *exitStatus = status_;
  return true;
}

bool ChildProcess::IsRunning() { return !Reap(nullptr); }

bool ChildProcess::WaitGroupGone(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    const bool leaderGone = WaitReadable(pidfd_, 0);
    if (leaderGone && !GroupMembersLeft()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kGroupPollMs));
  }
}

bool ChildProcess::Terminate(int graceMs) {
  Reap(nullptr);
  if (reaped_) return true;
  // The child is not collected yet, so its own group is still the one it leads.
  if (ownGroup_) kill(-pid_, SIGTERM);
  SendSignal(pidfd_, SIGTERM);  // also when it has left its group
  if (!WaitGroupGone(graceMs)) {
    if (ownGroup_) kill(-pid_, SIGKILL);
    SendSignal(pidfd_, SIGKILL);
    WaitGroupGone(kKillWaitMs);
  }
  if (!LeaderEnded()) return false;
  Collect();
  return true;
}

bool ChildProcess::WaitForExit(int timeoutMs, int* exitStatus) {
  if (!ended_ && !WaitReadable(pidfd_, timeoutMs)) return false;
  return Reap(exitStatus);
}

std::vector<std::string> SplitCommandLine(const std::string& parameters) {
  std::vector<std::string> result;
  std::string current;
  bool inArgument = false;  // also true for a quoted empty argument ("")
  bool quoted = false;
  for (const char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) result.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) result.push_back(std::move(current));
  return result;
}

}  // namespace platform
