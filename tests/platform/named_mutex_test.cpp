#include "platform/named_mutex.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>

namespace platform {
namespace {

using enum MutexWait;
using std::chrono::milliseconds;
constexpr milliseconds kNow{0};

// Ownership is per thread, so the other owner is a thread of its own.
template <typename Work>
auto OnOtherThread(Work work) {
  return std::async(std::launch::async, work).get();
}

// Whether thread `tid` of this process is asleep (state S in its stat line) before the deadline.
bool UntilAsleep(pid_t tid, std::chrono::seconds limit) {
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/stat";
  for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
    std::ifstream stat(path);
    const std::string line{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
    // "tid (name) S ...": the name may hold blanks and parentheses; the state follows the last ')'.
    const std::size_t close = line.rfind(')');
    if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S') return true;
    std::this_thread::yield();
  }
  return false;
}

// What a wait from another thread gets; that thread gives back what it got.
MutexWait WaitElsewhere(NamedMutex& mutex, milliseconds timeout = kNow) {
  return OnOtherThread([&] {
    const MutexWait got = mutex.Wait(timeout);
    if (got == Acquired) mutex.Release();
    return got;
  });
}

TEST(NamedMutex, OwnerReentersThroughAnyHandleOfTheNameAndOthersWaitAndCannotRelease) {
  NamedMutex mutex("NM_Reenter"), same("NM_Reenter"), other("NM_ReenterOther");
  EXPECT_FALSE(mutex.Release());  // nobody owns it
  ASSERT_EQ(mutex.Wait(kNow), Acquired);
  ASSERT_EQ(same.Wait(kNow), Acquired);
  // A handle opened and closed by another thread while the mutex is held reaches the same mutex.
  EXPECT_EQ(OnOtherThread([] { return NamedMutex("NM_Reenter").Wait(kNow); }), TimedOut);
  EXPECT_EQ(WaitElsewhere(other), Acquired);  // another name, another mutex
  EXPECT_FALSE(OnOtherThread([&] { return mutex.Release(); }));
  EXPECT_TRUE(same.Release());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitElsewhere(mutex, milliseconds(150)), TimedOut);  // one release per wait
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(100));  // it did wait
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(same.Release());
  EXPECT_EQ(WaitElsewhere(mutex), Acquired);
}

TEST(NamedMutex, AWaiterIsWokenWhenTheOwnerReleases) {
  NamedMutex mutex("NM_Other");
  ASSERT_EQ(mutex.Wait(kNow), Acquired);
  std::promise<pid_t> waiting;
  auto waiter = std::async(std::launch::async, [&] {
    NamedMutex own("NM_Other");
    waiting.set_value(gettid());
    const auto asked = std::chrono::steady_clock::now();
    const bool got = own.Wait(milliseconds(20000)) == Acquired && own.Release();
    return got && std::chrono::steady_clock::now() - asked < std::chrono::seconds(10);  // woken, not timed out
  });
  // Released only once the waiter sleeps in its wait, so that the release has to wake it.
  EXPECT_TRUE(UntilAsleep(waiting.get_future().get(), std::chrono::seconds(10)));
  EXPECT_TRUE(mutex.Release());
  EXPECT_TRUE(waiter.get());
}

TEST(NamedMutex, AMutexLeftHeldStaysHeldUntilItsLastHandleCloses) {
  {
    NamedMutex kept("NM_LeftHeld");
    // The owner closes its handle and ends without releasing.
    OnOtherThread([] { return NamedMutex("NM_LeftHeld").Wait(kNow); });
    EXPECT_EQ(kept.Wait(kNow), TimedOut);
    // A thread started later, which may well get the ended thread's id, does not own it either.
    EXPECT_EQ(WaitElsewhere(kept), TimedOut);
    EXPECT_FALSE(kept.Release());
  }
  NamedMutex reopened("NM_LeftHeld");  // every handle was closed: a new, free mutex
  EXPECT_EQ(reopened.Wait(kNow), Acquired);
  EXPECT_TRUE(reopened.Release());
}

}  // namespace
}  // namespace platform
