#pragma once
// The PC-speaker sounds. They go to the platform sound sink and never block or fail.
namespace util {
void SpeakerTick();         // the shortest tone: 2000 Hz for 5 ms
void SpeakerScale();        // four rising tones of 80 ms: 523, 659, 784, 1047 Hz
void SpeakerErrorTone();    // 800 Hz for 50 ms, then 700 Hz for 50 ms (warnings)
void SpeakerDoubleClick();  // two 10 ms clicks of 1000 Hz, 100 ms apart (errors)
}  // namespace util
