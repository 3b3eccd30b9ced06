// Option arguments of remote commands: the text names the option exactly, or an empty text lets
// the value pick it by index.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "net/remote_command_datagrams.h"
#include "net/remote_command_options.h"

namespace {

constexpr const char* kRefused = "Invalid String Command..(check case + spelling)";

TEST(ResolveOptionArgument, TextOrIndexPicksTheEntry) {
  struct Row {
    const char* name;
    std::string text;
    double value;
    bool ok;
    std::string resolved;  // the text afterwards
  };
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const Row rows[] = {
      {"exact text, any value", "POST_VITERBI", 0.0, true, "POST_VITERBI"},
      {"exact text wins over a valid index", "POST_VITERBI", 3.0, true, "POST_VITERBI"},
      {"exact text with an index out of range", "POST_VITERBI", 99.0, true, "POST_VITERBI"},
      {"first entry by text", "OFF", 0.0, true, "OFF"},
      {"last entry by text", "POST_PCM_CODING", 0.0, true, "POST_PCM_CODING"},
      {"other letter case", "post_viterbi", 2.0, false, "post_viterbi"},
      {"one letter in other case", "Post_VITERBI", 2.0, false, "Post_VITERBI"},
      {"entry with a trailing blank", "POST_VITERBI ", 2.0, false, "POST_VITERBI "},
      {"prefix of an entry", "POST_VIT", 2.0, false, "POST_VIT"},
      {"unknown text", "ON", 0.0, false, "ON"},
      {"empty text, index 0", "", 0.0, true, "OFF"},
      {"empty text, 2.7 taken down to 2", "", 2.7, true, "POST_VITERBI"},
      {"empty text, last index", "", 3.99, true, "POST_PCM_CODING"},
      {"empty text, just below 0", "", -0.5, false, ""},
      {"empty text, -1", "", -1.0, false, ""},
      {"empty text, index equal to the count", "", 4.0, false, ""},
      {"empty text, far beyond the table", "", 1e300, false, ""},
      {"empty text, far below the table", "", -1e300, false, ""},
      {"empty text, NaN", "", kNaN, false, ""},
      {"empty text, infinity", "", kInf, false, ""},
      {"empty text, minus infinity", "", -kInf, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text = row.text;
    std::string error;
    EXPECT_EQ(net::ResolveOptionArgument(text, row.value, net::OptRoutingLocations, error), row.ok);
    EXPECT_EQ(text, row.resolved);
    EXPECT_EQ(error, row.ok ? "" : kRefused);
  }
}

TEST(ResolveOptionArgument, TextWithoutTerminatorIsReadOnlyWithinItsField) {
  // A field of letters with no NUL: the text is the whole field and nothing beyond it.
  std::vector<std::uint8_t> datagram(2404, 0);
  for (std::size_t i = 20; i < datagram.size(); ++i) datagram[i] = static_cast<std::uint8_t>('A' + i % 26);
  const auto args = net::ReadRemoteCommandRequest(datagram);
  ASSERT_TRUE(args.has_value());
  std::string text = args->OptionText;
  ASSERT_EQ(text.size(), 2384u);
  std::string error;
  EXPECT_FALSE(net::ResolveOptionArgument(text, 0.0, net::OptPrnPatterns, error));
  EXPECT_EQ(error, kRefused);
  EXPECT_EQ(text, args->OptionText);
}

TEST(ResolveOptionArgument, EveryEntryOfEveryTableResolvesByTextAndByIndex) {
  struct Row {
    const char* name;
    net::OptionTable table;
    std::size_t count;
  };
  const Row rows[] = {
      {"routing locations", net::OptRoutingLocations, 4},
      {"viterbi rates", net::OptViterbiRates, 3},
      {"viterbi symbol orders", net::OptViterbiSymbolOrders, 2},
      {"modulator modes", net::OptModulatorModes, 3},
      {"modulation types", net::OptModulationTypes, 12},
      {"pcm encoder data sources", net::OptPcmEncoderDataSources, 8},
      {"pcm encoder codes", net::OptPcmEncoderCodes, 11},
      {"prn patterns", net::OptPrnPatterns, 19},
      {"iq data sources", net::OptIqDataSources, 3},
      {"iq output routings", net::OptIqOutputRoutings, 2},
      {"symbol routings", net::OptSymbolRoutings, 3},
      {"input preprocesses", net::OptInputPreprocesses, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(row.table.size(), row.count);
    for (std::size_t i = 0; i < row.count; ++i) {
      std::string byIndex;
      std::string error;
      ASSERT_TRUE(net::ResolveOptionArgument(byIndex, static_cast<double>(i) + 0.5, row.table, error));
      EXPECT_EQ(byIndex, row.table[i]);
      std::string byText(row.table[i]);
      EXPECT_TRUE(net::ResolveOptionArgument(byText, -1.0, row.table, error));
      EXPECT_EQ(error, "");
    }
    std::string past;
    std::string error;
    EXPECT_FALSE(net::ResolveOptionArgument(past, static_cast<double>(row.count), row.table, error));
  }
}

}  // namespace
