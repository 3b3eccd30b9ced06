#pragma once
// Records the tones played while it exists.
#include <memory>
#include <vector>

#include "platform/sound.h"

namespace testsupport {

class SoundRecorder {
 public:
  SoundRecorder() : sink_(std::make_shared<platform::RecordingSoundSink>()) { platform::SetSoundSink(sink_); }
  ~SoundRecorder() { platform::SetSoundSink(nullptr); }
  SoundRecorder(const SoundRecorder&) = delete;
  SoundRecorder& operator=(const SoundRecorder&) = delete;
  std::vector<platform::Tone> Take() { return sink_->Take(); }

 private:
  std::shared_ptr<platform::RecordingSoundSink> sink_;
};

inline const std::vector<platform::Tone> kWarningTones{{800, 50}, {700, 50}};
inline const std::vector<platform::Tone> kErrorTones{{1000, 10}, {0, 90}, {1000, 10}};

}  // namespace testsupport
