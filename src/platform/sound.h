#pragma once
// The PC-speaker stand-in. Tones go to a sink that must not block its caller; the default sink
// plays nothing, tests install one that records.
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

struct Tone {
  int frequencyHz;  // 0: silence
  int durationMs;
  bool operator==(const Tone&) const = default;
};

class SoundSink {
 public:
  virtual ~SoundSink() = default;
  virtual void Play(const std::vector<Tone>& tones) = 0;
};

class RecordingSoundSink final : public SoundSink {
 public:
  void Play(const std::vector<Tone>& tones) override;
  std::vector<Tone> Take();  // the tones played so far, emptying the record

 private:
  std::mutex mutex_;
  std::vector<Tone> tones_;
};

// Installs the process's sound sink; nullptr restores the silent default.
void SetSoundSink(std::shared_ptr<SoundSink> sink);
void PlayTones(const std::vector<Tone>& tones);

}  // namespace platform
