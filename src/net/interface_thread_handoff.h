#pragma once
// Handing one remote command from the receive thread to the user-interface thread and waiting for
// it. The job runs there, one at a time, so a command never touches a card, a setup record or a
// status record while the master timer or a window does.
//
// The job delivers its own result (the reply) from the user-interface thread as it ends, so the
// receive thread's wake-up is not on the way back to the client.
//
// The wait is bounded: a job the user-interface thread has not started within the start limit,
// or when the program begins to close (or the command server stops), is abandoned and never runs;
// the receive thread answers the request as refused. A job already running is waited for to its
// end unless closing begins meanwhile; the waiter then answers, and the job delivers nothing.
// Exactly one answer leaves either way.
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
  // On the user-interface thread after the work: runs `deliver` and marks the job done, unless the
  // waiter gave up meanwhile (then nothing is delivered).
  void End(const std::function<void()>& deliver);

  // On the receive thread: until the job has ended (Done: it delivered), or it is abandoned or
  // given up as described above (the caller answers). `stop` is the command server's own stop
  // request.
  Outcome Wait(std::chrono::milliseconds startLimit, const std::atomic<bool>& stop);
  // The poster refused the job: it is abandoned before it could start.
  void Abandon();

 private:
  enum class State { Pending, Running, Done, Abandoned, GivenUp };
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Pending;
};

}  // namespace net
