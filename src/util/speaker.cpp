#include "util/speaker.h"

#include "platform/sound.h"

namespace util {

void SpeakerTick() { platform::PlayTones({{2000, 5}}); }

void SpeakerScale() { platform::PlayTones({{523, 80}, {659, 80}, {784, 80}, {1047, 80}}); }

void SpeakerErrorTone() { platform::PlayTones({{800, 50}, {700, 50}}); }

void SpeakerDoubleClick() { platform::PlayTones({{1000, 10}, {0, 90}, {1000, 10}}); }

}  // namespace util
