// The remote command request and reply byte for byte. Offsets are written as numbers here, not
// taken from the structs, so a moved field fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/remote_command_datagrams.h"
#include "support/byte_image.h"

namespace {

using testsupport::Bytes;
using testsupport::Put;
using testsupport::PutText;

// group 2, channel 1, command 401, value 2250.5 (0x40A1950000000000)
Bytes RequestImage(const std::string& optionText) {
  Bytes image(2404, 0);
  Put(image, 0, {0x02, 0x00, 0x00, 0x00});
  Put(image, 4, {0x01, 0x00, 0x00, 0x00});
  Put(image, 8, {0x91, 0x01, 0x00, 0x00});
  Put(image, 12, {0x00, 0x00, 0x00, 0x00, 0x00, 0x95, 0xA1, 0x40});
  PutText(image, 20, optionText);
  return image;
}

TEST(RemoteCommandRequest, FieldsAreReadAtTheirOffsets) {
  struct Row {
    const char* name;
    Bytes image;
    std::string text;
  };
  Bytes negative = RequestImage("");
  Put(negative, 0, {0xFF, 0xFF, 0xFF, 0xFF});      // -1
  Put(negative, 4, {0xFE, 0xFF, 0xFF, 0xFF});      // -2
  Put(negative, 8, {0x00, 0x00, 0x00, 0x80});      // lowest
  Put(negative, 12, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF});  // -1.0
  Bytes afterNul = RequestImage("POST_VITERBI");
  PutText(afterNul, 20 + 13, "TAIL");  // bytes after the terminator are not part of the text
  const Row rows[] = {
      {"empty text", RequestImage(""), ""},
      {"text with terminator", RequestImage("POST_VITERBI"), "POST_VITERBI"},
      {"bytes after the terminator", afterNul, "POST_VITERBI"},
      {"text filling the field without terminator", RequestImage(std::string(2384, 'x')), std::string(2384, 'x')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto args = net::ReadRemoteCommandRequest(row.image);
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(args->Group, 2);
    EXPECT_EQ(args->Channel, 1);
    EXPECT_EQ(args->Command, 401);
    EXPECT_EQ(args->Value, 2250.5);
    EXPECT_EQ(args->OptionText, row.text);
  }
  const auto args = net::ReadRemoteCommandRequest(negative);
  ASSERT_TRUE(args.has_value());
  EXPECT_EQ(args->Group, -1);
  EXPECT_EQ(args->Channel, -2);
  EXPECT_EQ(args->Command, INT32_MIN);
  EXPECT_EQ(args->Value, -1.0);
}

TEST(RemoteCommandRequest, OnlyTheExactSizeIsARequest) {
  for (std::size_t size : {std::size_t{0}, std::size_t{12}, std::size_t{2403}, std::size_t{2405}, std::size_t{2921}}) {
    SCOPED_TRACE(size);
    Bytes image = RequestImage("OFF");
    image.resize(size, 0);
    EXPECT_FALSE(net::ReadRemoteCommandRequest(image).has_value());
  }
}

class RemoteCommandReplyTest : public ::testing::Test {
 protected:
  Bytes request_ = RequestImage("POST_VITERBI");
  Bytes reply_ = Bytes(2921, 0xAA);  // not zero: the reply must be zeroed

  net::RemoteReplyBytes Reply() { return net::RemoteReplyBytes(reply_.data(), reply_.size()); }
  void Start() {
    net::StartRemoteCommandReply(std::span<const std::uint8_t, 2404>(request_.data(), request_.size()), Reply());
  }
  // The started reply: the request's header and zeros.
  Bytes Header() {
    Bytes expected(2921, 0);
    std::memcpy(expected.data(), request_.data(), 12);
    return expected;
  }
};

TEST_F(RemoteCommandReplyTest, StartCopiesTheHeaderAndZeroesTheRest) {
  Start();
  testsupport::ExpectSameImage(Header(), reply_);
}

TEST_F(RemoteCommandReplyTest, FieldsAreWrittenAtTheirOffsets) {
  Start();
  net::PutReplySuccess(Reply(), true);
  net::PutReplyMessage(Reply(), "Invalid Group Index");
  const double values[] = {1.0, -2.5};
  net::PutReplyValues(Reply(), values);
  net::PutReplyText(Reply(), "POST_VITERBI");

  Bytes expected = Header();
  Put(expected, 12, {1});
  PutText(expected, 13, "Invalid Group Index");
  Put(expected, 273, {2, 0, 0, 0});
  Put(expected, 277, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
  Put(expected, 285, {0, 0, 0, 0, 0, 0, 0x04, 0xC0});
  Put(expected, 789, {1, 0, 0, 0});
  PutText(expected, 793, "POST_VITERBI");
  testsupport::ExpectSameImage(expected, reply_);

  net::PutReplySuccess(Reply(), false);
  Put(expected, 12, {0});
  testsupport::ExpectSameImage(expected, reply_);
}

TEST_F(RemoteCommandReplyTest, TextsAreCutAndTerminatedWithinTheirFields) {
  struct Row {
    const char* name;
    std::size_t length;
    std::size_t kept;
  };
  // Each row writes over a field filled by a longer text first: what the shorter one leaves must be zero.
  const Row messages[] = {{"message that fits", 259, 259}, {"message too long", 300, 259}, {"short message", 5, 5}};
  for (const Row& row : messages) {
    SCOPED_TRACE(row.name);
    Start();
    net::PutReplyMessage(Reply(), std::string(400, 'z'));
    net::PutReplyMessage(Reply(), std::string(row.length, 'm'));
    Bytes expected = Header();
    PutText(expected, 13, std::string(row.kept, 'm'));
    testsupport::ExpectSameImage(expected, reply_);
  }
  const Row texts[] = {{"text that fits", 2127, 2127}, {"text too long", 3000, 2127}, {"short text", 3, 3}};
  for (const Row& row : texts) {
    SCOPED_TRACE(row.name);
    Start();
    net::PutReplyText(Reply(), std::string(3000, 'z'));
    net::PutReplyText(Reply(), std::string(row.length, 't'));
    Bytes expected = Header();
    Put(expected, 789, {1, 0, 0, 0});
    PutText(expected, 793, std::string(row.kept, 't'));
    testsupport::ExpectSameImage(expected, reply_);
  }
}

TEST_F(RemoteCommandReplyTest, ValuesFillFromTheFirstEntryAndAreCutTo64) {
  struct Row {
    const char* name;
    std::size_t count;
    std::uint8_t written;
  };
  const Row rows[] = {{"none", 0, 0}, {"one", 1, 1}, {"eight", 8, 8}, {"all 64", 64, 64}, {"70 cut to 64", 70, 64}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Start();
    const std::vector<double> many(70, 3.0);
    net::PutReplyValues(Reply(), many);  // a longer list first: the shorter one must clear the rest
    std::vector<double> values(row.count, 1.0);
    net::PutReplyValues(Reply(), values);
    Bytes expected = Header();
    Put(expected, 273, {row.written, 0, 0, 0});
    for (std::size_t i = 0; i < row.written; ++i) Put(expected, 277 + 8 * i, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    testsupport::ExpectSameImage(expected, reply_);
  }
}

}  // namespace
