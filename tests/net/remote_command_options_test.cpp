// Option arguments of remote commands: the text names the option exactly, or an empty text lets
// the value pick it by index.
#include <gtest/gtest.h>

#include <limits>
#include <string>

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
      {"exact text wins over a valid index", "POST_VITERBI", 3.0, true, "POST_VITERBI"},
      {"exact text with an index out of range", "POST_VITERBI", 99.0, true, "POST_VITERBI"},
      {"first entry by text", "OFF", 0.0, true, "OFF"},
      {"last entry by text", "POST_PCM_CODING", 0.0, true, "POST_PCM_CODING"},
      {"one letter in other case", "Post_VITERBI", 2.0, false, "Post_VITERBI"},
      {"entry with a trailing blank", "POST_VITERBI ", 2.0, false, "POST_VITERBI "},
      {"prefix of an entry", "POST_VIT", 2.0, false, "POST_VIT"},
      {"unknown text", "ON", 0.0, false, "ON"},
      {"empty text, index 0", "", 0.0, true, "OFF"},
      {"empty text, 2.7 taken down to 2", "", 2.7, true, "POST_VITERBI"},
      {"empty text, last index", "", 3.99, true, "POST_PCM_CODING"},
      {"empty text, just below 0", "", -0.5, false, ""},
      {"empty text, index equal to the count", "", 4.0, false, ""},
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

}  // namespace
