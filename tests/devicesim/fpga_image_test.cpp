// The FPGA image files: their header bytes, the reader the program uses, and what each of the
// sixteen generated personalities makes a card report once loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "card/fpga_image_header.h"
#include "card/records/card_info_block.h"
#include "sim_library.h"

namespace simtest {
namespace {

using testsupport::ReadWholeFile;

TEST(FpgaImageHeader, GeneratedFileStartsWithTheDocumentedBytes) {
  const std::string bytes = ReadWholeFile(ImagePath(5));
  ASSERT_GE(bytes.size(), sizeof(card::FpgaImageHeader));
  const std::string expected("QXVANTMC\x01\x00\x39\x05\x05\x00\x00\x00\x01\x01\x00\x00PSK-PSK V PRE-D", 35);
  EXPECT_EQ(bytes.substr(0, expected.size()), expected);
  card::FpgaImageHeader header{};
  std::memcpy(&header, bytes.data(), sizeof header);
  const std::uint32_t payloadSize = header.PayloadSize;  // packed fields are read by value
  const std::uint32_t checksum = header.PayloadChecksum;
  EXPECT_EQ(bytes.size(), sizeof header + payloadSize);
  EXPECT_EQ(checksum, card::FpgaImageChecksum(reinterpret_cast<const unsigned char*>(bytes.data()) + sizeof header,
                                              payloadSize));
  EXPECT_EQ(card::FpgaImageFileName(5), "Kr20_Mode05.VantMcs");
  ASSERT_TRUE(card::ReadFpgaImageHeader(ImagePath(5), header));
  EXPECT_EQ(Val(header.FpgaMode), 5);
  EXPECT_EQ(Val(header.ChipVariant), 1);
}

// Damaged, cut and padded images: the reader refuses each and leaves the header alone, and the
// library refuses to load each into a card.
class DamagedImageTest : public SimTest {};

TEST_F(DamagedImageTest, ReaderAndLibraryRefuseEveryDamagedImage) {
  const std::string good = ReadWholeFile(ImagePath(0));
  const auto with = [&](std::size_t offset, char value) {
    std::string bytes = good;
    bytes[offset] = value;
    return bytes;
  };
  std::string unterminated = good;
  std::memset(unterminated.data() + 20, 'A', card::kFpgaImageNameSize);
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"shorter than a header", good.substr(0, sizeof(card::FpgaImageHeader) - 1)},
      {"payload one byte short", good.substr(0, good.size() - 1)},
      {"one trailing byte", good + '\0'},
      {"1 MB of trailing bytes", good + std::string(1u << 20, '\xFF')},
      {"magic", with(0, 'X')},
      {"format version", with(8, 2)},
      {"mode 16", with(12, 16)},
      {"more table entries than the header holds", with(297, 17)},
      {"name without terminator", unterminated},
  };
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);
  const std::string path = folder_ / "bad.VantMcs";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(testsupport::WriteWholeFile(path, row.bytes));
    card::FpgaImageHeader header{};
    header.FpgaMode = 77;
    EXPECT_FALSE(card::ReadFpgaImageHeader(path, header));
    EXPECT_EQ(Val(header.FpgaMode), 77);
    EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, path.c_str()), card::kDevFileError);
  }
  int loaded = -1;
  ASSERT_EQ(F().Card_GetFpgaLoaded(0, 0, &loaded), card::kDevOk);
  EXPECT_EQ(loaded, 0);

  ASSERT_TRUE(testsupport::WriteWholeFile(path, good));
  card::FpgaImageHeader header{};
  EXPECT_TRUE(card::ReadFpgaImageHeader(path, header));
  EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, path.c_str()), card::kDevOk);
}

class PersonalityTest : public SimTest {};

// What one personality of each kind holds, written out independently of the generator's table.
TEST_F(PersonalityTest, EachImageSetsTheInfoBlockCounts) {
  struct Expected {
    int mode, psk, fm, pm, mhCpm, preD, postD;
  };
  // The standard board's PSK+PSK and PSK+PCM/FM images hold a pre-D combiner: its pre-D
  // combining modes run on them.
  for (const Expected& e : {Expected{0, 2, 0, 0, 0, 1, 0}, {1, 1, 1, 0, 0, 1, 0}, {2, 0, 2, 0, 0, 0, 0},
                            {3, 1, 0, 1, 0, 0, 0}, {4, 2, 0, 0, 0, 0, 0}, {5, 2, 0, 0, 0, 1, 0},
                            {12, 0, 2, 0, 0, 0, 1}, {15, 0, 1, 0, 1, 1, 0}}) {
    const int cardIndex = e.mode >= 4 ? 1 : 0;
    Load(cardIndex, e.mode);
    card::kr20cardinfo info{};
    ASSERT_EQ(F().Card_GetInfoBlock(cardIndex, &info, sizeof info), card::kDevOk);
    SCOPED_TRACE("mode " + std::to_string(e.mode));
    EXPECT_EQ(Val(info.NumPskReceivers), e.psk);
    EXPECT_EQ(Val(info.NumFmReceivers), e.fm);
    EXPECT_EQ(Val(info.NumPmReceivers), e.pm);
    EXPECT_EQ(Val(info.NumMhCpmReceivers), e.mhCpm);
    EXPECT_EQ(Val(info.NumIqChannels), e.psk);
    EXPECT_EQ(Val(info.NumPreDCombiners), e.preD);
    EXPECT_EQ(Val(info.NumPostDCombiners), e.postD);
    EXPECT_EQ(Val(info.NumBerts), 2);
  }
}

TEST_F(PersonalityTest, AnImageForTheOtherBoardOrADamagedImageIsRefusedAndLeavesNoPersonality) {
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);
  ASSERT_EQ(F().Card_Open(1), card::kDevOk);
  EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, ImagePath(5).c_str()), card::kDevNotSupported);
  EXPECT_EQ(F().Card_LoadFpgaImage(1, 0, ImagePath(0).c_str()), card::kDevNotSupported);
  std::string bytes = testsupport::ReadWholeFile(ImagePath(0));
  bytes.back() = static_cast<char>(bytes.back() ^ 0x5A);  // payload no longer matches its checksum
  const std::string damaged = folder_ / "damaged.VantMcs";
  ASSERT_TRUE(testsupport::WriteWholeFile(damaged, bytes));
  EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, damaged.c_str()), card::kDevFileError);
  EXPECT_EQ(F().Card_LoadFpgaImage(0, 0, (folder_ / "none.VantMcs").c_str()), card::kDevFileError);
  int loaded = -1;
  ASSERT_EQ(F().Card_GetFpgaLoaded(0, 0, &loaded), card::kDevOk);
  EXPECT_EQ(loaded, 0);
  double hz = 0.0;
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevNotReady);
  Load(0, 0);
  ASSERT_EQ(F().Card_GetFpgaLoaded(0, 1, &loaded), card::kDevOk);
  EXPECT_EQ(loaded, 1);
}

}  // namespace
}  // namespace simtest
