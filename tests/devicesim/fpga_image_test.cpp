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
}

TEST(FpgaImageHeader, ReaderAcceptsEveryGeneratedImageAndNamesItsMode) {
  for (int mode = 0; mode < card::kFpgaImageModeCount; ++mode) {
    card::FpgaImageHeader header{};
    ASSERT_TRUE(card::ReadFpgaImageHeader(ImagePath(mode), header)) << mode;
    EXPECT_EQ(Val(header.FpgaMode), mode);
    EXPECT_EQ(Val(header.ChipVariant), mode >= 4 ? 1 : 0) << mode;
  }
  EXPECT_EQ(card::FpgaImageFileName(5), "Kr20_Mode05.VantMcs");
}

TEST(FpgaImageHeader, ReaderRefusesDamagedFilesAndLeavesTheHeaderAlone) {
  testsupport::ScratchFolder folder;
  const std::string good = ReadWholeFile(ImagePath(0));
  const auto refused = [&](std::string bytes) {
    const std::string path = folder / "bad.VantMcs";
    EXPECT_TRUE(testsupport::WriteWholeFile(path, bytes));
    card::FpgaImageHeader header{};
    header.FpgaMode = 77;
    const bool read = card::ReadFpgaImageHeader(path, header);
    return !read && header.FpgaMode == 77;
  };
  EXPECT_TRUE(refused(good.substr(0, sizeof(card::FpgaImageHeader) - 1)));  // short
  // Magic, format version, mode 16, and more table-of-contents entries than the header holds.
  for (const auto& [offset, value] : {std::pair<std::size_t, char>{0, 'X'}, {8, 2}, {12, 16}, {297, 17}}) {
    std::string bytes = good;
    bytes[offset] = value;
    EXPECT_TRUE(refused(bytes)) << "byte " << offset;
  }
  std::string name = good;
  std::memset(name.data() + 20, 'A', card::kFpgaImageNameSize);  // no terminator
  EXPECT_TRUE(refused(name));
  EXPECT_FALSE(refused(good));
}

// What each personality holds, written out independently of the generator's table.
struct Expected {
  int psk, fm, pm, mhCpm, iq, preD, postD;
};
constexpr Expected kExpected[16] = {
    {2, 0, 0, 0, 2, 0, 0}, {1, 1, 0, 0, 1, 0, 0}, {0, 2, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 1, 0, 0},
    {2, 0, 0, 0, 2, 0, 0}, {2, 0, 0, 0, 2, 1, 0}, {2, 0, 0, 0, 2, 0, 1}, {1, 1, 0, 0, 1, 0, 0},
    {1, 1, 0, 0, 1, 1, 0}, {1, 1, 0, 0, 1, 0, 1}, {0, 2, 0, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 1, 0},
    {0, 2, 0, 0, 0, 0, 1}, {1, 0, 1, 0, 1, 0, 0}, {1, 0, 0, 1, 1, 1, 0}, {0, 1, 0, 1, 0, 1, 0}};

class PersonalityTest : public SimTest {};

TEST_F(PersonalityTest, EachImageSetsTheInfoBlockCounts) {
  for (int mode = 0; mode < 16; ++mode) {
    const int cardIndex = mode >= 4 ? 1 : 0;
    Load(cardIndex, mode);
    card::kr20cardinfo info{};
    ASSERT_EQ(F().Card_GetInfoBlock(cardIndex, &info, sizeof info), card::kDevOk);
    const Expected& e = kExpected[mode];
    SCOPED_TRACE("mode " + std::to_string(mode));
    EXPECT_EQ(Val(info.NumModulators), 1);
    EXPECT_EQ(Val(info.NumPskReceivers), e.psk);
    EXPECT_EQ(Val(info.NumFmReceivers), e.fm);
    EXPECT_EQ(Val(info.NumPmReceivers), e.pm);
    EXPECT_EQ(Val(info.NumMhCpmReceivers), e.mhCpm);
    EXPECT_EQ(Val(info.NumBerts), 2);
    EXPECT_EQ(Val(info.NumTxBerts), 2);
    EXPECT_EQ(Val(info.NumFftChannels), 2);
    EXPECT_EQ(Val(info.NumIqChannels), e.iq);
    EXPECT_EQ(Val(info.NumPreDCombiners), e.preD);
    EXPECT_EQ(Val(info.NumPostDCombiners), e.postD);
    for (unsigned char reserved : info.Reserved44) ASSERT_EQ(reserved, 0);
  }
}

TEST_F(PersonalityTest, ACardHasNoPersonalityUntilAnImageIsLoaded) {
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);
  card::kr20cardinfo info{};
  info.NumBerts = 9;
  ASSERT_EQ(F().Card_GetInfoBlock(0, &info, sizeof info), card::kDevOk);
  EXPECT_EQ(Val(info.NumBerts), 0);
  int loaded = -1;
  ASSERT_EQ(F().Card_GetFpgaLoaded(0, 0, &loaded), card::kDevOk);
  EXPECT_EQ(loaded, 0);
  double hz = 0.0;
  EXPECT_EQ(F().PskRx_GetCarrierCenterFrequencyInHz(0, 0, &hz), card::kDevNotReady);
  Load(0, 0);
  ASSERT_EQ(F().Card_GetFpgaLoaded(0, 1, &loaded), card::kDevOk);
  EXPECT_EQ(loaded, 1);
}

TEST_F(PersonalityTest, AnImageForTheOtherBoardOrADamagedImageIsRefused) {
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
}

struct TocRow {
  int entry, major, minor, fpgaInstance, cardInstance, code;
  std::uint32_t type, base;
};

TEST_F(PersonalityTest, TableOfContentsListsTheModulesWhereTheCardObjectLooksForThem) {
  Load(1, 12);
  const auto rows = [&](int fpga) {
    std::vector<TocRow> list;
    int count = 0;
    EXPECT_EQ(F().Card_GetFpgaTocCount(1, fpga, &count), card::kDevOk);
    for (int i = 0; i < count; ++i) {
      TocRow r{};
      EXPECT_EQ(F().Card_GetFpgaTocEntry(1, fpga, i, &r.entry, &r.type, &r.major, &r.minor, &r.base, &r.fpgaInstance,
                                         &r.cardInstance, &r.code),
                card::kDevOk);
      list.push_back(r);
    }
    return list;
  };
  const std::vector<TocRow> fpga0 = rows(0);
  const std::vector<TocRow> fpga1 = rows(1);
  int fmInstances = 0;
  for (const TocRow& r : fpga0) {
    EXPECT_GE(r.base, card::kFpga0WindowBase);
    EXPECT_LT(r.base, card::kFpga0WindowBase + card::kFpgaRegisterCount);
    EXPECT_EQ(r.cardInstance, 1);
    if (r.type == card::kDevTypeFmReceiver) fmInstances += r.fpgaInstance == fmInstances + 1 ? 1 : 100;
  }
  EXPECT_EQ(fmInstances, 2);
  int sweeps = 0;
  for (const TocRow& r : fpga1) {
    EXPECT_LT(r.base, card::kFpgaRegisterCount);
    if (r.type == 3584) {
      ++sweeps;
      EXPECT_EQ(card::FpgaModuleKindName(r.code), "MODSWEEP");
    }
  }
  EXPECT_EQ(sweeps, 1);
  for (std::size_t i = 0; i < fpga1.size(); ++i) EXPECT_EQ(fpga1[i].entry, static_cast<int>(i) + 1);
}

TEST_F(PersonalityTest, APowerUpPersonalityFromTheConfigurationNeedsNoLoad) {
  UseConfig("[General]\nCards=1\n[Card_0]\nChipVariant=YES\nFpgaMode=14\n");
  ASSERT_EQ(F().Card_Open(0), card::kDevOk);
  card::kr20cardinfo info{};
  ASSERT_EQ(F().Card_GetInfoBlock(0, &info, sizeof info), card::kDevOk);
  EXPECT_EQ(Val(info.NumMhCpmReceivers), 1);
  EXPECT_EQ(Val(info.NumPskReceivers), 1);
  EXPECT_EQ(Val(info.NumPreDCombiners), 1);
}

}  // namespace
}  // namespace simtest
