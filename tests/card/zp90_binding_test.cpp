// The device-library binding: the entry lists themselves, and loading stand-in libraries that
// are complete, lack a required entry, lack the file, or are no library at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "card/device_api.h"
#include "card/records/card_info_block.h"
#include "card/zp90_binding.h"
#include "support/log_capture.h"
#include "support/scratch_folder.h"

namespace card {
namespace {

std::string FolderOf(const char* libraryPath) { return std::filesystem::path(libraryPath).parent_path().string(); }

std::size_t CountLines(const std::vector<std::string>& texts, const std::string& part) {
  return static_cast<std::size_t>(
      std::count_if(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; }));
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

template <std::size_t N>
std::vector<std::string> RequiredNames(const EntryInfo (&entries)[N]) {
  std::vector<std::string> names;
  for (const EntryInfo& entry : entries) {
    if (entry.need == EntryNeed::Required) names.emplace_back(entry.name);
  }
  return names;
}

// Null-ness of every pointer of a table, in list order.
template <class Api>
std::vector<bool> BoundPointers(typename Api::Functions functions) {
  std::vector<bool> bound;
  Api::ForEachPointer(functions, [&](auto& pointer) { bound.push_back(pointer != nullptr); });
  return bound;
}

// The entries of the stand-in libraries, as they implement them.
const std::set<std::string> kTestLibraryEntries = {
    "Lib_GetApiVersion",   "Card_GetCount", "Card_Open", "Card_Close", "Card_GetInfoBlock",
    "PskRx_SetCarrierCenterFrequencyInHz", "PskRx_GetCarrierCenterFrequencyInHz", "GetMod_GetSupportedModulations"};

TEST(DeviceApiList, EntriesAreUniqueNamedByFamilyAndFiveAreRequired) {
  const std::set<std::string_view> families = {"Lib",   "Card",  "Dtrd", "GetMod", "SetMod", "PskRx", "FmRx", "PmRx",
                                               "MhCpmRx", "Fft", "IQ",   "PreD",   "PostD",  "Bert",  "TxBert"};
  std::set<std::string_view> seen;
  for (const EntryInfo& entry : kZp90Entries) {
    EXPECT_TRUE(seen.insert(entry.name).second) << entry.name << " listed twice";
    EXPECT_EQ(families.count(entry.name.substr(0, entry.name.find('_'))), 1u) << entry.name << ": unknown family";
  }
  EXPECT_EQ(seen.size(), kZp90EntryCount);
  EXPECT_EQ(RequiredNames(kZp90Entries),
            (std::vector<std::string>{"Lib_GetApiVersion", "Card_GetCount", "Card_Open", "Card_Close",
                                      "Card_GetInfoBlock"}));

  std::set<std::string_view> dnCvtSeen;
  for (const EntryInfo& entry : kDnCvtEntries) EXPECT_TRUE(dnCvtSeen.insert(entry.name).second) << entry.name;
  EXPECT_EQ(RequiredNames(kDnCvtEntries),
            (std::vector<std::string>{"Lib_GetApiVersion", "GetCardCount", "OpenCard", "CloseCard", "GetChannelCount"}));
}

// Each of these is a device operation that the card object's wrapper of the same name forwards
// to, as the settings, status, window and remote-command code calls it.
TEST(DeviceApiList, HasAnEntryForEveryForwardedCardOperation) {
  const char* const kForwarded[] = {
    "Bert_GetBitRate", "Bert_GetClockPolarity", "Bert_GetClockPolarityList", "Bert_GetErrorBits",
    "Bert_GetInversionCount", "Bert_GetPnPattern", "Bert_GetPnPatternList", "Bert_GetTotalBits",
    "Bert_GetUserPattern", "Bert_ResetMeasures", "Bert_SetClockPolarity", "Bert_SetPnPattern",
    "Bert_SetUserPattern", "Dtrd_PeekRegOnFpga", "Dtrd_PokeRegOnFpga", "Fft_GetEnableFFT", "Fft_GetFftBuffer",
    "Fft_GetFrequencySpanInHz", "Fft_SetFrequencySpanInHz", "FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate",
    "FmRx_GetBitSyncActualSymbolRate", "FmRx_GetBitSyncDescramblerMode", "FmRx_GetBitSyncInputDataDecodingMode",
    "FmRx_GetBitSyncLockState", "FmRx_GetBitSyncLoopWidthInPercentOfBitRate", "FmRx_GetBitSyncRateInbps",
    "FmRx_GetBitSyncSignalEbNo", "FmRx_GetCarrierAcquisitionLoopBandwidthInHz",
    "FmRx_GetCarrierAcquisitionRangeInHz", "FmRx_GetCarrierActualSignalFrequencyInHz",
    "FmRx_GetCarrierCenterFrequencyInHz", "FmRx_GetCarrierLockState", "FmRx_GetCarrierModIndexCompensatedValue",
    "FmRx_GetCarrierSignalFilterBandwidthRatio", "FmRx_GetCarrierTrackingLoopBandwidthInHz",
    "FmRx_GetReceiverInputSourceMode", "FmRx_GetReceiverSignalLevelQualificationThreshold",
    "FmRx_GetReceiverSignalPowerIndBm", "FmRx_GetReceiverTotalPowerIndBm", "FmRx_GetViterbiBitErrorRate",
    "FmRx_GetViterbiDecodeEnable", "FmRx_GetViterbiG1SymbolInvert", "FmRx_GetViterbiG2SymbolInvert",
    "FmRx_GetViterbiLockState", "FmRx_GetViterbiRateMode", "FmRx_GetViterbiRateModeSupportedTypes",
    "FmRx_GetViterbiSymbolErrorRate", "FmRx_GetViterbiSymbolOrderMode", "FmRx_ReceiverRestartAcquisition",
    "FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate", "FmRx_SetBitSyncDescramblerMode",
    "FmRx_SetBitSyncInputDataDecodingMode", "FmRx_SetBitSyncLoopWidthInPercentOfBitRate",
    "FmRx_SetBitSyncOutputDataEncodingMode", "FmRx_SetBitSyncRateInbps",
    "FmRx_SetCarrierAcquisitionLoopBandwidthInHz", "FmRx_SetCarrierPeakDeviation",
    "FmRx_SetCarrierSignalFilterBandwidthRatio", "FmRx_SetCarrierTrackingLoopBandwidthInHz",
    "FmRx_SetOutputClockPolarityMode", "FmRx_SetOutputInvertEnable",
    "FmRx_SetPeakDeviationCompensationFactorMax", "FmRx_SetPeakDeviationCompensationFactorMin",
    "FmRx_SetReceiverInputSourceMode", "FmRx_SetReceiverSignalLevelQualificationThreshold",
    "FmRx_SetViterbiDecodeEnable", "FmRx_SetViterbiG1SymbolInvert", "FmRx_SetViterbiG2SymbolInvert",
    "FmRx_SetViterbiRateMode", "FmRx_SetViterbiSymbolOrderMode", "GetMod_GetAvailableIQDataSources",
    "GetMod_GetAvailableModulatorModes", "GetMod_GetCarrierToNoiseLevel", "GetMod_GetDirPcmModIndex",
    "GetMod_GetEnableNoiseGeneration", "GetMod_GetEnableQpskConjugate", "GetMod_GetIDataSource",
    "GetMod_GetIPowerLevel", "GetMod_GetIQOutputRouting", "GetMod_GetIfCarrierOn",
    "GetMod_GetIfMaxOutputCalOffset", "GetMod_GetIfModulationOn", "GetMod_GetInputPreprocessing",
    "GetMod_GetModulationType", "GetMod_GetModulatorMode", "GetMod_GetPCMFMPeakDeviationFactor",
    "GetMod_GetPcmCh1AvailableDataSources", "GetMod_GetPcmCh1AvailablePcmEncodings",
    "GetMod_GetPcmCh1ConvolutionalEncodingOn", "GetMod_GetPcmCh1DataSource", "GetMod_GetPcmCh1FallingEdgeClk",
    "GetMod_GetPcmCh1InvertData", "GetMod_GetPcmCh1InvertG2", "GetMod_GetPcmCh1PcmEncoding",
    "GetMod_GetPcmCh1PcmRandScrambling", "GetMod_GetPcmCh1SwapG1G2", "GetMod_GetPcmCh2AvailableDataSources",
    "GetMod_GetPcmCh2AvailablePcmEncodings", "GetMod_GetPcmCh2ConvolutionalEncodingOn",
    "GetMod_GetPcmCh2DataSource", "GetMod_GetPcmCh2FallingEdgeClk", "GetMod_GetPcmCh2InvertData",
    "GetMod_GetPcmCh2InvertG2", "GetMod_GetPcmCh2PcmEncoding", "GetMod_GetPcmCh2PcmRandScrambling",
    "GetMod_GetPcmCh2SwapG1G2", "GetMod_GetQDataSource", "GetMod_GetQPowerLevel",
    "GetMod_GetSglsSubCh1AvailableDataSources", "GetMod_GetSglsSubCh1DataSource",
    "GetMod_GetSglsSubCh1ModulationType", "GetMod_GetSglsSubCh1SubCarrierRateInHz",
    "GetMod_GetSglsSubCh1SupportedModulations", "GetMod_GetSubcarrier1PmModIndex",
    "GetMod_GetSupportedIQOutputRoutings", "GetMod_GetSupportedInputPreprocessings",
    "GetMod_GetSupportedModulations", "GetMod_GetSupportedSymbolRoutings", "GetMod_GetSymbolRouting",
    "GetMod_IfCarrierLevelInDbm", "GetMod_IfCarrierRateInHz", "IQ_GetIqBuffer", "IQ_GetRunIQData",
    "MhCpmRx_GetStatusValues", "MhCpmRx_RestartReceiverAcquisition", "MhCpmRx_SetTotalSetup",
    "PmRx_GetCarrierAcquisitionLoopBandwidthInHz", "PmRx_GetCarrierAcquisitionMode",
    "PmRx_GetCarrierAcquisitionRangeInHz", "PmRx_GetCarrierCenterFrequencyInHz", "PmRx_GetCarrierLockState",
    "PmRx_GetCarrierSignalThresholdIndBm", "PmRx_GetCarrierTrackLoopBandwidthInHz", "PmRx_GetSignalLevelIndBm",
    "PmRx_GetTotalPowerIndBm", "PmRx_RestartReceiverAcquisition", "PmRx_SetCarrierAcquisitionLoopBandwidthInHz",
    "PmRx_SetCarrierAcquisitionMode", "PmRx_SetCarrierSignalThresholdIndBm",
    "PmRx_SetCarrierTrackLoopBandwidthInHz", "PmRx_SetInputSource", "PostD_GetAvailableDiversityOutputs",
    "PostD_GetDiversityOutput", "PostD_SetDiversityOutput", "PreD_GetAvailableNoiseEstimateModes",
    "PreD_GetChannelACenterFreqInHz", "PreD_GetChannelBCenterFreqInHz", "PreD_GetDiversityOutput",
    "PreD_GetFixedNoChannelA", "PreD_GetFixedNoChannelB", "PreD_GetNoiseEstimateMode",
    "PreD_GetPhaseTimeConstInSec", "PreD_GetSignalBandwidthInHz", "PreD_GetTimeConstInSec",
    "PreD_SetChannelACenterFreqInHz", "PreD_SetChannelBCenterFreqInHz", "PreD_SetFixedNoChannelA",
    "PreD_SetFixedNoChannelB", "PreD_SetNoiseEstimateMode", "PreD_SetPhaseTimeConstInSec",
    "PreD_SetSignalBandwidthInHz", "PreD_SetTimeConstInSec",
    "PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate", "PskRx_GetBitSyncStream1DescramblerMode",
    "PskRx_GetBitSyncStream1InputDataDecodingMode", "PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate",
    "PskRx_GetBitSyncStream1RateInbps", "PskRx_GetBitSyncStream2RateInbps",
    "PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate", "PskRx_GetCarrierAcquisitionMode",
    "PskRx_GetCarrierAcquisitionModeSupportedTypes", "PskRx_GetCarrierAcquisitionRangeInHz",
    "PskRx_GetCarrierActualSignalFrequencyInHz", "PskRx_GetCarrierLockState", "PskRx_GetCarrierModulationMode",
    "PskRx_GetCarrierModulationModeSupportedTypes", "PskRx_GetCarrierSignalFilterBandwidthRatio",
    "PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate", "PskRx_GetReceiverInputSourceMode",
    "PskRx_GetReceiverInputSourceModeSupportedTypes", "PskRx_GetReceiverSignalLevelQualificationThreshold",
    "PskRx_GetSignalRoutingRecombineLocation", "PskRx_GetSignalRoutingStream1InvertLocation",
    "PskRx_GetSignalRoutingStream2InvertLocation", "PskRx_GetSignalRoutingStreamSwapLocation",
    "PskRx_GetSignalRoutingSupportedTypes", "PskRx_GetStream1OutputClockPolarityMode",
    "PskRx_GetStream1OutputInvertEnable", "PskRx_GetStream2OutputClockPolarityMode",
    "PskRx_GetStream2OutputInvertEnable", "PskRx_GetViterbiRateModeSupportedTypes",
    "PskRx_GetViterbiStream1BitErrorRate", "PskRx_GetViterbiStream1DecodeEnable",
    "PskRx_GetViterbiStream1G1SymbolInvert", "PskRx_GetViterbiStream1G2SymbolInvert",
    "PskRx_GetViterbiStream1LockState", "PskRx_GetViterbiStream1RateMode",
    "PskRx_GetViterbiStream1SymbolErrorRate", "PskRx_GetViterbiStream1SymbolOrderMode",
    "PskRx_ReceiverRestartAcquisition", "PskRx_SetBitSyncStream1RateInbps", "PskRx_SetBitSyncStream2RateInbps",
    "PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate", "PskRx_SetCarrierAcquisitionMode",
    "PskRx_SetCarrierModulationMode", "PskRx_SetCarrierSignalFilterBandwidthRatio",
    "PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate", "PskRx_SetReceiverInputSourceMode",
    "PskRx_SetReceiverSignalLevelQualificationThreshold", "PskRx_SetSignalRoutingRecombineLocation",
    "PskRx_SetSignalRoutingStream1InvertLocation", "PskRx_SetSignalRoutingStreamSwapLocation",
    "PskRx_SetStream1OutputClockPolarityMode", "PskRx_SetStream1OutputInvertEnable",
    "PskRx_SetViterbiStream1DecodeEnable", "PskRx_SetViterbiStream1RateMode",
    "PskRx_SetViterbiStream1SymbolOrderMode", "SetMod_SetCarrierToNoiseLevel", "SetMod_SetDirPcmModIndex",
    "SetMod_SetEnableNoiseGeneration", "SetMod_SetEnableQpskConjugate", "SetMod_SetIDataSource",
    "SetMod_SetIPowerLevel", "SetMod_SetIQOutputRouting", "SetMod_SetIfCarrierLevel", "SetMod_SetIfCarrierOn",
    "SetMod_SetIfCarrierRateInHz", "SetMod_SetIfMaxOutputCalOffset", "SetMod_SetIfModulationOn",
    "SetMod_SetInputPreprocess", "SetMod_SetModulationType", "SetMod_SetModulatorMode",
    "SetMod_SetPCMFMPeakDeviationFactor", "SetMod_SetPcm1Randomizer", "SetMod_SetPcm2Randomizer",
    "SetMod_SetPcmCh1ConvolutionalEncodingOn", "SetMod_SetPcmCh1DataSource", "SetMod_SetPcmCh1FallingEdgeClk",
    "SetMod_SetPcmCh1InvertData", "SetMod_SetPcmCh1InvertG2", "SetMod_SetPcmCh1PcmEncoding",
    "SetMod_SetPcmCh1SwapG1G2", "SetMod_SetPcmCh2ConvolutionalEncodingOn", "SetMod_SetPcmCh2DataSource",
    "SetMod_SetPcmCh2FallingEdgeClk", "SetMod_SetPcmCh2InvertData", "SetMod_SetPcmCh2InvertG2",
    "SetMod_SetPcmCh2PcmEncoding", "SetMod_SetPcmCh2SwapG1G2", "SetMod_SetQDataSource", "SetMod_SetQPowerLevel",
    "SetMod_SetSglsSubCh1DataSource", "SetMod_SetSglsSubCh1ModulationType",
    "SetMod_SetSglsSubCh1SubCarrierRateInHz", "SetMod_SetSubcarrier1PmModIndex", "SetMod_SetSymbolRouting",
    "TxBert_GetPnPattern", "TxBert_GetPnPatternList", "TxBert_GetUserPattern", "TxBert_SetBitErrorRate",
    "TxBert_SetBitRate", "TxBert_SetClockPolarity", "TxBert_SetDataPolarity", "TxBert_SetPnPattern",
  };
  std::set<std::string_view> listed;
  for (const EntryInfo& entry : kZp90Entries) listed.insert(entry.name);
  for (const char* name : kForwarded) EXPECT_EQ(listed.count(name), 1u) << name << " has no entry";
}

TEST(Zp90Binding, BindsACompleteLibraryAndCallsThroughItsPointers) {
  testsupport::LoggedProgramFolder folder;
  zp90class library;
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_TRUE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size());
  EXPECT_EQ(library.MissingCount(), kZp90EntryCount - kTestLibraryEntries.size());

  const Zp90Functions& fn = library.Fn();
  ASSERT_NE(fn.Lib_GetApiVersion, nullptr);
  ASSERT_NE(fn.Card_GetCount, nullptr);
  ASSERT_NE(fn.Card_Open, nullptr);
  ASSERT_NE(fn.Card_Close, nullptr);
  ASSERT_NE(fn.Card_GetInfoBlock, nullptr);

  int version = 0;
  EXPECT_EQ(fn.Lib_GetApiVersion(&version), kDevOk);
  EXPECT_EQ(version, kZp90ApiVersion);
  int cards = 0;
  EXPECT_EQ(fn.Card_GetCount(&cards), kDevOk);
  EXPECT_EQ(cards, 2);
  EXPECT_EQ(fn.Card_Open(1), kDevOk);
  kr20cardinfo info{};
  EXPECT_EQ(fn.Card_GetInfoBlock(1, &info, static_cast<int>(sizeof info) - 1), kDevBufferTooSmall);
  EXPECT_EQ(fn.Card_GetInfoBlock(1, &info, static_cast<int>(sizeof info)), kDevOk);
  EXPECT_EQ(info.NumPskReceivers, 2);
  EXPECT_EQ(info.NumFftChannels, 2);

  // Arguments of every kind arrive in their places.
  EXPECT_EQ(fn.PskRx_SetCarrierCenterFrequencyInHz(1, 1, 70'125'000.5), kDevOk);
  double hz = 0.0;
  EXPECT_EQ(fn.PskRx_GetCarrierCenterFrequencyInHz(1, 1, &hz), kDevOk);
  EXPECT_EQ(hz, 70'125'000.5);
  EXPECT_EQ(fn.PskRx_GetCarrierCenterFrequencyInHz(1, 2, &hz), kDevBadChannel);
  DevName names[kDevListMaxNames]{};
  int count = 0;
  EXPECT_EQ(fn.GetMod_GetSupportedModulations(1, names, kDevListMaxNames, &count), kDevOk);
  ASSERT_EQ(count, 3);
  EXPECT_STREQ(names[2], "PCM_FM");
  EXPECT_EQ(fn.Card_Close(1), kDevOk);

  const std::string line = "Device library " + library.Path() + " loaded: " +
                           std::to_string(kTestLibraryEntries.size()) + " of " + std::to_string(kZp90EntryCount) +
                           " entry points";
  EXPECT_TRUE(Contains(folder.LogTexts(), line)) << line;
}

TEST(Zp90Binding, MissingOptionalEntriesLeaveOnlyTheirPointersNull) {
  testsupport::LoggedProgramFolder folder;
  zp90class library;
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  const std::vector<bool> bound = BoundPointers<Zp90Api>(library.Fn());
  ASSERT_EQ(bound.size(), kZp90EntryCount);
  for (std::size_t i = 0; i < kZp90EntryCount; ++i) {
    const std::string name(kZp90Entries[i].name);
    const bool implemented = kTestLibraryEntries.count(name) == 1;
    EXPECT_EQ(bound[i], implemented) << name;
    EXPECT_EQ(library.Has(static_cast<Zp90Entry>(i)), implemented) << name;
  }
  EXPECT_EQ(library.Fn().PskRx_SetCarrierAcquisitionRangeInHz, nullptr);
  EXPECT_FALSE(library.Has(Zp90Entry::TxBert_SetDataPolarity));
}

TEST(Zp90Binding, RefusesALibraryWithoutARequiredEntry) {
  testsupport::LoggedProgramFolder folder;
  zp90class library;
  EXPECT_FALSE(library.Load(FolderOf(TEST_DEVICE_LIB_INCOMPLETE)));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), kTestLibraryEntries.size() - 1);
  for (bool bound : BoundPointers<Zp90Api>(library.Fn())) EXPECT_FALSE(bound);
  EXPECT_FALSE(library.Has(Zp90Entry::Card_Open));

  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + library.Path() + " refused: entry point Zp90_Card_GetInfoBlock missing"));
  EXPECT_EQ(CountLines(texts, " refused: "), 1u);
  EXPECT_EQ(CountLines(texts, " loaded: "), 0u);
}

TEST(Zp90Binding, AFailedLoadDropsTheLibraryLoadedBefore) {
  testsupport::LoggedProgramFolder folder;
  zp90class library;
  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  EXPECT_FALSE(library.Load(FolderOf(TEST_DEVICE_LIB_INCOMPLETE)));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.Fn().Card_Open, nullptr);
  EXPECT_EQ(library.Fn().PskRx_GetCarrierCenterFrequencyInHz, nullptr);

  ASSERT_TRUE(library.Load(FolderOf(TEST_DEVICE_LIB)));
  library.Unload();
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.Fn().Card_GetCount, nullptr);
  EXPECT_EQ(library.ResolvedCount(), 0u);
}

TEST(Zp90Binding, AMissingFileIsLoggedOnceAndLeavesTheLibraryUnloaded) {
  testsupport::LoggedProgramFolder folder;
  testsupport::ScratchFolder empty;
  zp90class library;
  EXPECT_FALSE(library.Load(empty.Path()));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(library.ResolvedCount(), 0u);
  EXPECT_EQ(library.Path(), empty / "librtZp903x.so");
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + (empty / "librtZp903x.so") + " not found"));
  EXPECT_EQ(CountLines(texts, "Device library "), 1u);
}

TEST(Zp90Binding, FindsTheLibraryInTheProgramFolderWhateverItsLetterCase) {
  testsupport::LoggedProgramFolder folder;
  std::filesystem::copy_file(TEST_DEVICE_LIB, folder / "LIBRTZP903X.SO");
  zp90class library;
  ASSERT_TRUE(library.Load());
  EXPECT_EQ(std::filesystem::path(library.Path()).filename(), "LIBRTZP903X.SO");
  int cards = 0;
  EXPECT_EQ(library.Fn().Card_GetCount(&cards), kDevOk);
  EXPECT_EQ(cards, 2);
}

TEST(Zp90Binding, AFileThatIsNoLibraryIsLoggedAndRefused) {
  testsupport::LoggedProgramFolder folder;
  ASSERT_TRUE(testsupport::WriteWholeFile(folder / "librtZp903x.so", "not an ELF object\n"));
  zp90class library;
  EXPECT_FALSE(library.Load(folder.Path()));
  EXPECT_FALSE(library.Loaded());
  EXPECT_EQ(CountLines(folder.LogTexts(), "Device library " + library.Path() + " could not be loaded: "), 1u);
}

TEST(DnCvtBinding, BindsKr12AndKeepsTheLibrariesApartByPrefix) {
  testsupport::LoggedProgramFolder folder;
  dncvtlibclass kr12(DnCvtLibraryKind::Kr12);
  ASSERT_TRUE(kr12.Load(FolderOf(TEST_DNCVT_LIB)));
  EXPECT_EQ(kr12.ResolvedCount(), 6u);
  ASSERT_NE(kr12.Fn().ReadStrength, nullptr);
  double dbm = 0.0;
  EXPECT_EQ(kr12.Fn().ReadStrength(0, 1, &dbm), kDevOk);
  EXPECT_EQ(dbm, -72.25);
  EXPECT_EQ(kr12.Fn().SetFrequencyMhz, nullptr);
  EXPECT_FALSE(kr12.Has(DnCvtEntry::SetFrequencyMhz));
  EXPECT_TRUE(kr12.Has(DnCvtEntry::GetChannelCount));

  // The Kr14 binder looks for its own file, and a Kr12 library under the Kr14 name has none of
  // the Kr14 symbols.
  dncvtlibclass kr14(DnCvtLibraryKind::Kr14);
  EXPECT_FALSE(kr14.Load(FolderOf(TEST_DNCVT_LIB)));
  EXPECT_TRUE(Contains(folder.LogTexts(),
                       "Device library " + FolderOf(TEST_DNCVT_LIB) + "/libKr14P3_Dll.so not found"));
  std::filesystem::copy_file(TEST_DNCVT_LIB, folder / "libKr14P3_Dll.so");
  EXPECT_FALSE(kr14.Load(folder.Path()));
  const std::vector<std::string> texts = folder.LogTexts();
  EXPECT_TRUE(Contains(texts, "Device library " + kr14.Path() + " refused: entry point Kr14_Lib_GetApiVersion missing"));
  EXPECT_EQ(CountLines(texts, " refused: entry point Kr14_"), 5u);
}

}  // namespace
}  // namespace card
