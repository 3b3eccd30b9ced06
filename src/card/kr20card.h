#pragma once
// The card object: one `kr20cardclass` per receiver card, the only road from the rest of the
// program to a card. It owns what the program knows of its card (open and simulated flags, the
// card info block, the FPGA tables of contents and load state, the card setup record, the
// modulation-index lock-threshold tables) and wraps every device operation of the card library
// under the operation's own name.
//
// The ready rule: every operation first tests that the card is ready (library loaded, card open,
// DCM link up, card not simulated) and that the library has the entry it needs. When not:
// number getters return 0, text getters "BAD", list getters leave the list as it was and
// setters do nothing; no call reaches the library. A failed device call is answered the same
// way. FPGA image loading is the one exception to the DCM part of the rule: loading the image is
// what brings the clock manager up.
//
// Nothing here throws. Single-threaded by design: the program never touches a card object from
// two threads at once.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "card/device_api.h"
#include "card/mod_index_lock_table.h"
#include "card/records/card_info_block.h"
#include "card/records/card_setup_record.h"
#include "card/records/fpga_info_records.h"

namespace card {

class zp90class;

// Window message to the main window around an FPGA image load: wParam the card, lParam 1 when
// the load begins and 0 when it has ended. Sent, not posted.
inline constexpr std::uint32_t kWmFpgaLoad = 50001;
// What a text getter answers for a card that is not ready.
inline constexpr const char* kNotReadyText = "BAD";
// FPGA personalities (mode functions) 0..15; kNoFpgaMode (16) is none.
inline constexpr int kFpgaModeCount = 16;
// Longest FPGA image path the library takes.
inline constexpr std::size_t kFpgaImagePathMax = 4095;
// The library's logging mask uses bits 15 .. 4.
inline constexpr std::uint32_t kLoggingMaskBits = 0xFFF0;
// The shortest transmitter-is-digital pulse the FM receiver takes.
inline constexpr std::chrono::microseconds kXmitterPulseLength{1000};

using FpgaInfoArray = std::array<FpgaInfoRecord, kFpgasPerCard>;

#pragma pack(push, 1)
// The sweep fields of the setup's modulator block, in their order (bytes 1 .. 50 of the block):
// what the test modulator window hands to DoOnSetModulatorSweepProcess.
struct ModSweepParamBlock {
  double SweepRateHz{};
  double StartFreqMhz{};
  std::int32_t NumProfiles{};
  std::int32_t SweepProfileIndex{};
  double StopFreqMhzAry[kModSweepStops]{};
  std::uint8_t SinglePass{};
  std::uint8_t SnapCtrAtEndCycle{};
};
#pragma pack(pop)
static_assert(sizeof(ModSweepParamBlock) == 50);
static_assert(offsetof(ModSweepParamBlock, NumProfiles) == offsetof(ModulatorRecord, NumProfiles) - 1);
static_assert(offsetof(ModSweepParamBlock, SnapCtrAtEndCycle) == offsetof(ModulatorRecord, SnapCtrAtEndCycle) - 1);
static_assert(std::is_trivially_copyable_v<ModSweepParamBlock>);

// The block as the setup holds it, and the block stored into the setup (no limits applied).
ModSweepParamBlock ModSweepParamsOf(const CardSetupRecord& setup);
void StoreModSweepParams(CardSetupRecord& setup, const ModSweepParamBlock& block);

// What MhCpmRx_GetStatusValues reads: lock state number (the bit sync is locked above 1),
// carrier lock, carrier frequency in MHz, bit rate in bit/s and the loop's frequency error in Hz.
struct MhCpmStatusValues {
  std::int32_t LockState = 0;
  bool CarrierLocked = false;
  double CarrierFreqMhz = 0.0;
  double BitRate = 0.0;
  double LoopErrorHz = 0.0;
};

// The module of a device type number in the FPGA tables of contents: the first entry of a present
// FPGA with that number and, when `instance` is not 0, that FPGA instance. Entries beyond a
// record's device count are never looked at; a count outside 0..32 counts as 0.
bool FindFpgaModule(const FpgaInfoArray& fpgaInfo, std::uint32_t deviceTypeNumber, std::int32_t instance, int& fpga,
                    std::uint32_t& base);
// The modulator sweep engine (device type 3584): true with its FPGA and register base; both -1
// when there is none.
bool FindModSweepDevice(const FpgaInfoArray& fpgaInfo, int& fpga, std::int64_t& base);

// The text of a BERT user pattern: `pattern` holds the pattern left-justified in up to four bytes
// (first bit in the top bit of byte 0), `lengthBits` its length (1..32); radix 0 decimal,
// 1 hexadecimal ("0x" and one lower-case digit per 4 bits), 2 binary (one digit per bit); any
// other radix counts as decimal. "BAD" for a length outside 1..32.
std::string FormatUserPatternText(const std::string& pattern, int lengthBits, int radix);

class kr20cardclass {
 public:
  // The card object of card `card` of a loaded receiver-card library. The library object must
  // outlive the card object; its loaded state is asked at every call.
  kr20cardclass(int card, const zp90class& library, bool simulated);
  // The same over a bare table of entry points, which counts as a loaded library (tests and
  // stand-ins). The table must outlive the card object.
  kr20cardclass(int card, const Zp90Functions& functions, bool simulated);
  ~kr20cardclass();
  kr20cardclass(const kr20cardclass&) = delete;
  kr20cardclass& operator=(const kr20cardclass&) = delete;

  // ---- Open and close ---------------------------------------------------------------------------

  // Opens the card and reads what it is built of: the card info block (copied whole; a count
  // outside 0..kMaxUnitCount is set to 0 and logged), the chip-variant flag, the maximum data rate
  // and both FPGA tables of contents. A simulated card only counts as open. False, with a log line
  // "Card <n> ...", when the library is not loaded, the card does not open or its info block
  // cannot be read (the card is closed again then).
  bool Open();
  // Closes the card (a failure is logged); the object keeps what it read. A pending
  // transmitter-is-digital pulse is ended first, after what is left of its length.
  void Close();

  // ---- What the program reads -----------------------------------------------------------------

  static constexpr std::int32_t kMaxUnitCount = 16;

  int CardIndex() const { return card_; }
  bool IsOpen() const { return open_; }
  bool IsSimulated() const { return simulated_; }
  // The ready rule above (library loaded, open, DCM link up, not simulated). Asks the library.
  bool IsReady() const;
  // FPGA 0 holds a loaded image with its table of contents read.
  bool FirstFpgaPresent() const { return fpgaInfo_[0].Present != 0; }
  const kr20cardinfo& CardInfo() const { return info_; }
  bool ChipVariant() const { return chipVariant_; }
  // Highest data rate the receivers take, bit/s (0 when the library does not say).
  std::uint32_t MaxDataRate() const { return maxDataRate_; }
  const FpgaInfoArray& FpgaInfo() const { return fpgaInfo_; }

  CardSetupRecord& Setup() { return setup_; }
  const CardSetupRecord& Setup() const { return setup_; }
  FpgaLoadState& LoadState() { return loadState_; }
  const FpgaLoadState& LoadState() const { return loadState_; }

  // Per channel: the status reader asks for a transmitter-is-digital pulse at its next pass.
  bool PulseRequest(int channel) const;
  void SetPulseRequest(int channel, bool request);

  const ModIndexLockTables& ModIndexLockThresholds() const { return lockTables_; }
  // True when the lock-threshold tables came from "modIndLockThreshold.cfg".
  bool ModIndexLockThresholdsFromFile() const { return lockTablesFromFile_; }
  // Looks the modulation index up in the channel's table (FindModIndexLockEntry) and writes the
  // entry's threshold to the FM receiver module serving the channel (FmReceiverInstance), and
  // also to the other channel's when asked; the entry records what was written. False when there
  // is no entry or nothing was written.
  bool ApplyModIndexLockThreshold(int channel, double modIndex, bool alsoOtherChannel);

  // A simulated card has no library to read its build from; the demo personality sets it.
  void SetSimulatedCardInfo(const kr20cardinfo& info);

  // ---- FPGA images ----------------------------------------------------------------------------

  // The image file that personality `mode` (0..15) loads into FPGA `fpga` (0..1); empty for none.
  // Out-of-range arguments are ignored, paths longer than kFpgaImagePathMax refused.
  void SetFpgaImage(int mode, int fpga, const std::string& path);
  std::string FpgaImage(int mode, int fpga) const;

  // Loads the desired personality (the load state's DesiredFpgaMode) when the force-load flag is
  // set, the current personality differs from it or FPGA 0 holds no image; true when nothing was
  // needed or the load succeeded.
  bool EnsureFpgasLoaded();
  // Loads personality `mode` now: message 50001 (card, 1) is sent to the main window, each image
  // of the mode goes to its FPGA (Card_LoadFpgaImage), both tables of contents and the card info
  // block are read back, then 50001 (card, 0) is sent, also after a failure. On success the load state's current mode
  // becomes `mode` and the force-load flag is cleared. Failures are logged.
  bool LoadFpgaPersonality(int mode);
  // Reads both FPGA tables of contents again (nothing when the card is not open or simulated).
  void RefreshFpgaInfo();

  // ---- Registers (fpga_image_header.h, fpga_module_registers.h) -------------------------------

  // Reads `count` (1..kFpgaMaxPeekCount, at most values.size()) consecutive registers of FPGA
  // `fpga` from `firstRegister` on; every one of them must exist (IsFpgaRegisterRun). False,
  // values untouched, otherwise or when the card is not ready.
  bool Dtrd_PeekRegOnFpga(int fpga, std::uint32_t firstRegister, std::span<std::uint32_t> values, int count) const;
  // Writes one existing register of FPGA 0 or 1.
  bool Dtrd_PokeRegOnFpga(int fpga, std::uint32_t reg, std::uint32_t value);

  // Registers of the FM receiver module (device type 176) of FPGA instance `instance` (1, 2: the
  // card's FM receivers in channel order), by offset from the module's base (fmrx_reg). False
  // when the tables of contents hold no such module or the registers do not exist.
  bool Dev176_SetValue(int instance, std::uint32_t offset, std::uint32_t value);
  bool Dev176_SetValues(int instance, std::uint32_t firstOffset, std::span<const std::uint32_t> values);
  bool Dev176_ReadValues(int instance, std::uint32_t firstOffset, std::span<std::uint32_t> values) const;
  // The FM receiver instance that serves a channel: channel + 1 on a card with two FM receivers,
  // 1 for channel 1 on a card with one (its FM receiver sits on channel 1); 0 for none.
  int FmReceiverInstance(int channel) const;
  // A register of the card's post-D combiner module (device type 188), by offset (postd_reg).
  bool Dev188_SetValue(std::uint32_t offset, std::uint32_t value);

  // The test modulator's input: `direct` is stored; on a card with a pre-D combiner bit 2 of
  // FPGA-0 register 0xB00 (kRoutingModulatorFromCombiner) is set for the combiner input and
  // cleared for the direct one.
  void DoOnSetFpga0RegB00(bool direct);
  bool ModulatorInputDirect() const { return modulatorInputDirect_; }
  // Dual PCM/FM post-D personality (12) with Route Mode 1 only: bit 0 of FPGA-0 register 0xB00
  // set and bit 1 := flag (the combined output follows channel B).
  void DoOnSetFpga0RegB00Bits(bool flag);

  // The library's logging mask (bits 15..4 of `mask`) on every functional block of the card.
  void SetAllLoggingMasks(std::uint32_t mask);
  int Card_GetBasebandDacSource(int dac) const;
  void Card_SetBasebandDacSource(int dac, int source);

  // ---- Modulator frequency sweep (modsweep_reg of fpga_image_header.h) -----------------------

  // Stores the block into the setup's sweep fields, each limited (rate 1..20000 Hz/s, start and
  // stop frequencies to the setup's CarrierFreqMhz +- 0.25 MHz, profiles 1..3, profile index
  // 0..2), stops a running sweep, logs the sweep, warns about a segment of few points, programs
  // the engine for the profile in use and starts it. Without the engine it logs
  // "DoOnSetModulatorSweepProcess(), bogus modsweep address" and does nothing.
  bool DoOnSetModulatorSweepProcess(const ModSweepParamBlock& block);
  // Control := reset, then 0; the IF carrier back to the setup's CarrierFreqMhz. False without
  // the engine.
  bool ResetModulatorSweep();
  // Control := start / stop; true when the engine exists.
  bool RunModulatorSweep();
  bool StopModulatorSweep();
  // Status bit 0; false without the engine.
  bool IsModulatorSweepRunning() const;
  // The engine's current offset from the carrier, Hz; 0 when absent or not running.
  double GetModSweepCurrentFreqHz() const;
  // 100 x (carrier + offset - segment start) / (profile's stop - segment start), in Hz; the
  // segment of profile 0 starts at the start frequency, that of profile 1 or 2 at the previous
  // stop. 0 when the engine is absent or not running, or the segment is empty.
  double GetModSweepProgressPercent(int profile) const;

  // ---- Operations of the program's own --------------------------------------------------------

  // "UNAIDED", "FFT".
  bool GetCarrierAcquisitionModeList(std::vector<std::string>& list) const;
  // "G1G2_ORDER", "G2G1_ORDER".
  bool PskRx_GetViterbiSymbolOrderModeList(std::vector<std::string>& list) const;
  // The FM receiver's transmitter-is-digital control := 1 now, := 0 by EndXmitterPulses once
  // kXmitterPulseLength has passed: nothing waits here. A channel whose pulse is still high keeps
  // it; that pulse serves the new request.
  void FmRx_PulseXmitterIsDigital(int channel);
  // Sets the control of every channel whose pulse has lasted kXmitterPulseLength back to 0; a
  // failed reset is logged and not tried again. Meant for every master-timer tick.
  void EndXmitterPulses();
  // Some channel's pulse is still high.
  bool XmitterPulsePending() const;

  // ---- Device operations with their own shapes ------------------------------------------------

  void MhCpmRx_SetTotalSetup(int channel, const std::string& inputCode, bool dataInvert,
                             const std::string& clockPolarity, const std::string& outputCode, double bitRate,
                             double carrierAcqRangeHz, double carrierCenterFreqMhz, double carrierAcqLoopBwPct,
                             double bitSyncAcqRangePct);
  // False, values untouched, when not ready.
  bool MhCpmRx_GetStatusValues(int channel, MhCpmStatusValues& values) const;
  // The latest spectrum (dB per point) or IQ pairs, written as little-endian doubles into the bytes
  // given (8 per point, 16 per pair). The number of points or pairs read; 0 when not ready or
  // when the library reports a count outside the buffer.
  int Fft_GetFftBuffer(int channel, std::uint8_t& flag, std::span<std::byte> points) const;
  int IQ_GetIqBuffer(int channel, std::uint8_t& flag, std::span<std::byte> pairs) const;
  // User patterns travel as four bytes, left-justified, with their length in bits (1..32). The
  // getters give "BAD" and 0 when not ready or when the library's length is outside 1..32; the
  // setters send nothing for such a length.
  bool Bert_GetUserPattern(int channel, std::string& pattern, int& lengthBits) const;
  void Bert_SetUserPattern(int channel, const std::string& pattern, int lengthBits);
  bool TxBert_GetUserPattern(int bert, std::string& pattern, int& lengthBits) const;
  void TxBert_SetUserPattern(int bert, const std::string& pattern, int lengthBits);

  // ---- Device operations, one per entry of device_api.def -------------------------------------
  // Text getters answer the name, list getters fill the list (at most 64 names of at most 100
  // characters) and return true, number and flag getters the value, setters pass their value on.
  // Exceptions to plain forwarding: PskRx_SetSignalRoutingStream1InvertLocation also sets stream
  // 2's invert location; FmRx_SetCarrierPeakDeviation also sets the other receiver when the card's
  // PCM/FM receivers are paired (two FM receivers and a Route Mode other than 0).

  // ---- Test modulator
  bool GetMod_GetAvailableModulatorModes(std::vector<std::string>& list) const;
  bool GetMod_GetSupportedModulations(std::vector<std::string>& list) const;
  bool GetMod_GetSupportedIQOutputRoutings(std::vector<std::string>& list) const;
  bool GetMod_GetSupportedSymbolRoutings(std::vector<std::string>& list) const;
  bool GetMod_GetSupportedInputPreprocessings(std::vector<std::string>& list) const;
  bool GetMod_GetAvailableIQDataSources(std::vector<std::string>& list) const;
  std::string GetMod_GetModulatorMode() const;
  void SetMod_SetModulatorMode(const std::string& name);
  std::string GetMod_GetModulationType() const;
  void SetMod_SetModulationType(const std::string& name);
  double GetMod_IfCarrierRateInHz() const;
  void SetMod_SetIfCarrierRateInHz(double hz);
  double GetMod_IfCarrierLevelInDbm() const;
  void SetMod_SetIfCarrierLevel(double dbm);
  bool GetMod_GetIfCarrierOn() const;
  void SetMod_SetIfCarrierOn(bool on);
  bool GetMod_GetIfModulationOn() const;
  void SetMod_SetIfModulationOn(bool on);
  bool GetMod_GetEnableNoiseGeneration() const;
  void SetMod_SetEnableNoiseGeneration(bool on);
  double GetMod_GetCarrierToNoiseLevel() const;
  void SetMod_SetCarrierToNoiseLevel(double dbHz);
  double GetMod_GetIfMaxOutputCalOffset() const;
  void SetMod_SetIfMaxOutputCalOffset(double dbm);
  double GetMod_GetIPowerLevel() const;
  void SetMod_SetIPowerLevel(double db);
  double GetMod_GetQPowerLevel() const;
  void SetMod_SetQPowerLevel(double db);
  bool GetMod_GetEnableQpskConjugate() const;
  void SetMod_SetEnableQpskConjugate(bool on);
  std::string GetMod_GetIDataSource() const;
  void SetMod_SetIDataSource(const std::string& name);
  std::string GetMod_GetQDataSource() const;
  void SetMod_SetQDataSource(const std::string& name);
  std::string GetMod_GetIQOutputRouting() const;
  void SetMod_SetIQOutputRouting(const std::string& name);
  std::string GetMod_GetSymbolRouting() const;
  void SetMod_SetSymbolRouting(const std::string& name);
  std::string GetMod_GetInputPreprocessing() const;
  void SetMod_SetInputPreprocess(const std::string& name);
  double GetMod_GetDirPcmModIndex() const;
  void SetMod_SetDirPcmModIndex(double radians);
  double GetMod_GetPCMFMPeakDeviationFactor() const;
  void SetMod_SetPCMFMPeakDeviationFactor(double factor);
  bool GetMod_GetSglsSubCh1AvailableDataSources(std::vector<std::string>& list) const;
  bool GetMod_GetSglsSubCh1SupportedModulations(std::vector<std::string>& list) const;
  std::string GetMod_GetSglsSubCh1DataSource() const;
  void SetMod_SetSglsSubCh1DataSource(const std::string& name);
  std::string GetMod_GetSglsSubCh1ModulationType() const;
  void SetMod_SetSglsSubCh1ModulationType(const std::string& name);
  double GetMod_GetSglsSubCh1SubCarrierRateInHz() const;
  void SetMod_SetSglsSubCh1SubCarrierRateInHz(double hz);
  double GetMod_GetSubcarrier1PmModIndex() const;
  void SetMod_SetSubcarrier1PmModIndex(double radians);
  std::string GetMod_GetTestGenPattern() const;
  void SetMod_SetTestGenPattern(const std::string& name);
  double GetMod_GetFskPremodBandwidthInHz() const;
  void SetMod_SetFskPremodBandwidthInHz(double hz);
  double GetMod_GetFskFmDeviationInHz() const;
  void SetMod_SetFskFmDeviationInHz(double hz);
  double GetMod_GetSubcarrier1DeviationInHz() const;
  void SetMod_SetSubcarrier1DeviationInHz(double hz);
  double GetMod_GetSubcarrier2DeviationInHz() const;
  void SetMod_SetSubcarrier2DeviationInHz(double hz);
  double GetMod_GetSubcarrier2PmModIndex() const;
  void SetMod_SetSubcarrier2PmModIndex(double radians);
  double GetMod_GetRangePmModIndex() const;
  void SetMod_SetRangePmModIndex(double radians);
  double GetMod_GetCommandPmModIndex() const;
  void SetMod_SetCommandPmModIndex(double radians);
  double GetMod_GetExtPmModIndex() const;
  void SetMod_SetExtPmModIndex(double radians);
  bool GetMod_GetSakLoopbackMode() const;
  void SetMod_SetSakLoopbackMode(bool on);
  bool GetMod_GetSakIfModOutputToDiversity() const;
  void SetMod_SetSakIfModOutputToDiversity(bool on);

  // ---- PCM encoders of the test modulator
  bool GetMod_GetPcmCh1AvailableDataSources(std::vector<std::string>& list) const;
  bool GetMod_GetPcmCh1AvailablePcmEncodings(std::vector<std::string>& list) const;
  std::string GetMod_GetPcmCh1DataSource() const;
  void SetMod_SetPcmCh1DataSource(const std::string& name);
  std::string GetMod_GetPcmCh1PcmEncoding() const;
  void SetMod_SetPcmCh1PcmEncoding(const std::string& name);
  std::string GetMod_GetPcmCh1PcmRandScrambling() const;
  void SetMod_SetPcm1Randomizer(const std::string& name);
  bool GetMod_GetPcmCh1ConvolutionalEncodingOn() const;
  void SetMod_SetPcmCh1ConvolutionalEncodingOn(bool on);
  bool GetMod_GetPcmCh1SwapG1G2() const;
  void SetMod_SetPcmCh1SwapG1G2(bool on);
  bool GetMod_GetPcmCh1InvertG2() const;
  void SetMod_SetPcmCh1InvertG2(bool on);
  bool GetMod_GetPcmCh1InvertData() const;
  void SetMod_SetPcmCh1InvertData(bool on);
  bool GetMod_GetPcmCh1FallingEdgeClk() const;
  void SetMod_SetPcmCh1FallingEdgeClk(bool on);
  bool GetMod_GetPcmCh2AvailableDataSources(std::vector<std::string>& list) const;
  bool GetMod_GetPcmCh2AvailablePcmEncodings(std::vector<std::string>& list) const;
  std::string GetMod_GetPcmCh2DataSource() const;
  void SetMod_SetPcmCh2DataSource(const std::string& name);
  std::string GetMod_GetPcmCh2PcmEncoding() const;
  void SetMod_SetPcmCh2PcmEncoding(const std::string& name);
  std::string GetMod_GetPcmCh2PcmRandScrambling() const;
  void SetMod_SetPcm2Randomizer(const std::string& name);
  bool GetMod_GetPcmCh2ConvolutionalEncodingOn() const;
  void SetMod_SetPcmCh2ConvolutionalEncodingOn(bool on);
  bool GetMod_GetPcmCh2SwapG1G2() const;
  void SetMod_SetPcmCh2SwapG1G2(bool on);
  bool GetMod_GetPcmCh2InvertG2() const;
  void SetMod_SetPcmCh2InvertG2(bool on);
  bool GetMod_GetPcmCh2InvertData() const;
  void SetMod_SetPcmCh2InvertData(bool on);
  bool GetMod_GetPcmCh2FallingEdgeClk() const;
  void SetMod_SetPcmCh2FallingEdgeClk(bool on);

  // ---- PSK receiver
  void PskRx_ReceiverRestartAcquisition(int channel);
  bool PskRx_GetReceiverInputSourceModeSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string PskRx_GetReceiverInputSourceMode(int channel) const;
  void PskRx_SetReceiverInputSourceMode(int channel, const std::string& name);
  double PskRx_GetReceiverSignalLevelQualificationThreshold(int channel) const;
  void PskRx_SetReceiverSignalLevelQualificationThreshold(int channel, double dbm);
  double PskRx_GetReceiverSignalPowerIndBm(int channel) const;
  double PskRx_GetReceiverTotalPowerIndBm(int channel) const;
  bool PskRx_GetCarrierModulationModeSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string PskRx_GetCarrierModulationMode(int channel) const;
  void PskRx_SetCarrierModulationMode(int channel, const std::string& name);
  std::string PskRx_GetCarrierLockState(int channel) const;
  double PskRx_GetCarrierCenterFrequencyInHz(int channel) const;
  void PskRx_SetCarrierCenterFrequencyInHz(int channel, double hz);
  double PskRx_GetCarrierActualSignalFrequencyInHz(int channel) const;
  double PskRx_GetCarrierAcquisitionRangeInHz(int channel) const;
  void PskRx_SetCarrierAcquisitionRangeInHz(int channel, double hz);
  bool PskRx_GetCarrierAcquisitionModeSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string PskRx_GetCarrierAcquisitionMode(int channel) const;
  void PskRx_SetCarrierAcquisitionMode(int channel, const std::string& name);
  double PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(int channel) const;
  void PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(int channel, double pct);
  double PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(int channel) const;
  void PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(int channel, double pct);
  double PskRx_GetCarrierSignalFilterBandwidthRatio(int channel) const;
  void PskRx_SetCarrierSignalFilterBandwidthRatio(int channel, double ratio);
  double PskRx_GetBitSyncStream1RateInbps(int channel) const;
  void PskRx_SetBitSyncStream1RateInbps(int channel, double bps);
  std::string PskRx_GetBitSyncStream1InputDataDecodingMode(int channel) const;
  void PskRx_SetBitSyncStream1InputDataDecodingMode(int channel, const std::string& name);
  std::string PskRx_GetBitSyncStream1DescramblerMode(int channel) const;
  void PskRx_SetBitSyncStream1DescramblerMode(int channel, const std::string& name);
  std::string PskRx_GetBitSyncStream1OutputDataEncodingMode(int channel) const;
  void PskRx_SetBitSyncStream1OutputDataEncodingMode(int channel, const std::string& name);
  double PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(int channel) const;
  void PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(int channel, double pct);
  double PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(int channel) const;
  void PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(int channel, double pct);
  std::string PskRx_GetBitSyncStream1LockState(int channel) const;
  double PskRx_GetBitSyncStream1SignalEbNo(int channel) const;
  double PskRx_GetBitSyncStream1ActualSymbolRate(int channel) const;
  double PskRx_GetBitSyncStream2RateInbps(int channel) const;
  void PskRx_SetBitSyncStream2RateInbps(int channel, double bps);
  std::string PskRx_GetBitSyncStream2InputDataDecodingMode(int channel) const;
  std::string PskRx_GetBitSyncStream2DescramblerMode(int channel) const;
  std::string PskRx_GetBitSyncStream2OutputDataEncodingMode(int channel) const;
  void PskRx_SetBitSyncStream2InputDataDecodingMode(int channel, const std::string& name);
  void PskRx_SetBitSyncStream2DescramblerMode(int channel, const std::string& name);
  void PskRx_SetBitSyncStream2OutputDataEncodingMode(int channel, const std::string& name);
  bool PskRx_GetStreamControlS1Only(int channel) const;
  void PskRx_SetStreamControlS1Only(int channel, bool on);
  std::string PskRx_GetBitSyncStream2LockState(int channel) const;
  double PskRx_GetBitSyncStream2SignalEbNo(int channel) const;
  double PskRx_GetBitSyncStream2ActualSymbolRate(int channel) const;
  std::string PskRx_GetStream1OutputClockPolarityMode(int channel) const;
  void PskRx_SetStream1OutputClockPolarityMode(int channel, const std::string& name);
  std::string PskRx_GetStream2OutputClockPolarityMode(int channel) const;
  bool PskRx_GetStream1OutputInvertEnable(int channel) const;
  void PskRx_SetStream1OutputInvertEnable(int channel, bool on);
  bool PskRx_GetStream2OutputInvertEnable(int channel) const;
  bool PskRx_GetSignalRoutingSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string PskRx_GetSignalRoutingRecombineLocation(int channel) const;
  void PskRx_SetSignalRoutingRecombineLocation(int channel, const std::string& name);
  std::string PskRx_GetSignalRoutingStreamSwapLocation(int channel) const;
  void PskRx_SetSignalRoutingStreamSwapLocation(int channel, const std::string& name);
  std::string PskRx_GetSignalRoutingStream1InvertLocation(int channel) const;
  void PskRx_SetSignalRoutingStream1InvertLocation(int channel, const std::string& name);
  std::string PskRx_GetSignalRoutingStream2InvertLocation(int channel) const;
  void PskRx_SetSignalRoutingStream2InvertLocation(int channel, const std::string& name);
  std::string PskRx_GetSignalRoutingBaseband1Output(int channel) const;
  void PskRx_SetSignalRoutingBaseband1Output(int channel, const std::string& name);
  std::string PskRx_GetSignalRoutingBaseband2Output(int channel) const;
  void PskRx_SetSignalRoutingBaseband2Output(int channel, const std::string& name);
  int PskRx_GetSakBbOutSelection(int channel) const;
  void PskRx_SetSakBbOutSelection(int channel, int selection);
  bool PskRx_GetViterbiRateModeSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string PskRx_GetViterbiStream1RateMode(int channel) const;
  void PskRx_SetViterbiStream1RateMode(int channel, const std::string& name);
  std::string PskRx_GetViterbiStream1SymbolOrderMode(int channel) const;
  void PskRx_SetViterbiStream1SymbolOrderMode(int channel, const std::string& name);
  bool PskRx_GetViterbiStream1DecodeEnable(int channel) const;
  void PskRx_SetViterbiStream1DecodeEnable(int channel, bool on);
  bool PskRx_GetViterbiStream1G1SymbolInvert(int channel) const;
  void PskRx_SetViterbiStream1G1SymbolInvert(int channel, bool on);
  bool PskRx_GetViterbiStream1G2SymbolInvert(int channel) const;
  void PskRx_SetViterbiStream1G2SymbolInvert(int channel, bool on);
  std::string PskRx_GetViterbiStream1LockState(int channel) const;
  double PskRx_GetViterbiStream1SymbolErrorRate(int channel) const;
  double PskRx_GetViterbiStream1BitErrorRate(int channel) const;

  // ---- FM (PCM/FM) receiver with bit sync and Viterbi decoder
  void FmRx_ReceiverRestartAcquisition(int channel);
  std::string FmRx_GetReceiverInputSourceMode(int channel) const;
  void FmRx_SetReceiverInputSourceMode(int channel, const std::string& name);
  double FmRx_GetReceiverSignalLevelQualificationThreshold(int channel) const;
  void FmRx_SetReceiverSignalLevelQualificationThreshold(int channel, double dbm);
  double FmRx_GetReceiverSignalPowerIndBm(int channel) const;
  double FmRx_GetReceiverTotalPowerIndBm(int channel) const;
  std::string FmRx_GetCarrierLockState(int channel) const;
  double FmRx_GetCarrierCenterFrequencyInHz(int channel) const;
  void FmRx_SetCarrierCenterFrequencyInHz(int channel, double hz);
  double FmRx_GetCarrierActualSignalFrequencyInHz(int channel) const;
  double FmRx_GetCarrierAcquisitionRangeInHz(int channel) const;
  void FmRx_SetCarrierAcquisitionRangeInHz(int channel, double hz);
  double FmRx_GetCarrierAcquisitionLoopBandwidthInHz(int channel) const;
  void FmRx_SetCarrierAcquisitionLoopBandwidthInHz(int channel, double hz);
  double FmRx_GetCarrierTrackingLoopBandwidthInHz(int channel) const;
  void FmRx_SetCarrierTrackingLoopBandwidthInHz(int channel, double hz);
  double FmRx_GetCarrierSignalFilterBandwidthRatio(int channel) const;
  void FmRx_SetCarrierSignalFilterBandwidthRatio(int channel, double ratio);
  double FmRx_GetCarrierPeakDeviation(int channel) const;
  void FmRx_SetCarrierPeakDeviation(int channel, double index);
  double FmRx_GetCarrierModIndexCompensatedValue(int channel) const;
  double FmRx_GetPeakDeviationCompensationFactorMin(int channel) const;
  void FmRx_SetPeakDeviationCompensationFactorMin(int channel, double factor);
  double FmRx_GetPeakDeviationCompensationFactorMax(int channel) const;
  void FmRx_SetPeakDeviationCompensationFactorMax(int channel, double factor);
  bool FmRx_GetXmitterIsDigital(int channel) const;
  void FmRx_SetXmitterIsDigital(int channel, bool on);
  bool FmRx_GetCarrierDiscriminatorEnable(int channel) const;
  void FmRx_SetCarrierDiscriminatorEnable(int channel, bool on);
  std::string FmRx_GetCarrierModIndexCompensationMode(int channel) const;
  void FmRx_SetCarrierModIndexCompensationMode(int channel, const std::string& name);
  double FmRx_GetBitSyncRateInbps(int channel) const;
  void FmRx_SetBitSyncRateInbps(int channel, double bps);
  std::string FmRx_GetBitSyncInputDataDecodingMode(int channel) const;
  void FmRx_SetBitSyncInputDataDecodingMode(int channel, const std::string& name);
  std::string FmRx_GetBitSyncDescramblerMode(int channel) const;
  void FmRx_SetBitSyncDescramblerMode(int channel, const std::string& name);
  std::string FmRx_GetBitSyncOutputDataEncodingMode(int channel) const;
  void FmRx_SetBitSyncOutputDataEncodingMode(int channel, const std::string& name);
  double FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(int channel) const;
  void FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate(int channel, double pct);
  double FmRx_GetBitSyncLoopWidthInPercentOfBitRate(int channel) const;
  void FmRx_SetBitSyncLoopWidthInPercentOfBitRate(int channel, double pct);
  std::string FmRx_GetBitSyncLockState(int channel) const;
  double FmRx_GetBitSyncSignalEbNo(int channel) const;
  double FmRx_GetBitSyncActualSymbolRate(int channel) const;
  std::string FmRx_GetOutputClockPolarityMode(int channel) const;
  void FmRx_SetOutputClockPolarityMode(int channel, const std::string& name);
  bool FmRx_GetOutputInvertEnable(int channel) const;
  void FmRx_SetOutputInvertEnable(int channel, bool on);
  bool FmRx_GetViterbiRateModeSupportedTypes(int channel, std::vector<std::string>& list) const;
  std::string FmRx_GetViterbiRateMode(int channel) const;
  void FmRx_SetViterbiRateMode(int channel, const std::string& name);
  std::string FmRx_GetViterbiSymbolOrderMode(int channel) const;
  void FmRx_SetViterbiSymbolOrderMode(int channel, const std::string& name);
  bool FmRx_GetViterbiDecodeEnable(int channel) const;
  void FmRx_SetViterbiDecodeEnable(int channel, bool on);
  bool FmRx_GetViterbiG1SymbolInvert(int channel) const;
  void FmRx_SetViterbiG1SymbolInvert(int channel, bool on);
  bool FmRx_GetViterbiG2SymbolInvert(int channel) const;
  void FmRx_SetViterbiG2SymbolInvert(int channel, bool on);
  std::string FmRx_GetViterbiLockState(int channel) const;
  double FmRx_GetViterbiSymbolErrorRate(int channel) const;
  double FmRx_GetViterbiBitErrorRate(int channel) const;

  // ---- PM receiver
  void PmRx_RestartReceiverAcquisition(int channel);
  std::string PmRx_GetInputSource(int channel) const;
  void PmRx_SetInputSource(int channel, const std::string& name);
  std::string PmRx_GetCarrierLockState(int channel) const;
  double PmRx_GetCarrierCenterFrequencyInHz(int channel) const;
  void PmRx_SetCarrierCenterFrequencyInHz(int channel, double hz);
  double PmRx_GetSignalLevelIndBm(int channel) const;
  double PmRx_GetTotalPowerIndBm(int channel) const;
  double PmRx_GetCarrierAcquisitionRangeInHz(int channel) const;
  void PmRx_SetCarrierAcquisitionRangeInHz(int channel, double hz);
  std::string PmRx_GetCarrierAcquisitionMode(int channel) const;
  void PmRx_SetCarrierAcquisitionMode(int channel, const std::string& name);
  double PmRx_GetCarrierAcquisitionLoopBandwidthInHz(int channel) const;
  void PmRx_SetCarrierAcquisitionLoopBandwidthInHz(int channel, double hz);
  double PmRx_GetCarrierTrackLoopBandwidthInHz(int channel) const;
  void PmRx_SetCarrierTrackLoopBandwidthInHz(int channel, double hz);
  double PmRx_GetCarrierSignalThresholdIndBm(int channel) const;
  void PmRx_SetCarrierSignalThresholdIndBm(int channel, double dbm);
  double PmRx_GetModulationIndex(int channel) const;
  void PmRx_SetModulationIndex(int channel, double radians);
  double PmRx_GetCarrierLockDecisionPeriod(int channel) const;
  void PmRx_SetCarrierLockDecisionPeriod(int channel, double seconds);
  bool PmRx_GetLoopDiscriminatorEnable(int channel) const;
  void PmRx_SetLoopDiscriminatorEnable(int channel, bool on);
  std::string PmRx_GetDebugOutput1MuxSelect(int channel) const;
  void PmRx_SetDebugOutput1MuxSelect(int channel, const std::string& name);
  std::string PmRx_GetDebugOutput2MuxSelect(int channel) const;
  void PmRx_SetDebugOutput2MuxSelect(int channel, const std::string& name);

  // ---- Multi-h CPM receiver
  void MhCpmRx_RestartReceiverAcquisition(int channel);
  std::string MhCpmRx_GetBitSyncInputDataDecodingMode(int channel) const;
  bool MhCpmRx_GetOutputInvertEnable(int channel) const;
  std::string MhCpmRx_GetOutputClockPolarityMode(int channel) const;
  std::string MhCpmRx_GetBitSyncOutputDataEncodingMode(int channel) const;
  double MhCpmRx_GetBitSyncRateInbps(int channel) const;
  double MhCpmRx_GetCarrierAcquisitionRangeInHz(int channel) const;
  double MhCpmRx_GetCarrierCenterFrequencyInMhz(int channel) const;
  double MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent(int channel) const;
  double MhCpmRx_GetBitSyncAcquisitionRangeInPercent(int channel) const;

  // ---- FFT
  bool Fft_GetEnableFFT(int channel) const;
  void Fft_SetEnableFFT(int channel, bool on);
  double Fft_GetFrequencySpanInHz(int channel) const;
  void Fft_SetFrequencySpanInHz(int channel, double hz);
  void Fft_SetCenterFrequencyInHz(int channel, double hz);
  void Fft_SetWindowType(int channel, const std::string& name);
  void Fft_SetNumberOfAverages(int channel, int averages);
  void Fft_SetUpdateRateInHz(int channel, int hz);
  double Fft_GetCenterFrequencyInHz(int channel) const;
  std::string Fft_GetWindowType(int channel) const;
  int Fft_GetNumberOfAverages(int channel) const;
  int Fft_GetUpdateRateInHz(int channel) const;

  // ---- IQ
  bool IQ_GetRunIQData(int channel) const;
  void IQ_SetRunIQData(int channel, bool on);
  void IQ_SetNumDataPoints(int channel, int points);
  void IQ_SetUpdateRateInHz(int channel, int hz);
  int IQ_GetNumDataPoints(int channel) const;
  int IQ_GetUpdateRateInHz(int channel) const;

  // ---- Pre-detection combiner
  bool PreD_GetAvailableNoiseEstimateModes(std::vector<std::string>& list) const;
  std::string PreD_GetNoiseEstimateMode() const;
  void PreD_SetNoiseEstimateMode(const std::string& name);
  std::string PreD_GetDiversityOutput() const;
  void PreD_SetDiversityOutput(const std::string& name);
  double PreD_GetSignalBandwidthInHz() const;
  void PreD_SetSignalBandwidthInHz(double hz);
  double PreD_GetTimeConstInSec() const;
  void PreD_SetTimeConstInSec(double seconds);
  double PreD_GetPhaseTimeConstInSec() const;
  void PreD_SetPhaseTimeConstInSec(double seconds);
  double PreD_GetChannelACenterFreqInHz() const;
  void PreD_SetChannelACenterFreqInHz(double hz);
  double PreD_GetChannelBCenterFreqInHz() const;
  void PreD_SetChannelBCenterFreqInHz(double hz);
  double PreD_GetFixedNoChannelA() const;
  void PreD_SetFixedNoChannelA(double dbmHz);
  double PreD_GetFixedNoChannelB() const;
  void PreD_SetFixedNoChannelB(double dbmHz);
  double PreD_GetNoiseFilterGainValue() const;
  void PreD_SetNoiseFilterGainValue(double gain);
  double PreD_GetMeasuredNoiseChannelA() const;
  double PreD_GetMeasuredNoiseChannelB() const;
  // Both measured noise values, or false (outputs untouched) when either read fails, so that a
  // failed read can keep the values shown before.
  bool PreD_ReadMeasuredNoise(double& channelA, double& channelB) const;

  // ---- Post-detection combiner
  bool PostD_GetAvailableDiversityOutputs(std::vector<std::string>& list) const;
  std::string PostD_GetDiversityOutput() const;
  void PostD_SetDiversityOutput(const std::string& name);
  double PostD_GetCombiningGainIndB() const;
  double PostD_GetChannelAEbNo() const;
  double PostD_GetChannelBEbNo() const;
  double PostD_GetChannelAScaleInPercent() const;
  double PostD_GetChannelBScaleInPercent() const;

  // ---- Receive BERT
  bool Bert_GetPnPatternList(int bert, std::vector<std::string>& list) const;
  std::string Bert_GetPnPattern(int bert) const;
  void Bert_SetPnPattern(int bert, const std::string& name);
  bool Bert_GetClockPolarityList(int bert, std::vector<std::string>& list) const;
  std::string Bert_GetClockPolarity(int bert) const;
  void Bert_SetClockPolarity(int bert, const std::string& name);
  void Bert_ResetMeasures(int bert);
  std::string Bert_GetLockState(int bert) const;
  std::string Bert_GetInvertState(int bert) const;
  int Bert_GetLockLossCount(int bert) const;
  int Bert_GetInversionCount(int bert) const;
  double Bert_GetBitRate(int bert) const;
  double Bert_GetTotalBits(int bert) const;
  double Bert_GetErrorBits(int bert) const;
  std::string Bert_GetBitErrorRate(int bert) const;

  // ---- Transmit BERT
  bool TxBert_GetPnPatternList(int bert, std::vector<std::string>& list) const;
  std::string TxBert_GetPnPattern(int bert) const;
  void TxBert_SetPnPattern(int bert, const std::string& name);
  void TxBert_SetBitRate(int bert, double bps);
  void TxBert_SetBitErrorRate(int bert, double rate);
  void TxBert_SetClockPolarity(int bert, const std::string& name);
  void TxBert_SetDataPolarity(int bert, const std::string& name);
  double TxBert_GetBitRate(int bert) const;
  double TxBert_GetBitErrorRate(int bert) const;
  std::string TxBert_GetClockPolarity(int bert) const;
  std::string TxBert_GetDataPolarity(int bert) const;
  bool TxBert_GetInsertTimeCode(int bert) const;
  void TxBert_SetInsertTimeCode(int bert, bool on);
  double TxBert_GetSystemClock(int bert) const;
  void TxBert_SetSystemClock(int bert, double hz);

 private:
  template <class... P>
  using Entry = int (*Zp90Functions::*)(int, P...);

  const Zp90Functions& Functions() const;
  bool LibraryLoaded() const;
  bool DcmLinkUp() const;

  // The entry called with the card index first: kDevNotReady when the entry is missing or the
  // card is not ready (Call), or the library is not loaded (CallDevice: open, close, FPGA load).
  template <class... P>
  int Call(Entry<P...> entry, std::type_identity_t<P>... args) const;
  template <class... P>
  int CallDevice(Entry<P...> entry, std::type_identity_t<P>... args) const;

  std::string TextOf(Entry<char*, int> entry) const;
  std::string TextOf(Entry<int, char*, int> entry, int unit) const;
  bool ListOf(Entry<DevName*, int, int*> entry, std::vector<std::string>& list) const;
  bool ListOf(Entry<int, DevName*, int, int*> entry, int unit, std::vector<std::string>& list) const;
  double NumberOf(Entry<double*> entry) const;
  double NumberOf(Entry<int, double*> entry, int unit) const;
  int IntegerOf(Entry<int*> entry) const;
  int IntegerOf(Entry<int, int*> entry, int unit) const;
  bool FlagOf(Entry<int*> entry) const { return IntegerOf(entry) != 0; }
  bool FlagOf(Entry<int, int*> entry, int unit) const { return IntegerOf(entry, unit) != 0; }
  template <class... P>
  void Send(Entry<P...> entry, std::type_identity_t<P>... args) {
    Call(entry, args...);
  }
  bool GetPattern(Entry<int, unsigned char*, int, int*> entry, int unit, std::string& pattern, int& lengthBits) const;
  void SetPattern(Entry<int, const unsigned char*, int> entry, int unit, const std::string& pattern, int lengthBits);

  // The info block into info_, counts out of range logged and set to 0; the library's status.
  int ReadCardInfo();
  bool ReadFpgaToc(int fpga, FpgaInfoRecord& record) const;
  void SendFpgaLoadMessage(bool begins) const;
  // Register helpers of the modules the card object addresses itself.
  bool PeekOne(int fpga, std::uint32_t reg, std::uint32_t& value) const;
  bool ModuleRun(std::uint32_t deviceType, std::int32_t instance, std::uint32_t offset, std::size_t count, int& fpga,
                 std::uint32_t& first) const;
  bool SweepEngine(int& fpga, std::uint32_t& base) const;
  bool SweepControl(std::uint32_t value);
  bool UpdateRegB00(std::uint32_t clearBits, std::uint32_t setBits);
  bool RunsDualPcmFmPostD() const;
  // Ends every pending transmitter-is-digital pulse now, waiting out what is left of the latest
  // (at most kXmitterPulseLength): before the card closes or its personality is replaced, a
  // control must neither be left at 1 nor cut short.
  void FinishXmitterPulses();

  int card_;
  const zp90class* library_ = nullptr;
  const Zp90Functions* table_ = nullptr;
  bool simulated_;
  bool open_ = false;
  bool chipVariant_ = false;
  std::uint32_t maxDataRate_ = 0;
  bool modulatorInputDirect_ = true;
  kr20cardinfo info_{};
  FpgaInfoArray fpgaInfo_{};
  FpgaLoadState loadState_{};
  CardSetupRecord setup_{};
  std::array<bool, kSetupChannels> pulseRequest_{};
  // Per channel: while its transmitter-is-digital pulse is high, the time it may end.
  std::array<std::optional<std::chrono::steady_clock::time_point>, kSetupChannels> pulseEnds_{};
  ModIndexLockTables lockTables_;
  bool lockTablesFromFile_ = false;
  std::array<std::array<std::string, kFpgasPerCard>, kFpgaModeCount> fpgaImages_{};
};

}  // namespace card
