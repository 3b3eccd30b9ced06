#include "platform/sound.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Tones = std::vector<Tone>;

TEST(Sound, OnlyTheInstalledSinkRecordsTonesInOrderUntilTaken) {
  auto first = std::make_shared<RecordingSoundSink>();
  auto second = std::make_shared<RecordingSoundSink>();
  SetSoundSink(first);
  PlayTones({{800, 100}, {0, 50}});
  PlayTones({{1200, 30}});
  SetSoundSink(second);
  PlayTones({{880, 20}});
  SetSoundSink(nullptr);
  PlayTones({{1760, 40}});  // the silent default: nobody hears it
  EXPECT_EQ(first->Take(), (Tones{{800, 100}, {0, 50}, {1200, 30}}));
  EXPECT_EQ(first->Take(), Tones{});
  EXPECT_EQ(second->Take(), (Tones{{880, 20}}));
}

}  // namespace
}  // namespace platform
