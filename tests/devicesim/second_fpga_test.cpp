// A board that carries FPGA 1 only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devicesim/sim_config.h"

namespace quorxsim {
namespace {

TEST(SimConfig, SecondFpgaIsFittedUnlessACardSaysNo) {
  std::vector<std::string> notes;
  const SimConfig config =
      ParseSimConfig("[General]\nCards=3\n[Card_1]\nSecondFpga=NO\n[Card_2]\nSecondFpga=maybe\n", notes);
  EXPECT_TRUE(config.card[0].secondFpga);
  EXPECT_FALSE(config.card[1].secondFpga);
  EXPECT_TRUE(config.card[2].secondFpga);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("[Card_2] SecondFpga"), std::string::npos) << notes[0];
}

}  // namespace
}  // namespace quorxsim
