#pragma once
// The silent window manager (tests/support/silent_wm) run on the process's $DISPLAY for as long as
// this object lives: it maps and configures windows as asked and never answers a request for frame
// extents. Header only: the benchmarks use it too.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

class SilentWindowManager {
 public:
  SilentWindowManager() = default;
  SilentWindowManager(const SilentWindowManager&) = delete;
  SilentWindowManager& operator=(const SilentWindowManager&) = delete;
  ~SilentWindowManager() { Stop(); }

  // Starts `program` with `arguments` and waits until it manages the display; false, with `error`
  // saying why, when it did not.
  bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error) {
    Stop();
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
      error = "no pipe";
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], STDOUT_FILENO);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) {
      close(ready[0]);
      error = "cannot start " + program;
      return false;
    }
    pid_ = pid;
    // Its one line, or its end.
    std::string line;
    pollfd wait{ready[0], POLLIN, 0};
    char byte = 0;
    while (line.find('\n') == std::string::npos && poll(&wait, 1, 20000) > 0 && read(ready[0], &byte, 1) == 1) {
      line.push_back(byte);
    }
    close(ready[0]);
    if (line != "ready\n") {
      error = program + " did not take the display (another window manager runs?)";
      Stop();
      return false;
    }
    return true;
  }

  // Ends it; it takes its names off the root window first.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

}  // namespace testsupport
