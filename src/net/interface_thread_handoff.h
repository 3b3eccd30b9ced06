#pragma once
// Handing one remote command from the receive thread to the user-interface thread and waiting for
// it. The job runs there, one at a time, so a command never touches a card, a setup record or a
// status record while the master timer or a window does.
//
// The wait is bounded: a job the user-interface thread has not started within the start limit,
// or when the program begins to close (or the command server stops), is abandoned and never runs;
// the receive thread answers the request as refused. A job already running is waited for to its
// end unless closing begins meanwhile; it then finishes into its own buffers, which nobody reads.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace net {

// Queues a job on the user-interface thread; false when it cannot be queued (closing, no window).
// Empty: the job runs at once on the calling thread (a program without a user interface).
using InterfaceThreadPoster = std::function<bool(std::function<void()> job)>;

inline constexpr std::chrono::milliseconds kCommandStartLimit{10000};

class InterfaceThreadJob {
 public:
  enum class Outcome { Done, Closing, TimedOut };

  // On the user-interface thread: false when the job was abandoned and must not run.
  bool Begin();
  void End();

  // On the receive thread: until the job has ended, or it is abandoned as described above.
  // `stop` is the command server's own stop request.
  Outcome Wait(std::chrono::milliseconds startLimit, const std::atomic<bool>& stop);
  // The poster refused the job: it is abandoned before it could start.
  void Abandon();

 private:
  enum class State { Pending, Running, Done, Abandoned };
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Pending;
};

}  // namespace net
