#include "platform/sound.h"

#include <utility>

namespace platform {
namespace {

struct SinkHolder {
  std::mutex mutex;
  std::shared_ptr<SoundSink> sink;  // null: silence
};

SinkHolder& Holder() {
  static SinkHolder holder;
  return holder;
}

}  // namespace

void RecordingSoundSink::Play(const std::vector<Tone>& tones) {
  std::lock_guard lock(mutex_);
  tones_.insert(tones_.end(), tones.begin(), tones.end());
}

std::vector<Tone> RecordingSoundSink::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(tones_, {});
}

void SetSoundSink(std::shared_ptr<SoundSink> sink) {
  SinkHolder& holder = Holder();
  std::lock_guard lock(holder.mutex);
  holder.sink = std::move(sink);
}

void PlayTones(const std::vector<Tone>& tones) {
  std::shared_ptr<SoundSink> sink;
  {
    SinkHolder& holder = Holder();
    std::lock_guard lock(holder.mutex);
    sink = holder.sink;
  }
  // Played outside the lock: a slow sink must not hold up one being installed; the shared
  // pointer keeps it alive while it plays.
  if (sink) sink->Play(tones);
}

}  // namespace platform
