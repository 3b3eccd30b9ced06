#include "card/kr20card.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "card/fpga_module_registers.h"
#include "card/zp90_binding.h"
#include "util/error_log.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace card {
namespace {

using Zp = Zp90Functions;

constexpr double kModSweepMaxRateHz = 20000.0;
constexpr double kModSweepMinRateHz = 1.0;
constexpr double kModSweepHalfRangeMhz = 0.25;
constexpr int kModSweepStopPolls = 10;
// The engine moves its offset a thousand times a second; a segment of fewer steps than
// kModSweepMinPoints is worth a warning.
constexpr double kModSweepStepsPerSecond = 1000.0;
constexpr double kModSweepMinPoints = 10.0;

std::string CardText(int card) { return "Card " + std::to_string(card + 1); }

// A name as the library wrote it: up to the NUL, at most kDevNameMaxLength characters.
std::string NameText(const char* text) { return std::string(text, strnlen(text, kDevNameMaxLength)); }

bool ValidChannel(int channel) { return channel >= 0 && channel < static_cast<int>(kSetupChannels); }
bool ValidFpga(int fpga) { return fpga >= 0 && fpga < static_cast<int>(kFpgasPerCard); }

// The counts of the info block, with what they count, for the range check at open.
struct InfoCount {
  std::int32_t kr20cardinfo::*field;
  const char* what;
};
constexpr InfoCount kInfoCounts[] = {
    {&kr20cardinfo::NumModulators, "modulators"},
    {&kr20cardinfo::NumPskReceivers, "PSK receivers"},
    {&kr20cardinfo::NumFmReceivers, "FM receivers"},
    {&kr20cardinfo::NumPmReceivers, "PM receivers"},
    {&kr20cardinfo::NumBerts, "BERTs"},
    {&kr20cardinfo::NumTxBerts, "transmit BERTs"},
    {&kr20cardinfo::NumFftChannels, "FFT channels"},
    {&kr20cardinfo::NumIqChannels, "IQ channels"},
    {&kr20cardinfo::NumPreDCombiners, "pre-D combiners"},
    {&kr20cardinfo::NumPostDCombiners, "post-D combiners"},
    {&kr20cardinfo::NumMhCpmReceivers, "multi-h CPM receivers"},
};

// Whether the blocks describe the dual PCM/FM post-D personality (12): the order of the tests is
// that of the personality derivation (multi-h CPM, PM, PSK pairs before FM pairs).
bool DescribesDualPcmFmPostD(const kr20cardinfo& info, bool variant) {
  const std::int32_t psk = info.NumPskReceivers;
  const std::int32_t fm = info.NumFmReceivers;
  const std::int32_t pm = info.NumPmReceivers;
  const std::int32_t mhCpm = info.NumMhCpmReceivers;
  if (mhCpm >= 1 && (psk >= 1 || fm >= 1)) return false;
  if (pm >= 1 && psk >= 1) return false;
  if (psk >= 2 || fm < 2 || !variant) return false;
  return info.NumPreDCombiners < 1 && info.NumPostDCombiners >= 1;
}

std::uint32_t OffsetRegisterValue(double offsetHz) { return std::bit_cast<std::uint32_t>(util::RoundToInt(offsetHz)); }

}  // namespace

// ---- Free routines ------------------------------------------------------------------------------

ModSweepParamBlock ModSweepParamsOf(const CardSetupRecord& setup) {
  ModSweepParamBlock block;
  block.SweepRateHz = setup.Modulator.SweepRateHz;
  block.StartFreqMhz = setup.Modulator.StartFreqMhz;
  block.NumProfiles = setup.Modulator.NumProfiles;
  block.SweepProfileIndex = setup.Modulator.SweepProfileIndex;
  for (std::size_t i = 0; i < kModSweepStops; ++i) block.StopFreqMhzAry[i] = setup.Modulator.StopFreqMhzAry[i];
  block.SinglePass = setup.Modulator.SinglePass;
  block.SnapCtrAtEndCycle = setup.Modulator.SnapCtrAtEndCycle;
  return block;
}

void StoreModSweepParams(CardSetupRecord& setup, const ModSweepParamBlock& block) {
  setup.Modulator.SweepRateHz = block.SweepRateHz;
  setup.Modulator.StartFreqMhz = block.StartFreqMhz;
  setup.Modulator.NumProfiles = block.NumProfiles;
  setup.Modulator.SweepProfileIndex = block.SweepProfileIndex;
  for (std::size_t i = 0; i < kModSweepStops; ++i) setup.Modulator.StopFreqMhzAry[i] = block.StopFreqMhzAry[i];
  setup.Modulator.SinglePass = block.SinglePass;
  setup.Modulator.SnapCtrAtEndCycle = block.SnapCtrAtEndCycle;
}

bool FindFpgaModule(const FpgaInfoArray& fpgaInfo, std::uint32_t deviceTypeNumber, std::int32_t instance, int& fpga,
                    std::uint32_t& base) {
  for (std::size_t f = 0; f < fpgaInfo.size(); ++f) {
    if (fpgaInfo[f].Present == 0) continue;
    std::int32_t count = fpgaInfo[f].DeviceCount;
    if (count < 0 || count > static_cast<std::int32_t>(kFpgaTocMaxDevices)) count = 0;
    for (std::int32_t i = 0; i < count; ++i) {
      const FpgaDeviceEntry entry = fpgaInfo[f].Devices[i];
      if (entry.DeviceTypeNumber == deviceTypeNumber && (instance == 0 || entry.FpgaInstance == instance)) {
        fpga = static_cast<int>(f);
        base = entry.BaseAddress;
        return true;
      }
    }
  }
  fpga = -1;
  base = 0;
  return false;
}

bool FindModSweepDevice(const FpgaInfoArray& fpgaInfo, int& fpga, std::int64_t& base) {
  std::uint32_t found = 0;
  if (!FindFpgaModule(fpgaInfo, kDevTypeModSweep, 0, fpga, found)) {
    fpga = -1;
    base = -1;
    return false;
  }
  base = found;
  return true;
}

std::string FormatUserPatternText(const std::string& pattern, int lengthBits, int radix) {
  if (lengthBits < 1 || lengthBits > kDevPatternMaxBits) return kNotReadyText;
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(kDevPatternMaxBytes); ++i) {
    const std::uint32_t byte = i < pattern.size() ? static_cast<unsigned char>(pattern[i]) : 0U;
    word = (word << 8) | byte;
  }
  const std::uint32_t value = word >> (kDevPatternMaxBits - lengthBits);
  if (radix == 1) return util::IntToHexText(value, (lengthBits + 3) / 4, true);
  if (radix == 2) {
    std::string bits;
    for (int bit = lengthBits - 1; bit >= 0; --bit) bits.push_back(((value >> bit) & 1U) != 0 ? '1' : '0');
    return bits;
  }
  return std::to_string(value);
}

// ---- Construction, open and close ---------------------------------------------------------------

kr20cardclass::kr20cardclass(int card, const zp90class& library, bool simulated)
    : card_(card), library_(&library), simulated_(simulated) {
  lockTables_ = LoadModIndexLockTables(util::ProgramFolder(), &lockTablesFromFile_);
  loadState_.DefaultFpgaMode = kNoFpgaMode;
  loadState_.DesiredFpgaMode = kNoFpgaMode;
  loadState_.LastFpgaMode = kNoFpgaMode;
  loadState_.CurrentFpgaMode = kNoFpgaMode;
}

kr20cardclass::kr20cardclass(int card, const Zp90Functions& functions, bool simulated)
    : card_(card), table_(&functions), simulated_(simulated) {
  lockTables_ = LoadModIndexLockTables(util::ProgramFolder(), &lockTablesFromFile_);
  loadState_.DefaultFpgaMode = kNoFpgaMode;
  loadState_.DesiredFpgaMode = kNoFpgaMode;
  loadState_.LastFpgaMode = kNoFpgaMode;
  loadState_.CurrentFpgaMode = kNoFpgaMode;
}

kr20cardclass::~kr20cardclass() { Close(); }

const Zp90Functions& kr20cardclass::Functions() const { return library_ != nullptr ? library_->Fn() : *table_; }

bool kr20cardclass::LibraryLoaded() const { return library_ != nullptr ? library_->Loaded() : true; }

bool kr20cardclass::DcmLinkUp() const {
  const auto entry = Functions().Card_GetDcmLinkState;
  // A library that cannot tell has its link up whenever the card is open.
  if (entry == nullptr) return true;
  int up = 0;
  return entry(card_, &up) == kDevOk && up != 0;
}

bool kr20cardclass::IsReady() const { return LibraryLoaded() && open_ && !simulated_ && DcmLinkUp(); }

template <class... P>
int kr20cardclass::Call(Entry<P...> entry, std::type_identity_t<P>... args) const {
  const auto function = Functions().*entry;
  if (function == nullptr || !IsReady()) return kDevNotReady;
  return function(card_, args...);
}

template <class... P>
int kr20cardclass::CallDevice(Entry<P...> entry, std::type_identity_t<P>... args) const {
  const auto function = Functions().*entry;
  if (function == nullptr || !LibraryLoaded()) return kDevNotReady;
  return function(card_, args...);
}

bool kr20cardclass::Open() {
  if (open_) return true;
  if (simulated_) {
    open_ = true;
    return true;
  }
  const std::string who = CardText(card_);
  if (!LibraryLoaded()) {
    util::LogError(who + " not opened: the device library is not loaded", card_ + 1, false);
    return false;
  }
  int status = CallDevice(&Zp::Card_Open);
  if (status != kDevOk) {
    util::LogError(who + " could not be opened: " + DeviceStatusText(status), card_ + 1, false);
    return false;
  }
  status = ReadCardInfo();
  if (status != kDevOk) {
    util::LogError(who + " info block could not be read: " + DeviceStatusText(status), card_ + 1, false);
    CallDevice(&Zp::Card_Close);
    return false;
  }

  int variant = 0;
  chipVariant_ = CallDevice(&Zp::Card_GetChipVariant, &variant) == kDevOk && variant != 0;
  std::uint32_t rate = 0;
  maxDataRate_ = CallDevice(&Zp::Card_GetMaxDataRate, &rate) == kDevOk ? rate : 0U;
  open_ = true;
  RefreshFpgaInfo();
  util::WriteErrorLogLine(who + " opened", card_ + 1);
  return true;
}

int kr20cardclass::ReadCardInfo() {
  kr20cardinfo block{};
  const int status =
      CallDevice(&Zp::Card_GetInfoBlock, static_cast<void*>(&block), static_cast<int>(sizeof block));
  if (status != kDevOk) return status;
  for (const InfoCount& count : kInfoCounts) {
    const std::int32_t value = block.*count.field;
    if (value < 0 || value > kMaxUnitCount) {
      util::WriteErrorLogLine(CardText(card_) + " reports " + std::to_string(value) + " " + count.what +
                                  ", taken as 0",
                              card_ + 1);
      block.*count.field = 0;
    }
  }
  info_ = block;
  return kDevOk;
}

void kr20cardclass::Close() {
  if (!open_) return;
  FinishXmitterPulses();
  open_ = false;
  if (simulated_ || !LibraryLoaded()) return;
  const int status = CallDevice(&Zp::Card_Close);
  if (status != kDevOk) {
    util::LogError(CardText(card_) + " could not be closed: " + DeviceStatusText(status), card_ + 1, false);
  }
}

void kr20cardclass::SetSimulatedCardInfo(const kr20cardinfo& info) {
  if (simulated_) info_ = info;
}

bool kr20cardclass::PulseRequest(int channel) const {
  return ValidChannel(channel) && pulseRequest_[static_cast<std::size_t>(channel)];
}

void kr20cardclass::SetPulseRequest(int channel, bool request) {
  if (ValidChannel(channel)) pulseRequest_[static_cast<std::size_t>(channel)] = request;
}

bool kr20cardclass::ApplyModIndexLockThreshold(int channel, double modIndex, bool alsoOtherChannel) {
  if (!ValidChannel(channel)) return false;
  ModIndexLockTable& table = lockTables_[static_cast<std::size_t>(channel)];
  const int position = FindModIndexLockEntry(table, modIndex);
  if (position < 0) return false;
  ModIndexLockEntry& entry = table[static_cast<std::size_t>(position)];
  const std::array<std::uint32_t, 1> value{entry.Threshold};
  bool written = Dev176_SetValues(FmReceiverInstance(channel), fmrx_reg::kModIndexLockThreshold, value);
  if (alsoOtherChannel) {
    written = Dev176_SetValues(FmReceiverInstance(1 - channel), fmrx_reg::kModIndexLockThreshold, value) || written;
  }
  if (written) {
    entry.LastWritten = entry.Threshold;
    entry.Written = true;
  }
  return written;
}

// ---- FPGA images ----------------------------------------------------------------------------------

void kr20cardclass::SetFpgaImage(int mode, int fpga, const std::string& path) {
  if (mode < 0 || mode >= kFpgaModeCount || !ValidFpga(fpga)) return;
  if (path.size() > kFpgaImagePathMax) {
    util::WriteErrorLogLine(CardText(card_) + " FPGA image path too long: " + path.substr(0, 80) + "...", card_ + 1);
    return;
  }
  fpgaImages_[static_cast<std::size_t>(mode)][static_cast<std::size_t>(fpga)] = path;
}

std::string kr20cardclass::FpgaImage(int mode, int fpga) const {
  if (mode < 0 || mode >= kFpgaModeCount || !ValidFpga(fpga)) return {};
  return fpgaImages_[static_cast<std::size_t>(mode)][static_cast<std::size_t>(fpga)];
}

bool kr20cardclass::ReadFpgaToc(int fpga, FpgaInfoRecord& record) const {
  record = FpgaInfoRecord{};
  int loaded = 0;
  if (CallDevice(&Zp::Card_GetFpgaLoaded, fpga, &loaded) != kDevOk || loaded == 0) return false;
  record.Present = 1;

  const std::string who = CardText(card_) + " FPGA " + std::to_string(fpga + 1);
  int count = 0;
  const int status = CallDevice(&Zp::Card_GetFpgaTocCount, fpga, &count);
  if (status != kDevOk) {
    util::WriteErrorLogLine(who + " table of contents not read: " + DeviceStatusText(status), card_ + 1);
    return true;
  }
  if (count < 0) {
    util::WriteErrorLogLine(who + " table of contents of " + std::to_string(count) + " modules refused", card_ + 1);
    return true;
  }
  if (count > static_cast<int>(kFpgaTocMaxDevices)) {
    util::WriteErrorLogLine(who + " table of contents of " + std::to_string(count) + " modules cut to " +
                                std::to_string(kFpgaTocMaxDevices),
                            card_ + 1);
    count = static_cast<int>(kFpgaTocMaxDevices);
  }
  std::int32_t taken = 0;
  for (int i = 0; i < count; ++i) {
    int tocEntry = 0;
    std::uint32_t typeNumber = 0;
    int major = 0;
    int minor = 0;
    std::uint32_t base = 0;
    int fpgaInstance = 0;
    int cardInstance = 0;
    int typeCode = 0;
    if (CallDevice(&Zp::Card_GetFpgaTocEntry, fpga, i, &tocEntry, &typeNumber, &major, &minor, &base, &fpgaInstance,
                   &cardInstance, &typeCode) != kDevOk) {
      util::WriteErrorLogLine(who + " table of contents entry " + std::to_string(i) + " not read", card_ + 1);
      break;
    }
    FpgaDeviceEntry entry;
    entry.TocEntry = tocEntry;
    entry.DeviceTypeNumber = typeNumber;
    entry.MajorVersion = major;
    entry.MinorVersion = minor;
    entry.BaseAddress = base;
    entry.FpgaInstance = fpgaInstance;
    entry.CardInstance = cardInstance;
    entry.DeviceTypeCode = typeCode;
    record.Devices[taken] = entry;
    ++taken;
  }
  record.DeviceCount = taken;
  return true;
}

void kr20cardclass::RefreshFpgaInfo() {
  if (!open_ || simulated_) return;
  for (std::size_t fpga = 0; fpga < kFpgasPerCard; ++fpga) {
    FpgaInfoRecord record;
    ReadFpgaToc(static_cast<int>(fpga), record);
    fpgaInfo_[fpga] = record;
  }
}

void kr20cardclass::SendFpgaLoadMessage(bool begins) const {
  platform::MessageTarget* target = util::MainWindowHandle.load();
  if (target != nullptr) target->Send(kWmFpgaLoad, static_cast<platform::WParam>(card_), begins ? 1 : 0);
}

bool kr20cardclass::LoadFpgaPersonality(int mode) {
  const std::string who = CardText(card_);
  if (mode < 0 || mode >= kFpgaModeCount) {
    util::LogError(who + " has no FPGA personality " + std::to_string(mode), card_ + 1, false);
    return false;
  }
  if (!open_ || simulated_ || !LibraryLoaded() || Functions().Card_LoadFpgaImage == nullptr) {
    util::LogError(who + " cannot load FPGA images now", card_ + 1, false);
    return false;
  }
  const auto& images = fpgaImages_[static_cast<std::size_t>(mode)];
  if (std::all_of(images.begin(), images.end(), [](const std::string& path) { return path.empty(); })) {
    util::LogError(who + " has no FPGA image for personality " + std::to_string(mode), card_ + 1, false);
    return false;
  }

  FinishXmitterPulses();
  loadState_.LoadingNow = 1;
  SendFpgaLoadMessage(true);
  bool loaded = true;
  for (std::size_t fpga = 0; fpga < images.size() && loaded; ++fpga) {
    if (images[fpga].empty()) continue;
    const std::string what = who + " FPGA " + std::to_string(fpga + 1) + " image " + images[fpga];
    const int status = CallDevice(&Zp::Card_LoadFpgaImage, static_cast<int>(fpga), images[fpga].c_str());
    if (status != kDevOk) {
      util::LogError(what + " not loaded: " + DeviceStatusText(status), card_ + 1, false);
      loaded = false;
    } else {
      util::WriteErrorLogLine(what + " loaded", card_ + 1);
    }
  }
  // The personality decides what the card is built of: read both again.
  RefreshFpgaInfo();
  const int infoStatus = ReadCardInfo();
  if (infoStatus != kDevOk) {
    util::LogError(who + " info block could not be read: " + DeviceStatusText(infoStatus), card_ + 1, false);
  }
  if (loaded) {
    loadState_.CurrentFpgaMode = mode;
    loadState_.ForceLoad = 0;
  }
  loadState_.LoadingNow = 0;
  SendFpgaLoadMessage(false);
  return loaded;
}

bool kr20cardclass::EnsureFpgasLoaded() {
  if (!open_ || simulated_ || !LibraryLoaded()) return false;
  const std::int32_t desired = loadState_.DesiredFpgaMode;
  const bool needed = loadState_.ForceLoad != 0 || loadState_.CurrentFpgaMode != desired || !FirstFpgaPresent();
  if (!needed) return true;
  return LoadFpgaPersonality(desired);
}

// ---- Registers --------------------------------------------------------------------------------------

bool kr20cardclass::Dtrd_PeekRegOnFpga(int fpga, std::uint32_t firstRegister, std::span<std::uint32_t> values,
                                       int count) const {
  if (count < 1 || count > kFpgaMaxPeekCount || static_cast<std::size_t>(count) > values.size() ||
      !IsFpgaRegisterRun(fpga, firstRegister, static_cast<std::uint64_t>(count))) {
    return false;
  }
  return Call(&Zp::Dtrd_PeekRegOnFpga, fpga, firstRegister, values.data(), count) == kDevOk;
}

bool kr20cardclass::Dtrd_PokeRegOnFpga(int fpga, std::uint32_t reg, std::uint32_t value) {
  if (!IsFpgaRegisterRun(fpga, reg, 1)) return false;
  return Call(&Zp::Dtrd_PokeRegOnFpga, fpga, reg, value) == kDevOk;
}

bool kr20cardclass::PeekOne(int fpga, std::uint32_t reg, std::uint32_t& value) const {
  std::array<std::uint32_t, 1> read{};
  if (!Dtrd_PeekRegOnFpga(fpga, reg, read, 1)) return false;
  value = read[0];
  return true;
}

bool kr20cardclass::ModuleRun(std::uint32_t deviceType, std::int32_t instance, std::uint32_t offset, std::size_t count,
                              int& fpga, std::uint32_t& first) const {
  std::uint32_t base = 0;
  if (count < 1 || count > static_cast<std::size_t>(kFpgaMaxPeekCount)) return false;
  if (!FindFpgaModule(fpgaInfo_, deviceType, instance, fpga, base)) return false;
  const std::uint64_t start = std::uint64_t{base} + offset;
  if (start > 0xFFFFFFFFu || !IsFpgaRegisterRun(fpga, static_cast<std::uint32_t>(start), count)) return false;
  first = static_cast<std::uint32_t>(start);
  return true;
}

int kr20cardclass::FmReceiverInstance(int channel) const {
  if (!ValidChannel(channel)) return 0;
  if (info_.NumFmReceivers >= 2) return channel + 1;
  return info_.NumFmReceivers == 1 && channel == 1 ? 1 : 0;
}

bool kr20cardclass::Dev176_SetValue(int instance, std::uint32_t offset, std::uint32_t value) {
  const std::array<std::uint32_t, 1> values{value};
  return Dev176_SetValues(instance, offset, values);
}

bool kr20cardclass::Dev176_SetValues(int instance, std::uint32_t firstOffset, std::span<const std::uint32_t> values) {
  int fpga = 0;
  std::uint32_t first = 0;
  if (instance < 1 || !ModuleRun(kDevTypeFmReceiver, instance, firstOffset, values.size(), fpga, first)) return false;
  bool written = true;
  for (std::size_t i = 0; i < values.size() && written; ++i) {
    written = Dtrd_PokeRegOnFpga(fpga, first + static_cast<std::uint32_t>(i), values[i]);
  }
  return written;
}

bool kr20cardclass::Dev176_ReadValues(int instance, std::uint32_t firstOffset, std::span<std::uint32_t> values) const {
  int fpga = 0;
  std::uint32_t first = 0;
  if (instance < 1 || !ModuleRun(kDevTypeFmReceiver, instance, firstOffset, values.size(), fpga, first)) return false;
  return Dtrd_PeekRegOnFpga(fpga, first, values, static_cast<int>(values.size()));
}

bool kr20cardclass::Dev188_SetValue(std::uint32_t offset, std::uint32_t value) {
  int fpga = 0;
  std::uint32_t reg = 0;
  if (!ModuleRun(kDevTypePostDCombiner, 0, offset, 1, fpga, reg)) return false;
  return Dtrd_PokeRegOnFpga(fpga, reg, value);
}

bool kr20cardclass::UpdateRegB00(std::uint32_t clearBits, std::uint32_t setBits) {
  std::uint32_t value = 0;
  if (!PeekOne(0, kFpga0RoutingRegister, value)) return false;
  return Dtrd_PokeRegOnFpga(0, kFpga0RoutingRegister, (value & ~clearBits) | setBits);
}

bool kr20cardclass::RunsDualPcmFmPostD() const { return DescribesDualPcmFmPostD(info_, chipVariant_); }

void kr20cardclass::DoOnSetFpga0RegB00(bool direct) {
  modulatorInputDirect_ = direct;
  if (info_.NumPreDCombiners < 1) return;
  UpdateRegB00(kRoutingModulatorFromCombiner, direct ? 0U : kRoutingModulatorFromCombiner);
}

void kr20cardclass::DoOnSetFpga0RegB00Bits(bool flag) {
  if (!RunsDualPcmFmPostD() || setup_.RouteInfo.RouteMode != 1) return;
  UpdateRegB00(kRoutingCombinedOnCh2, kRoutingSelectEnable | (flag ? kRoutingCombinedOnCh2 : 0U));
}

void kr20cardclass::SetAllLoggingMasks(std::uint32_t mask) {
  Send(&Zp::Card_SetAllLoggingMasks, mask & kLoggingMaskBits);
}
int kr20cardclass::Card_GetBasebandDacSource(int dac) const { return IntegerOf(&Zp::Card_GetBasebandDacSource, dac); }
void kr20cardclass::Card_SetBasebandDacSource(int dac, int source) { Send(&Zp::Card_SetBasebandDacSource, dac, source); }

// ---- Modulator frequency sweep ------------------------------------------------------------------

bool kr20cardclass::SweepEngine(int& fpga, std::uint32_t& base) const {
  return ModuleRun(kDevTypeModSweep, 0, 0, modsweep_reg::kCurrentOffsetHz + 1, fpga, base);
}

bool kr20cardclass::SweepControl(std::uint32_t value) {
  int fpga = 0;
  std::uint32_t base = 0;
  return SweepEngine(fpga, base) && Dtrd_PokeRegOnFpga(fpga, base + modsweep_reg::kControl, value);
}

bool kr20cardclass::IsModulatorSweepRunning() const {
  int fpga = 0;
  std::uint32_t base = 0;
  std::uint32_t status = 0;
  return SweepEngine(fpga, base) && PeekOne(fpga, base + modsweep_reg::kStatus, status) &&
         (status & modsweep_reg::kStatusRunning) != 0;
}

bool kr20cardclass::RunModulatorSweep() { return SweepControl(modsweep_reg::kControlStart); }

bool kr20cardclass::StopModulatorSweep() { return SweepControl(modsweep_reg::kControlStop); }

bool kr20cardclass::ResetModulatorSweep() {
  if (!SweepControl(modsweep_reg::kControlReset)) return false;
  const bool cleared = SweepControl(0);
  SetMod_SetIfCarrierRateInHz(setup_.Modulator.CarrierFreqMhz * 1e6);
  return cleared;
}

double kr20cardclass::GetModSweepCurrentFreqHz() const {
  int fpga = 0;
  std::uint32_t base = 0;
  std::uint32_t offset = 0;
  if (!IsModulatorSweepRunning() || !SweepEngine(fpga, base) ||
      !PeekOne(fpga, base + modsweep_reg::kCurrentOffsetHz, offset)) {
    return 0.0;
  }
  return static_cast<double>(std::bit_cast<std::int32_t>(offset));
}

double kr20cardclass::GetModSweepProgressPercent(int profile) const {
  if (profile < 0 || profile >= static_cast<int>(kModSweepStops) || !IsModulatorSweepRunning()) return 0.0;
  const ModSweepParamBlock block = ModSweepParamsOf(setup_);
  const auto index = static_cast<std::size_t>(profile);
  const double segmentStartHz = (profile == 0 ? block.StartFreqMhz : block.StopFreqMhzAry[index - 1]) * 1e6;
  const double span = block.StopFreqMhzAry[index] * 1e6 - segmentStartHz;
  const double carrierHz = setup_.Modulator.CarrierFreqMhz * 1e6;
  if (span == 0.0 || !std::isfinite(span)) return 0.0;
  return 100.0 * (carrierHz + GetModSweepCurrentFreqHz() - segmentStartHz) / span;
}

bool kr20cardclass::DoOnSetModulatorSweepProcess(const ModSweepParamBlock& block) {
  if (!IsReady()) return false;
  int fpga = 0;
  std::uint32_t base = 0;
  if (!SweepEngine(fpga, base)) {
    util::WriteErrorLogLine("DoOnSetModulatorSweepProcess(), bogus modsweep address", card_ + 1);
    return false;
  }

  const double carrierMhz = setup_.Modulator.CarrierFreqMhz;
  const double lowMhz = carrierMhz - kModSweepHalfRangeMhz;
  const double highMhz = carrierMhz + kModSweepHalfRangeMhz;
  ModSweepParamBlock limited;
  limited.SweepRateHz = util::ClampDouble(kModSweepMinRateHz, kModSweepMaxRateHz, block.SweepRateHz);
  limited.StartFreqMhz = util::ClampDouble(lowMhz, highMhz, block.StartFreqMhz);
  limited.NumProfiles = std::clamp<std::int32_t>(block.NumProfiles, 1, static_cast<std::int32_t>(kModSweepStops));
  limited.SweepProfileIndex =
      std::clamp<std::int32_t>(block.SweepProfileIndex, 0, static_cast<std::int32_t>(kModSweepStops) - 1);
  for (std::size_t i = 0; i < kModSweepStops; ++i) {
    limited.StopFreqMhzAry[i] = util::ClampDouble(lowMhz, highMhz, block.StopFreqMhzAry[i]);
  }
  limited.SinglePass = block.SinglePass != 0 ? 1 : 0;
  limited.SnapCtrAtEndCycle = block.SnapCtrAtEndCycle != 0 ? 1 : 0;
  StoreModSweepParams(setup_, limited);

  if (IsModulatorSweepRunning()) {
    SweepControl(modsweep_reg::kControlStop);
    int polls = 0;
    while (IsModulatorSweepRunning() && ++polls < kModSweepStopPolls) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (IsModulatorSweepRunning()) util::WriteErrorLogLine("Mod Sweep Could Not Be Stopped", card_ + 1);
  }

  const auto profile = static_cast<std::size_t>(limited.SweepProfileIndex);
  const double startMhz = profile == 0 ? limited.StartFreqMhz : limited.StopFreqMhzAry[profile - 1];
  const double stopMhz = limited.StopFreqMhzAry[profile];
  const double rate = limited.SweepRateHz;
  util::WriteErrorLogLine("Mod Sweep " + CardText(card_) + " profile " + std::to_string(profile + 1) + " of " +
                              std::to_string(limited.NumProfiles) + ": " + util::FloatToFixedText(12, 4, startMhz) +
                              " MHz to " + util::FloatToFixedText(12, 4, stopMhz) + " MHz at " +
                              util::FloatToFixedText(12, 0, rate) + " Hz/s, " +
                              (limited.SinglePass != 0 ? "single pass" : "continuous"),
                          card_ + 1);
  // The engine moves in whole Hz and in fixed steps: a segment is as fine as the fewer of both.
  const double spanHz = std::fabs(stopMhz - startMhz) * 1e6;
  const double points = std::min(spanHz, spanHz / rate * kModSweepStepsPerSecond);
  if (points < kModSweepMinPoints) {
    util::LogWarning("Mod Sweep Has Few Points: " + util::FloatToFixedText(12, 0, points), card_ + 1, false);
  }

  bool programmed = Dtrd_PokeRegOnFpga(fpga, base + modsweep_reg::kRateHzPerSec, static_cast<std::uint32_t>(util::RoundToInt(rate)));
  programmed = programmed &&
               Dtrd_PokeRegOnFpga(fpga, base + modsweep_reg::kStartOffsetHz, OffsetRegisterValue((startMhz - carrierMhz) * 1e6));
  programmed = programmed &&
               Dtrd_PokeRegOnFpga(fpga, base + modsweep_reg::kStopOffsetHz, OffsetRegisterValue((stopMhz - carrierMhz) * 1e6));
  return programmed && SweepControl(modsweep_reg::kControlStart);
}

// ---- Operations of the program's own ----------------------------------------------------------------

bool kr20cardclass::GetCarrierAcquisitionModeList(std::vector<std::string>& list) const {
  if (!IsReady()) return false;
  list = {"UNAIDED", "FFT"};
  return true;
}

bool kr20cardclass::PskRx_GetViterbiSymbolOrderModeList(std::vector<std::string>& list) const {
  if (!IsReady()) return false;
  list = {"G1G2_ORDER", "G2G1_ORDER"};
  return true;
}

void kr20cardclass::FmRx_PulseXmitterIsDigital(int channel) {
  if (!ValidChannel(channel)) return;
  auto& end = pulseEnds_[static_cast<std::size_t>(channel)];
  if (end.has_value()) return;
  if (Call(&Zp::FmRx_SetXmitterIsDigital, channel, 1) != kDevOk) return;
  // Taken once the control is 1: the pulse lasts at least its length from here.
  end = std::chrono::steady_clock::now() + kXmitterPulseLength;
}

void kr20cardclass::EndXmitterPulses() {
  const auto now = std::chrono::steady_clock::now();
  for (std::size_t channel = 0; channel < pulseEnds_.size(); ++channel) {
    auto& end = pulseEnds_[channel];
    if (!end.has_value() || now < *end) continue;
    end.reset();
    const int status = Call(&Zp::FmRx_SetXmitterIsDigital, static_cast<int>(channel), 0);
    if (status != kDevOk) {
      util::LogError(CardText(card_) + " channel " + std::to_string(channel + 1) +
                         " transmitter-is-digital control not reset: " + DeviceStatusText(status),
                     card_ + 1, false);
    }
  }
}

bool kr20cardclass::XmitterPulsePending() const {
  return std::any_of(pulseEnds_.begin(), pulseEnds_.end(), [](const auto& end) { return end.has_value(); });
}

void kr20cardclass::FinishXmitterPulses() {
  std::optional<std::chrono::steady_clock::time_point> latest;
  for (const auto& end : pulseEnds_) {
    if (end.has_value() && (!latest.has_value() || *end > *latest)) latest = end;
  }
  if (!latest.has_value()) return;
  std::this_thread::sleep_until(*latest);
  EndXmitterPulses();
}

// ---- Shape helpers ------------------------------------------------------------------------------------

std::string kr20cardclass::TextOf(Entry<char*, int> entry) const {
  char text[kDevNameSize]{};
  if (Call(entry, text, kDevNameSize) != kDevOk) return kNotReadyText;
  return NameText(text);
}

std::string kr20cardclass::TextOf(Entry<int, char*, int> entry, int unit) const {
  char text[kDevNameSize]{};
  if (Call(entry, unit, text, kDevNameSize) != kDevOk) return kNotReadyText;
  return NameText(text);
}

namespace {

// Fills the list from the library's names; refused, list untouched, for a count outside the
// array handed over.
bool TakeNames(int status, const std::array<DevName, kDevListMaxNames>& names, int count,
               std::vector<std::string>& list) {
  if (status != kDevOk || count < 0 || count > kDevListMaxNames) return false;
  list.clear();
  for (int i = 0; i < count; ++i) list.push_back(NameText(names[static_cast<std::size_t>(i)]));
  return true;
}

}  // namespace

bool kr20cardclass::ListOf(Entry<DevName*, int, int*> entry, std::vector<std::string>& list) const {
  std::array<DevName, kDevListMaxNames> names{};
  int count = -1;
  const int status = Call(entry, names.data(), kDevListMaxNames, &count);
  return TakeNames(status, names, count, list);
}

bool kr20cardclass::ListOf(Entry<int, DevName*, int, int*> entry, int unit, std::vector<std::string>& list) const {
  std::array<DevName, kDevListMaxNames> names{};
  int count = -1;
  const int status = Call(entry, unit, names.data(), kDevListMaxNames, &count);
  return TakeNames(status, names, count, list);
}

double kr20cardclass::NumberOf(Entry<double*> entry) const {
  double value = 0.0;
  return Call(entry, &value) == kDevOk ? value : 0.0;
}

double kr20cardclass::NumberOf(Entry<int, double*> entry, int unit) const {
  double value = 0.0;
  return Call(entry, unit, &value) == kDevOk ? value : 0.0;
}

int kr20cardclass::IntegerOf(Entry<int*> entry) const {
  int value = 0;
  return Call(entry, &value) == kDevOk ? value : 0;
}

int kr20cardclass::IntegerOf(Entry<int, int*> entry, int unit) const {
  int value = 0;
  return Call(entry, unit, &value) == kDevOk ? value : 0;
}

bool kr20cardclass::GetPattern(Entry<int, unsigned char*, int, int*> entry, int unit, std::string& pattern,
                               int& lengthBits) const {
  std::array<unsigned char, kDevPatternMaxBytes> bytes{};
  int length = 0;
  if (Call(entry, unit, bytes.data(), kDevPatternMaxBytes, &length) != kDevOk || length < 1 ||
      length > kDevPatternMaxBits) {
    pattern = kNotReadyText;
    lengthBits = 0;
    return false;
  }
  // Bits past the pattern's length mean nothing; keep them clear.
  for (int bit = length; bit < kDevPatternMaxBits; ++bit) {
    bytes[static_cast<std::size_t>(bit / 8)] &= static_cast<unsigned char>(~(0x80U >> (bit % 8)));
  }
  pattern.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  lengthBits = length;
  return true;
}

void kr20cardclass::SetPattern(Entry<int, const unsigned char*, int> entry, int unit, const std::string& pattern,
                               int lengthBits) {
  if (lengthBits < 1 || lengthBits > kDevPatternMaxBits) return;
  std::array<unsigned char, kDevPatternMaxBytes> bytes{};
  std::memcpy(bytes.data(), pattern.data(), std::min(pattern.size(), bytes.size()));
  Call(entry, unit, bytes.data(), lengthBits);
}

// ---- Device operations with their own shapes ----------------------------------------------------

void kr20cardclass::MhCpmRx_SetTotalSetup(int channel, const std::string& inputCode, bool dataInvert,
                                          const std::string& clockPolarity, const std::string& outputCode,
                                          double bitRate, double carrierAcqRangeHz, double carrierCenterFreqMhz,
                                          double carrierAcqLoopBwPct, double bitSyncAcqRangePct) {
  Call(&Zp::MhCpmRx_SetTotalSetup, channel, inputCode.c_str(), dataInvert ? 1 : 0, clockPolarity.c_str(),
       outputCode.c_str(), bitRate, carrierAcqRangeHz, carrierCenterFreqMhz, carrierAcqLoopBwPct, bitSyncAcqRangePct);
}

bool kr20cardclass::MhCpmRx_GetStatusValues(int channel, MhCpmStatusValues& values) const {
  int lockState = 0;
  int carrierLocked = 0;
  double frequencyMhz = 0.0;
  double bitRate = 0.0;
  double loopErrorHz = 0.0;
  if (Call(&Zp::MhCpmRx_GetStatusValues, channel, &lockState, &carrierLocked, &frequencyMhz, &bitRate,
           &loopErrorHz) != kDevOk) {
    return false;
  }
  values.LockState = lockState;
  values.CarrierLocked = carrierLocked != 0;
  values.CarrierFreqMhz = frequencyMhz;
  values.BitRate = bitRate;
  values.LoopErrorHz = loopErrorHz;
  return true;
}

namespace {

int CapacityOf(std::size_t bytes, std::size_t bytesPerItem) {
  return static_cast<int>(std::min<std::size_t>(bytes / bytesPerItem, std::numeric_limits<int>::max()));
}

}  // namespace

int kr20cardclass::Fft_GetFftBuffer(int channel, std::uint8_t& flag, std::span<std::byte> points) const {
  const int capacity = CapacityOf(points.size(), sizeof(double));
  unsigned char handed = flag;
  int count = -1;
  if (Call(&Zp::Fft_GetFftBuffer, channel, &handed, static_cast<void*>(points.data()), capacity, &count) != kDevOk ||
      count < 0 || count > capacity) {
    return 0;
  }
  flag = handed;
  return count;
}

int kr20cardclass::IQ_GetIqBuffer(int channel, std::uint8_t& flag, std::span<std::byte> pairs) const {
  const int capacity = CapacityOf(pairs.size(), 2 * sizeof(double));
  unsigned char handed = flag;
  int count = -1;
  if (Call(&Zp::IQ_GetIqBuffer, channel, &handed, static_cast<void*>(pairs.data()), capacity, &count) != kDevOk ||
      count < 0 || count > capacity) {
    return 0;
  }
  flag = handed;
  return count;
}

bool kr20cardclass::Bert_GetUserPattern(int channel, std::string& pattern, int& lengthBits) const {
  return GetPattern(&Zp::Bert_GetUserPattern, channel, pattern, lengthBits);
}

void kr20cardclass::Bert_SetUserPattern(int channel, const std::string& pattern, int lengthBits) {
  SetPattern(&Zp::Bert_SetUserPattern, channel, pattern, lengthBits);
}

bool kr20cardclass::TxBert_GetUserPattern(int bert, std::string& pattern, int& lengthBits) const {
  return GetPattern(&Zp::TxBert_GetUserPattern, bert, pattern, lengthBits);
}

void kr20cardclass::TxBert_SetUserPattern(int bert, const std::string& pattern, int lengthBits) {
  SetPattern(&Zp::TxBert_SetUserPattern, bert, pattern, lengthBits);
}

// ---- Device operations, one per entry ---------------------------------------------------------------

// ---- Test modulator
bool kr20cardclass::GetMod_GetAvailableModulatorModes(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetAvailableModulatorModes, list);
}
bool kr20cardclass::GetMod_GetSupportedModulations(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSupportedModulations, list);
}
bool kr20cardclass::GetMod_GetSupportedIQOutputRoutings(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSupportedIQOutputRoutings, list);
}
bool kr20cardclass::GetMod_GetSupportedSymbolRoutings(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSupportedSymbolRoutings, list);
}
bool kr20cardclass::GetMod_GetSupportedInputPreprocessings(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSupportedInputPreprocessings, list);
}
bool kr20cardclass::GetMod_GetAvailableIQDataSources(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetAvailableIQDataSources, list);
}
std::string kr20cardclass::GetMod_GetModulatorMode() const { return TextOf(&Zp::GetMod_GetModulatorMode); }
void kr20cardclass::SetMod_SetModulatorMode(const std::string& name) { Send(&Zp::SetMod_SetModulatorMode, name.c_str()); }
std::string kr20cardclass::GetMod_GetModulationType() const { return TextOf(&Zp::GetMod_GetModulationType); }
void kr20cardclass::SetMod_SetModulationType(const std::string& name) { Send(&Zp::SetMod_SetModulationType, name.c_str()); }
double kr20cardclass::GetMod_IfCarrierRateInHz() const { return NumberOf(&Zp::GetMod_IfCarrierRateInHz); }
void kr20cardclass::SetMod_SetIfCarrierRateInHz(double hz) { Send(&Zp::SetMod_SetIfCarrierRateInHz, hz); }
double kr20cardclass::GetMod_IfCarrierLevelInDbm() const { return NumberOf(&Zp::GetMod_IfCarrierLevelInDbm); }
void kr20cardclass::SetMod_SetIfCarrierLevel(double dbm) { Send(&Zp::SetMod_SetIfCarrierLevel, dbm); }
bool kr20cardclass::GetMod_GetIfCarrierOn() const { return FlagOf(&Zp::GetMod_GetIfCarrierOn); }
void kr20cardclass::SetMod_SetIfCarrierOn(bool on) { Send(&Zp::SetMod_SetIfCarrierOn, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetIfModulationOn() const { return FlagOf(&Zp::GetMod_GetIfModulationOn); }
void kr20cardclass::SetMod_SetIfModulationOn(bool on) { Send(&Zp::SetMod_SetIfModulationOn, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetEnableNoiseGeneration() const { return FlagOf(&Zp::GetMod_GetEnableNoiseGeneration); }
void kr20cardclass::SetMod_SetEnableNoiseGeneration(bool on) { Send(&Zp::SetMod_SetEnableNoiseGeneration, on ? 1 : 0); }
double kr20cardclass::GetMod_GetCarrierToNoiseLevel() const { return NumberOf(&Zp::GetMod_GetCarrierToNoiseLevel); }
void kr20cardclass::SetMod_SetCarrierToNoiseLevel(double dbHz) { Send(&Zp::SetMod_SetCarrierToNoiseLevel, dbHz); }
double kr20cardclass::GetMod_GetIfMaxOutputCalOffset() const { return NumberOf(&Zp::GetMod_GetIfMaxOutputCalOffset); }
void kr20cardclass::SetMod_SetIfMaxOutputCalOffset(double dbm) { Send(&Zp::SetMod_SetIfMaxOutputCalOffset, dbm); }
double kr20cardclass::GetMod_GetIPowerLevel() const { return NumberOf(&Zp::GetMod_GetIPowerLevel); }
void kr20cardclass::SetMod_SetIPowerLevel(double db) { Send(&Zp::SetMod_SetIPowerLevel, db); }
double kr20cardclass::GetMod_GetQPowerLevel() const { return NumberOf(&Zp::GetMod_GetQPowerLevel); }
void kr20cardclass::SetMod_SetQPowerLevel(double db) { Send(&Zp::SetMod_SetQPowerLevel, db); }
bool kr20cardclass::GetMod_GetEnableQpskConjugate() const { return FlagOf(&Zp::GetMod_GetEnableQpskConjugate); }
void kr20cardclass::SetMod_SetEnableQpskConjugate(bool on) { Send(&Zp::SetMod_SetEnableQpskConjugate, on ? 1 : 0); }
std::string kr20cardclass::GetMod_GetIDataSource() const { return TextOf(&Zp::GetMod_GetIDataSource); }
void kr20cardclass::SetMod_SetIDataSource(const std::string& name) { Send(&Zp::SetMod_SetIDataSource, name.c_str()); }
std::string kr20cardclass::GetMod_GetQDataSource() const { return TextOf(&Zp::GetMod_GetQDataSource); }
void kr20cardclass::SetMod_SetQDataSource(const std::string& name) { Send(&Zp::SetMod_SetQDataSource, name.c_str()); }
std::string kr20cardclass::GetMod_GetIQOutputRouting() const { return TextOf(&Zp::GetMod_GetIQOutputRouting); }
void kr20cardclass::SetMod_SetIQOutputRouting(const std::string& name) { Send(&Zp::SetMod_SetIQOutputRouting, name.c_str()); }
std::string kr20cardclass::GetMod_GetSymbolRouting() const { return TextOf(&Zp::GetMod_GetSymbolRouting); }
void kr20cardclass::SetMod_SetSymbolRouting(const std::string& name) { Send(&Zp::SetMod_SetSymbolRouting, name.c_str()); }
std::string kr20cardclass::GetMod_GetInputPreprocessing() const { return TextOf(&Zp::GetMod_GetInputPreprocessing); }
void kr20cardclass::SetMod_SetInputPreprocess(const std::string& name) { Send(&Zp::SetMod_SetInputPreprocess, name.c_str()); }
double kr20cardclass::GetMod_GetDirPcmModIndex() const { return NumberOf(&Zp::GetMod_GetDirPcmModIndex); }
void kr20cardclass::SetMod_SetDirPcmModIndex(double radians) { Send(&Zp::SetMod_SetDirPcmModIndex, radians); }
double kr20cardclass::GetMod_GetPCMFMPeakDeviationFactor() const {
  return NumberOf(&Zp::GetMod_GetPCMFMPeakDeviationFactor);
}
void kr20cardclass::SetMod_SetPCMFMPeakDeviationFactor(double factor) {
  Send(&Zp::SetMod_SetPCMFMPeakDeviationFactor, factor);
}
bool kr20cardclass::GetMod_GetSglsSubCh1AvailableDataSources(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSglsSubCh1AvailableDataSources, list);
}
bool kr20cardclass::GetMod_GetSglsSubCh1SupportedModulations(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetSglsSubCh1SupportedModulations, list);
}
std::string kr20cardclass::GetMod_GetSglsSubCh1DataSource() const {
  return TextOf(&Zp::GetMod_GetSglsSubCh1DataSource);
}
void kr20cardclass::SetMod_SetSglsSubCh1DataSource(const std::string& name) {
  Send(&Zp::SetMod_SetSglsSubCh1DataSource, name.c_str());
}
std::string kr20cardclass::GetMod_GetSglsSubCh1ModulationType() const {
  return TextOf(&Zp::GetMod_GetSglsSubCh1ModulationType);
}
void kr20cardclass::SetMod_SetSglsSubCh1ModulationType(const std::string& name) {
  Send(&Zp::SetMod_SetSglsSubCh1ModulationType, name.c_str());
}
double kr20cardclass::GetMod_GetSglsSubCh1SubCarrierRateInHz() const {
  return NumberOf(&Zp::GetMod_GetSglsSubCh1SubCarrierRateInHz);
}
void kr20cardclass::SetMod_SetSglsSubCh1SubCarrierRateInHz(double hz) {
  Send(&Zp::SetMod_SetSglsSubCh1SubCarrierRateInHz, hz);
}
double kr20cardclass::GetMod_GetSubcarrier1PmModIndex() const { return NumberOf(&Zp::GetMod_GetSubcarrier1PmModIndex); }
void kr20cardclass::SetMod_SetSubcarrier1PmModIndex(double radians) {
  Send(&Zp::SetMod_SetSubcarrier1PmModIndex, radians);
}
std::string kr20cardclass::GetMod_GetTestGenPattern() const { return TextOf(&Zp::GetMod_GetTestGenPattern); }
void kr20cardclass::SetMod_SetTestGenPattern(const std::string& name) { Send(&Zp::SetMod_SetTestGenPattern, name.c_str()); }
double kr20cardclass::GetMod_GetFskPremodBandwidthInHz() const { return NumberOf(&Zp::GetMod_GetFskPremodBandwidthInHz); }
void kr20cardclass::SetMod_SetFskPremodBandwidthInHz(double hz) { Send(&Zp::SetMod_SetFskPremodBandwidthInHz, hz); }
double kr20cardclass::GetMod_GetFskFmDeviationInHz() const { return NumberOf(&Zp::GetMod_GetFskFmDeviationInHz); }
void kr20cardclass::SetMod_SetFskFmDeviationInHz(double hz) { Send(&Zp::SetMod_SetFskFmDeviationInHz, hz); }
double kr20cardclass::GetMod_GetSubcarrier1DeviationInHz() const { return NumberOf(&Zp::GetMod_GetSubcarrier1DeviationInHz); }
void kr20cardclass::SetMod_SetSubcarrier1DeviationInHz(double hz) { Send(&Zp::SetMod_SetSubcarrier1DeviationInHz, hz); }
double kr20cardclass::GetMod_GetSubcarrier2DeviationInHz() const { return NumberOf(&Zp::GetMod_GetSubcarrier2DeviationInHz); }
void kr20cardclass::SetMod_SetSubcarrier2DeviationInHz(double hz) { Send(&Zp::SetMod_SetSubcarrier2DeviationInHz, hz); }
double kr20cardclass::GetMod_GetSubcarrier2PmModIndex() const { return NumberOf(&Zp::GetMod_GetSubcarrier2PmModIndex); }
void kr20cardclass::SetMod_SetSubcarrier2PmModIndex(double radians) { Send(&Zp::SetMod_SetSubcarrier2PmModIndex, radians); }
double kr20cardclass::GetMod_GetRangePmModIndex() const { return NumberOf(&Zp::GetMod_GetRangePmModIndex); }
void kr20cardclass::SetMod_SetRangePmModIndex(double radians) { Send(&Zp::SetMod_SetRangePmModIndex, radians); }
double kr20cardclass::GetMod_GetCommandPmModIndex() const { return NumberOf(&Zp::GetMod_GetCommandPmModIndex); }
void kr20cardclass::SetMod_SetCommandPmModIndex(double radians) { Send(&Zp::SetMod_SetCommandPmModIndex, radians); }
double kr20cardclass::GetMod_GetExtPmModIndex() const { return NumberOf(&Zp::GetMod_GetExtPmModIndex); }
void kr20cardclass::SetMod_SetExtPmModIndex(double radians) { Send(&Zp::SetMod_SetExtPmModIndex, radians); }
bool kr20cardclass::GetMod_GetSakLoopbackMode() const { return FlagOf(&Zp::GetMod_GetSakLoopbackMode); }
void kr20cardclass::SetMod_SetSakLoopbackMode(bool on) { Send(&Zp::SetMod_SetSakLoopbackMode, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetSakIfModOutputToDiversity() const { return FlagOf(&Zp::GetMod_GetSakIfModOutputToDiversity); }
void kr20cardclass::SetMod_SetSakIfModOutputToDiversity(bool on) { Send(&Zp::SetMod_SetSakIfModOutputToDiversity, on ? 1 : 0); }

// ---- PCM encoders of the test modulator
bool kr20cardclass::GetMod_GetPcmCh1AvailableDataSources(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetPcmCh1AvailableDataSources, list);
}
bool kr20cardclass::GetMod_GetPcmCh1AvailablePcmEncodings(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetPcmCh1AvailablePcmEncodings, list);
}
std::string kr20cardclass::GetMod_GetPcmCh1DataSource() const { return TextOf(&Zp::GetMod_GetPcmCh1DataSource); }
void kr20cardclass::SetMod_SetPcmCh1DataSource(const std::string& name) { Send(&Zp::SetMod_SetPcmCh1DataSource, name.c_str()); }
std::string kr20cardclass::GetMod_GetPcmCh1PcmEncoding() const { return TextOf(&Zp::GetMod_GetPcmCh1PcmEncoding); }
void kr20cardclass::SetMod_SetPcmCh1PcmEncoding(const std::string& name) {
  Send(&Zp::SetMod_SetPcmCh1PcmEncoding, name.c_str());
}
std::string kr20cardclass::GetMod_GetPcmCh1PcmRandScrambling() const {
  return TextOf(&Zp::GetMod_GetPcmCh1PcmRandScrambling);
}
void kr20cardclass::SetMod_SetPcm1Randomizer(const std::string& name) { Send(&Zp::SetMod_SetPcm1Randomizer, name.c_str()); }
bool kr20cardclass::GetMod_GetPcmCh1ConvolutionalEncodingOn() const {
  return FlagOf(&Zp::GetMod_GetPcmCh1ConvolutionalEncodingOn);
}
void kr20cardclass::SetMod_SetPcmCh1ConvolutionalEncodingOn(bool on) {
  Send(&Zp::SetMod_SetPcmCh1ConvolutionalEncodingOn, on ? 1 : 0);
}
bool kr20cardclass::GetMod_GetPcmCh1SwapG1G2() const { return FlagOf(&Zp::GetMod_GetPcmCh1SwapG1G2); }
void kr20cardclass::SetMod_SetPcmCh1SwapG1G2(bool on) { Send(&Zp::SetMod_SetPcmCh1SwapG1G2, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh1InvertG2() const { return FlagOf(&Zp::GetMod_GetPcmCh1InvertG2); }
void kr20cardclass::SetMod_SetPcmCh1InvertG2(bool on) { Send(&Zp::SetMod_SetPcmCh1InvertG2, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh1InvertData() const { return FlagOf(&Zp::GetMod_GetPcmCh1InvertData); }
void kr20cardclass::SetMod_SetPcmCh1InvertData(bool on) { Send(&Zp::SetMod_SetPcmCh1InvertData, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh1FallingEdgeClk() const { return FlagOf(&Zp::GetMod_GetPcmCh1FallingEdgeClk); }
void kr20cardclass::SetMod_SetPcmCh1FallingEdgeClk(bool on) { Send(&Zp::SetMod_SetPcmCh1FallingEdgeClk, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh2AvailableDataSources(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetPcmCh2AvailableDataSources, list);
}
bool kr20cardclass::GetMod_GetPcmCh2AvailablePcmEncodings(std::vector<std::string>& list) const {
  return ListOf(&Zp::GetMod_GetPcmCh2AvailablePcmEncodings, list);
}
std::string kr20cardclass::GetMod_GetPcmCh2DataSource() const { return TextOf(&Zp::GetMod_GetPcmCh2DataSource); }
void kr20cardclass::SetMod_SetPcmCh2DataSource(const std::string& name) { Send(&Zp::SetMod_SetPcmCh2DataSource, name.c_str()); }
std::string kr20cardclass::GetMod_GetPcmCh2PcmEncoding() const { return TextOf(&Zp::GetMod_GetPcmCh2PcmEncoding); }
void kr20cardclass::SetMod_SetPcmCh2PcmEncoding(const std::string& name) {
  Send(&Zp::SetMod_SetPcmCh2PcmEncoding, name.c_str());
}
std::string kr20cardclass::GetMod_GetPcmCh2PcmRandScrambling() const {
  return TextOf(&Zp::GetMod_GetPcmCh2PcmRandScrambling);
}
void kr20cardclass::SetMod_SetPcm2Randomizer(const std::string& name) { Send(&Zp::SetMod_SetPcm2Randomizer, name.c_str()); }
bool kr20cardclass::GetMod_GetPcmCh2ConvolutionalEncodingOn() const {
  return FlagOf(&Zp::GetMod_GetPcmCh2ConvolutionalEncodingOn);
}
void kr20cardclass::SetMod_SetPcmCh2ConvolutionalEncodingOn(bool on) {
  Send(&Zp::SetMod_SetPcmCh2ConvolutionalEncodingOn, on ? 1 : 0);
}
bool kr20cardclass::GetMod_GetPcmCh2SwapG1G2() const { return FlagOf(&Zp::GetMod_GetPcmCh2SwapG1G2); }
void kr20cardclass::SetMod_SetPcmCh2SwapG1G2(bool on) { Send(&Zp::SetMod_SetPcmCh2SwapG1G2, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh2InvertG2() const { return FlagOf(&Zp::GetMod_GetPcmCh2InvertG2); }
void kr20cardclass::SetMod_SetPcmCh2InvertG2(bool on) { Send(&Zp::SetMod_SetPcmCh2InvertG2, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh2InvertData() const { return FlagOf(&Zp::GetMod_GetPcmCh2InvertData); }
void kr20cardclass::SetMod_SetPcmCh2InvertData(bool on) { Send(&Zp::SetMod_SetPcmCh2InvertData, on ? 1 : 0); }
bool kr20cardclass::GetMod_GetPcmCh2FallingEdgeClk() const { return FlagOf(&Zp::GetMod_GetPcmCh2FallingEdgeClk); }
void kr20cardclass::SetMod_SetPcmCh2FallingEdgeClk(bool on) { Send(&Zp::SetMod_SetPcmCh2FallingEdgeClk, on ? 1 : 0); }

// ---- PSK receiver
void kr20cardclass::PskRx_ReceiverRestartAcquisition(int channel) {
  Send(&Zp::PskRx_ReceiverRestartAcquisition, channel);
}
bool kr20cardclass::PskRx_GetReceiverInputSourceModeSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::PskRx_GetReceiverInputSourceModeSupportedTypes, channel, list);
}
std::string kr20cardclass::PskRx_GetReceiverInputSourceMode(int channel) const {
  return TextOf(&Zp::PskRx_GetReceiverInputSourceMode, channel);
}
void kr20cardclass::PskRx_SetReceiverInputSourceMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetReceiverInputSourceMode, channel, name.c_str());
}
double kr20cardclass::PskRx_GetReceiverSignalLevelQualificationThreshold(int channel) const {
  return NumberOf(&Zp::PskRx_GetReceiverSignalLevelQualificationThreshold, channel);
}
void kr20cardclass::PskRx_SetReceiverSignalLevelQualificationThreshold(int channel, double dbm) {
  Send(&Zp::PskRx_SetReceiverSignalLevelQualificationThreshold, channel, dbm);
}
double kr20cardclass::PskRx_GetReceiverSignalPowerIndBm(int channel) const {
  return NumberOf(&Zp::PskRx_GetReceiverSignalPowerIndBm, channel);
}
double kr20cardclass::PskRx_GetReceiverTotalPowerIndBm(int channel) const {
  return NumberOf(&Zp::PskRx_GetReceiverTotalPowerIndBm, channel);
}
bool kr20cardclass::PskRx_GetCarrierModulationModeSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::PskRx_GetCarrierModulationModeSupportedTypes, channel, list);
}
std::string kr20cardclass::PskRx_GetCarrierModulationMode(int channel) const {
  return TextOf(&Zp::PskRx_GetCarrierModulationMode, channel);
}
void kr20cardclass::PskRx_SetCarrierModulationMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetCarrierModulationMode, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetCarrierLockState(int channel) const {
  return TextOf(&Zp::PskRx_GetCarrierLockState, channel);
}
double kr20cardclass::PskRx_GetCarrierCenterFrequencyInHz(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierCenterFrequencyInHz, channel);
}
void kr20cardclass::PskRx_SetCarrierCenterFrequencyInHz(int channel, double hz) {
  Send(&Zp::PskRx_SetCarrierCenterFrequencyInHz, channel, hz);
}
double kr20cardclass::PskRx_GetCarrierActualSignalFrequencyInHz(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierActualSignalFrequencyInHz, channel);
}
double kr20cardclass::PskRx_GetCarrierAcquisitionRangeInHz(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierAcquisitionRangeInHz, channel);
}
void kr20cardclass::PskRx_SetCarrierAcquisitionRangeInHz(int channel, double hz) {
  Send(&Zp::PskRx_SetCarrierAcquisitionRangeInHz, channel, hz);
}
bool kr20cardclass::PskRx_GetCarrierAcquisitionModeSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::PskRx_GetCarrierAcquisitionModeSupportedTypes, channel, list);
}
std::string kr20cardclass::PskRx_GetCarrierAcquisitionMode(int channel) const {
  return TextOf(&Zp::PskRx_GetCarrierAcquisitionMode, channel);
}
void kr20cardclass::PskRx_SetCarrierAcquisitionMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetCarrierAcquisitionMode, channel, name.c_str());
}
double kr20cardclass::PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate, channel);
}
void kr20cardclass::PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate(int channel, double pct) {
  Send(&Zp::PskRx_SetCarrierAcquisitionLoopBandwidthInPercentOfStream1BitRate, channel, pct);
}
double kr20cardclass::PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate, channel);
}
void kr20cardclass::PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate(int channel, double pct) {
  Send(&Zp::PskRx_SetCarrierTrackingLoopBandwidthInPercentOfStream1BitRate, channel, pct);
}
double kr20cardclass::PskRx_GetCarrierSignalFilterBandwidthRatio(int channel) const {
  return NumberOf(&Zp::PskRx_GetCarrierSignalFilterBandwidthRatio, channel);
}
void kr20cardclass::PskRx_SetCarrierSignalFilterBandwidthRatio(int channel, double ratio) {
  Send(&Zp::PskRx_SetCarrierSignalFilterBandwidthRatio, channel, ratio);
}
double kr20cardclass::PskRx_GetBitSyncStream1RateInbps(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream1RateInbps, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1RateInbps(int channel, double bps) {
  Send(&Zp::PskRx_SetBitSyncStream1RateInbps, channel, bps);
}
std::string kr20cardclass::PskRx_GetBitSyncStream1InputDataDecodingMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream1InputDataDecodingMode, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1InputDataDecodingMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetBitSyncStream1InputDataDecodingMode, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetBitSyncStream1DescramblerMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream1DescramblerMode, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1DescramblerMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetBitSyncStream1DescramblerMode, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetBitSyncStream1OutputDataEncodingMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream1OutputDataEncodingMode, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1OutputDataEncodingMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetBitSyncStream1OutputDataEncodingMode, channel, name.c_str());
}
double kr20cardclass::PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream1AcquisitionRangeInPercentOfBitRate, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate(int channel, double pct) {
  Send(&Zp::PskRx_SetBitSyncStream1AcquisitionRangeInPercentOfBitRate, channel, pct);
}
double kr20cardclass::PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream1LoopWidthInPercentOfBitRate, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate(int channel, double pct) {
  Send(&Zp::PskRx_SetBitSyncStream1LoopWidthInPercentOfBitRate, channel, pct);
}
std::string kr20cardclass::PskRx_GetBitSyncStream1LockState(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream1LockState, channel);
}
double kr20cardclass::PskRx_GetBitSyncStream1SignalEbNo(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream1SignalEbNo, channel);
}
double kr20cardclass::PskRx_GetBitSyncStream1ActualSymbolRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream1ActualSymbolRate, channel);
}
double kr20cardclass::PskRx_GetBitSyncStream2RateInbps(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream2RateInbps, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream2RateInbps(int channel, double bps) {
  Send(&Zp::PskRx_SetBitSyncStream2RateInbps, channel, bps);
}
std::string kr20cardclass::PskRx_GetBitSyncStream2InputDataDecodingMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream2InputDataDecodingMode, channel);
}
std::string kr20cardclass::PskRx_GetBitSyncStream2DescramblerMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream2DescramblerMode, channel);
}
std::string kr20cardclass::PskRx_GetBitSyncStream2OutputDataEncodingMode(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream2OutputDataEncodingMode, channel);
}
void kr20cardclass::PskRx_SetBitSyncStream2InputDataDecodingMode(int channel, const std::string& name) { Send(&Zp::PskRx_SetBitSyncStream2InputDataDecodingMode, channel, name.c_str()); }
void kr20cardclass::PskRx_SetBitSyncStream2DescramblerMode(int channel, const std::string& name) { Send(&Zp::PskRx_SetBitSyncStream2DescramblerMode, channel, name.c_str()); }
void kr20cardclass::PskRx_SetBitSyncStream2OutputDataEncodingMode(int channel, const std::string& name) { Send(&Zp::PskRx_SetBitSyncStream2OutputDataEncodingMode, channel, name.c_str()); }
bool kr20cardclass::PskRx_GetStreamControlS1Only(int channel) const { return FlagOf(&Zp::PskRx_GetStreamControlS1Only, channel); }
void kr20cardclass::PskRx_SetStreamControlS1Only(int channel, bool on) { Send(&Zp::PskRx_SetStreamControlS1Only, channel, on ? 1 : 0); }
std::string kr20cardclass::PskRx_GetBitSyncStream2LockState(int channel) const {
  return TextOf(&Zp::PskRx_GetBitSyncStream2LockState, channel);
}
double kr20cardclass::PskRx_GetBitSyncStream2SignalEbNo(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream2SignalEbNo, channel);
}
double kr20cardclass::PskRx_GetBitSyncStream2ActualSymbolRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetBitSyncStream2ActualSymbolRate, channel);
}
std::string kr20cardclass::PskRx_GetStream1OutputClockPolarityMode(int channel) const {
  return TextOf(&Zp::PskRx_GetStream1OutputClockPolarityMode, channel);
}
void kr20cardclass::PskRx_SetStream1OutputClockPolarityMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetStream1OutputClockPolarityMode, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetStream2OutputClockPolarityMode(int channel) const {
  return TextOf(&Zp::PskRx_GetStream2OutputClockPolarityMode, channel);
}
bool kr20cardclass::PskRx_GetStream1OutputInvertEnable(int channel) const {
  return FlagOf(&Zp::PskRx_GetStream1OutputInvertEnable, channel);
}
void kr20cardclass::PskRx_SetStream1OutputInvertEnable(int channel, bool on) {
  Send(&Zp::PskRx_SetStream1OutputInvertEnable, channel, on ? 1 : 0);
}
bool kr20cardclass::PskRx_GetStream2OutputInvertEnable(int channel) const {
  return FlagOf(&Zp::PskRx_GetStream2OutputInvertEnable, channel);
}
bool kr20cardclass::PskRx_GetSignalRoutingSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::PskRx_GetSignalRoutingSupportedTypes, channel, list);
}
std::string kr20cardclass::PskRx_GetSignalRoutingRecombineLocation(int channel) const {
  return TextOf(&Zp::PskRx_GetSignalRoutingRecombineLocation, channel);
}
void kr20cardclass::PskRx_SetSignalRoutingRecombineLocation(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetSignalRoutingRecombineLocation, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetSignalRoutingStreamSwapLocation(int channel) const {
  return TextOf(&Zp::PskRx_GetSignalRoutingStreamSwapLocation, channel);
}
void kr20cardclass::PskRx_SetSignalRoutingStreamSwapLocation(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetSignalRoutingStreamSwapLocation, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetSignalRoutingStream1InvertLocation(int channel) const {
  return TextOf(&Zp::PskRx_GetSignalRoutingStream1InvertLocation, channel);
}
void kr20cardclass::PskRx_SetSignalRoutingStream1InvertLocation(int channel, const std::string& name) {
  // The two streams of a receiver are inverted at the same place.
  Send(&Zp::PskRx_SetSignalRoutingStream1InvertLocation, channel, name.c_str());
  Send(&Zp::PskRx_SetSignalRoutingStream2InvertLocation, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetSignalRoutingStream2InvertLocation(int channel) const {
  return TextOf(&Zp::PskRx_GetSignalRoutingStream2InvertLocation, channel);
}
void kr20cardclass::PskRx_SetSignalRoutingStream2InvertLocation(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetSignalRoutingStream2InvertLocation, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetSignalRoutingBaseband1Output(int channel) const { return TextOf(&Zp::PskRx_GetSignalRoutingBaseband1Output, channel); }
void kr20cardclass::PskRx_SetSignalRoutingBaseband1Output(int channel, const std::string& name) { Send(&Zp::PskRx_SetSignalRoutingBaseband1Output, channel, name.c_str()); }
std::string kr20cardclass::PskRx_GetSignalRoutingBaseband2Output(int channel) const { return TextOf(&Zp::PskRx_GetSignalRoutingBaseband2Output, channel); }
void kr20cardclass::PskRx_SetSignalRoutingBaseband2Output(int channel, const std::string& name) { Send(&Zp::PskRx_SetSignalRoutingBaseband2Output, channel, name.c_str()); }
int kr20cardclass::PskRx_GetSakBbOutSelection(int channel) const { return IntegerOf(&Zp::PskRx_GetSakBbOutSelection, channel); }
void kr20cardclass::PskRx_SetSakBbOutSelection(int channel, int selection) { Send(&Zp::PskRx_SetSakBbOutSelection, channel, selection); }
bool kr20cardclass::PskRx_GetViterbiRateModeSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::PskRx_GetViterbiRateModeSupportedTypes, channel, list);
}
std::string kr20cardclass::PskRx_GetViterbiStream1RateMode(int channel) const {
  return TextOf(&Zp::PskRx_GetViterbiStream1RateMode, channel);
}
void kr20cardclass::PskRx_SetViterbiStream1RateMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetViterbiStream1RateMode, channel, name.c_str());
}
std::string kr20cardclass::PskRx_GetViterbiStream1SymbolOrderMode(int channel) const {
  return TextOf(&Zp::PskRx_GetViterbiStream1SymbolOrderMode, channel);
}
void kr20cardclass::PskRx_SetViterbiStream1SymbolOrderMode(int channel, const std::string& name) {
  Send(&Zp::PskRx_SetViterbiStream1SymbolOrderMode, channel, name.c_str());
}
bool kr20cardclass::PskRx_GetViterbiStream1DecodeEnable(int channel) const {
  return FlagOf(&Zp::PskRx_GetViterbiStream1DecodeEnable, channel);
}
void kr20cardclass::PskRx_SetViterbiStream1DecodeEnable(int channel, bool on) {
  Send(&Zp::PskRx_SetViterbiStream1DecodeEnable, channel, on ? 1 : 0);
}
bool kr20cardclass::PskRx_GetViterbiStream1G1SymbolInvert(int channel) const {
  return FlagOf(&Zp::PskRx_GetViterbiStream1G1SymbolInvert, channel);
}
void kr20cardclass::PskRx_SetViterbiStream1G1SymbolInvert(int channel, bool on) {
  Send(&Zp::PskRx_SetViterbiStream1G1SymbolInvert, channel, on ? 1 : 0);
}
bool kr20cardclass::PskRx_GetViterbiStream1G2SymbolInvert(int channel) const {
  return FlagOf(&Zp::PskRx_GetViterbiStream1G2SymbolInvert, channel);
}
void kr20cardclass::PskRx_SetViterbiStream1G2SymbolInvert(int channel, bool on) {
  Send(&Zp::PskRx_SetViterbiStream1G2SymbolInvert, channel, on ? 1 : 0);
}
std::string kr20cardclass::PskRx_GetViterbiStream1LockState(int channel) const {
  return TextOf(&Zp::PskRx_GetViterbiStream1LockState, channel);
}
double kr20cardclass::PskRx_GetViterbiStream1SymbolErrorRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetViterbiStream1SymbolErrorRate, channel);
}
double kr20cardclass::PskRx_GetViterbiStream1BitErrorRate(int channel) const {
  return NumberOf(&Zp::PskRx_GetViterbiStream1BitErrorRate, channel);
}

// ---- FM (PCM/FM) receiver with bit sync and Viterbi decoder
void kr20cardclass::FmRx_ReceiverRestartAcquisition(int channel) {
  Send(&Zp::FmRx_ReceiverRestartAcquisition, channel);
}
std::string kr20cardclass::FmRx_GetReceiverInputSourceMode(int channel) const {
  return TextOf(&Zp::FmRx_GetReceiverInputSourceMode, channel);
}
void kr20cardclass::FmRx_SetReceiverInputSourceMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetReceiverInputSourceMode, channel, name.c_str());
}
double kr20cardclass::FmRx_GetReceiverSignalLevelQualificationThreshold(int channel) const {
  return NumberOf(&Zp::FmRx_GetReceiverSignalLevelQualificationThreshold, channel);
}
void kr20cardclass::FmRx_SetReceiverSignalLevelQualificationThreshold(int channel, double dbm) {
  Send(&Zp::FmRx_SetReceiverSignalLevelQualificationThreshold, channel, dbm);
}
double kr20cardclass::FmRx_GetReceiverSignalPowerIndBm(int channel) const {
  return NumberOf(&Zp::FmRx_GetReceiverSignalPowerIndBm, channel);
}
double kr20cardclass::FmRx_GetReceiverTotalPowerIndBm(int channel) const {
  return NumberOf(&Zp::FmRx_GetReceiverTotalPowerIndBm, channel);
}
std::string kr20cardclass::FmRx_GetCarrierLockState(int channel) const {
  return TextOf(&Zp::FmRx_GetCarrierLockState, channel);
}
double kr20cardclass::FmRx_GetCarrierCenterFrequencyInHz(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierCenterFrequencyInHz, channel);
}
void kr20cardclass::FmRx_SetCarrierCenterFrequencyInHz(int channel, double hz) {
  Send(&Zp::FmRx_SetCarrierCenterFrequencyInHz, channel, hz);
}
double kr20cardclass::FmRx_GetCarrierActualSignalFrequencyInHz(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierActualSignalFrequencyInHz, channel);
}
double kr20cardclass::FmRx_GetCarrierAcquisitionRangeInHz(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierAcquisitionRangeInHz, channel);
}
void kr20cardclass::FmRx_SetCarrierAcquisitionRangeInHz(int channel, double hz) {
  Send(&Zp::FmRx_SetCarrierAcquisitionRangeInHz, channel, hz);
}
double kr20cardclass::FmRx_GetCarrierAcquisitionLoopBandwidthInHz(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierAcquisitionLoopBandwidthInHz, channel);
}
void kr20cardclass::FmRx_SetCarrierAcquisitionLoopBandwidthInHz(int channel, double hz) {
  Send(&Zp::FmRx_SetCarrierAcquisitionLoopBandwidthInHz, channel, hz);
}
double kr20cardclass::FmRx_GetCarrierTrackingLoopBandwidthInHz(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierTrackingLoopBandwidthInHz, channel);
}
void kr20cardclass::FmRx_SetCarrierTrackingLoopBandwidthInHz(int channel, double hz) {
  Send(&Zp::FmRx_SetCarrierTrackingLoopBandwidthInHz, channel, hz);
}
double kr20cardclass::FmRx_GetCarrierSignalFilterBandwidthRatio(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierSignalFilterBandwidthRatio, channel);
}
void kr20cardclass::FmRx_SetCarrierSignalFilterBandwidthRatio(int channel, double ratio) {
  Send(&Zp::FmRx_SetCarrierSignalFilterBandwidthRatio, channel, ratio);
}
double kr20cardclass::FmRx_GetCarrierPeakDeviation(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierPeakDeviation, channel);
}
void kr20cardclass::FmRx_SetCarrierPeakDeviation(int channel, double index) {
  Send(&Zp::FmRx_SetCarrierPeakDeviation, channel, index);
  // Paired PCM/FM receivers demodulate the same carrier: both take the deviation.
  const bool paired = info_.NumFmReceivers >= 2 && setup_.RouteInfo.RouteMode != 0;
  if (paired && ValidChannel(channel)) Send(&Zp::FmRx_SetCarrierPeakDeviation, 1 - channel, index);
}
double kr20cardclass::FmRx_GetCarrierModIndexCompensatedValue(int channel) const {
  return NumberOf(&Zp::FmRx_GetCarrierModIndexCompensatedValue, channel);
}
double kr20cardclass::FmRx_GetPeakDeviationCompensationFactorMin(int channel) const {
  return NumberOf(&Zp::FmRx_GetPeakDeviationCompensationFactorMin, channel);
}
void kr20cardclass::FmRx_SetPeakDeviationCompensationFactorMin(int channel, double factor) {
  Send(&Zp::FmRx_SetPeakDeviationCompensationFactorMin, channel, factor);
}
double kr20cardclass::FmRx_GetPeakDeviationCompensationFactorMax(int channel) const {
  return NumberOf(&Zp::FmRx_GetPeakDeviationCompensationFactorMax, channel);
}
void kr20cardclass::FmRx_SetPeakDeviationCompensationFactorMax(int channel, double factor) {
  Send(&Zp::FmRx_SetPeakDeviationCompensationFactorMax, channel, factor);
}
bool kr20cardclass::FmRx_GetXmitterIsDigital(int channel) const {
  return FlagOf(&Zp::FmRx_GetXmitterIsDigital, channel);
}
void kr20cardclass::FmRx_SetXmitterIsDigital(int channel, bool on) {
  Send(&Zp::FmRx_SetXmitterIsDigital, channel, on ? 1 : 0);
}
bool kr20cardclass::FmRx_GetCarrierDiscriminatorEnable(int channel) const { return FlagOf(&Zp::FmRx_GetCarrierDiscriminatorEnable, channel); }
void kr20cardclass::FmRx_SetCarrierDiscriminatorEnable(int channel, bool on) { Send(&Zp::FmRx_SetCarrierDiscriminatorEnable, channel, on ? 1 : 0); }
std::string kr20cardclass::FmRx_GetCarrierModIndexCompensationMode(int channel) const { return TextOf(&Zp::FmRx_GetCarrierModIndexCompensationMode, channel); }
void kr20cardclass::FmRx_SetCarrierModIndexCompensationMode(int channel, const std::string& name) { Send(&Zp::FmRx_SetCarrierModIndexCompensationMode, channel, name.c_str()); }
double kr20cardclass::FmRx_GetBitSyncRateInbps(int channel) const {
  return NumberOf(&Zp::FmRx_GetBitSyncRateInbps, channel);
}
void kr20cardclass::FmRx_SetBitSyncRateInbps(int channel, double bps) {
  Send(&Zp::FmRx_SetBitSyncRateInbps, channel, bps);
}
std::string kr20cardclass::FmRx_GetBitSyncInputDataDecodingMode(int channel) const {
  return TextOf(&Zp::FmRx_GetBitSyncInputDataDecodingMode, channel);
}
void kr20cardclass::FmRx_SetBitSyncInputDataDecodingMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetBitSyncInputDataDecodingMode, channel, name.c_str());
}
std::string kr20cardclass::FmRx_GetBitSyncDescramblerMode(int channel) const {
  return TextOf(&Zp::FmRx_GetBitSyncDescramblerMode, channel);
}
void kr20cardclass::FmRx_SetBitSyncDescramblerMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetBitSyncDescramblerMode, channel, name.c_str());
}
std::string kr20cardclass::FmRx_GetBitSyncOutputDataEncodingMode(int channel) const {
  return TextOf(&Zp::FmRx_GetBitSyncOutputDataEncodingMode, channel);
}
void kr20cardclass::FmRx_SetBitSyncOutputDataEncodingMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetBitSyncOutputDataEncodingMode, channel, name.c_str());
}
double kr20cardclass::FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate(int channel) const {
  return NumberOf(&Zp::FmRx_GetBitSyncAcquisitionRangeInPercentOfBitRate, channel);
}
void kr20cardclass::FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate(int channel, double pct) {
  Send(&Zp::FmRx_SetBitSyncAcquisitionRangeInPercentOfBitRate, channel, pct);
}
double kr20cardclass::FmRx_GetBitSyncLoopWidthInPercentOfBitRate(int channel) const {
  return NumberOf(&Zp::FmRx_GetBitSyncLoopWidthInPercentOfBitRate, channel);
}
void kr20cardclass::FmRx_SetBitSyncLoopWidthInPercentOfBitRate(int channel, double pct) {
  Send(&Zp::FmRx_SetBitSyncLoopWidthInPercentOfBitRate, channel, pct);
}
std::string kr20cardclass::FmRx_GetBitSyncLockState(int channel) const {
  return TextOf(&Zp::FmRx_GetBitSyncLockState, channel);
}
double kr20cardclass::FmRx_GetBitSyncSignalEbNo(int channel) const {
  return NumberOf(&Zp::FmRx_GetBitSyncSignalEbNo, channel);
}
double kr20cardclass::FmRx_GetBitSyncActualSymbolRate(int channel) const {
  return NumberOf(&Zp::FmRx_GetBitSyncActualSymbolRate, channel);
}
std::string kr20cardclass::FmRx_GetOutputClockPolarityMode(int channel) const {
  return TextOf(&Zp::FmRx_GetOutputClockPolarityMode, channel);
}
void kr20cardclass::FmRx_SetOutputClockPolarityMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetOutputClockPolarityMode, channel, name.c_str());
}
bool kr20cardclass::FmRx_GetOutputInvertEnable(int channel) const {
  return FlagOf(&Zp::FmRx_GetOutputInvertEnable, channel);
}
void kr20cardclass::FmRx_SetOutputInvertEnable(int channel, bool on) {
  Send(&Zp::FmRx_SetOutputInvertEnable, channel, on ? 1 : 0);
}
bool kr20cardclass::FmRx_GetViterbiRateModeSupportedTypes(int channel, std::vector<std::string>& list) const {
  return ListOf(&Zp::FmRx_GetViterbiRateModeSupportedTypes, channel, list);
}
std::string kr20cardclass::FmRx_GetViterbiRateMode(int channel) const {
  return TextOf(&Zp::FmRx_GetViterbiRateMode, channel);
}
void kr20cardclass::FmRx_SetViterbiRateMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetViterbiRateMode, channel, name.c_str());
}
std::string kr20cardclass::FmRx_GetViterbiSymbolOrderMode(int channel) const {
  return TextOf(&Zp::FmRx_GetViterbiSymbolOrderMode, channel);
}
void kr20cardclass::FmRx_SetViterbiSymbolOrderMode(int channel, const std::string& name) {
  Send(&Zp::FmRx_SetViterbiSymbolOrderMode, channel, name.c_str());
}
bool kr20cardclass::FmRx_GetViterbiDecodeEnable(int channel) const {
  return FlagOf(&Zp::FmRx_GetViterbiDecodeEnable, channel);
}
void kr20cardclass::FmRx_SetViterbiDecodeEnable(int channel, bool on) {
  Send(&Zp::FmRx_SetViterbiDecodeEnable, channel, on ? 1 : 0);
}
bool kr20cardclass::FmRx_GetViterbiG1SymbolInvert(int channel) const {
  return FlagOf(&Zp::FmRx_GetViterbiG1SymbolInvert, channel);
}
void kr20cardclass::FmRx_SetViterbiG1SymbolInvert(int channel, bool on) {
  Send(&Zp::FmRx_SetViterbiG1SymbolInvert, channel, on ? 1 : 0);
}
bool kr20cardclass::FmRx_GetViterbiG2SymbolInvert(int channel) const {
  return FlagOf(&Zp::FmRx_GetViterbiG2SymbolInvert, channel);
}
void kr20cardclass::FmRx_SetViterbiG2SymbolInvert(int channel, bool on) {
  Send(&Zp::FmRx_SetViterbiG2SymbolInvert, channel, on ? 1 : 0);
}
std::string kr20cardclass::FmRx_GetViterbiLockState(int channel) const {
  return TextOf(&Zp::FmRx_GetViterbiLockState, channel);
}
double kr20cardclass::FmRx_GetViterbiSymbolErrorRate(int channel) const {
  return NumberOf(&Zp::FmRx_GetViterbiSymbolErrorRate, channel);
}
double kr20cardclass::FmRx_GetViterbiBitErrorRate(int channel) const {
  return NumberOf(&Zp::FmRx_GetViterbiBitErrorRate, channel);
}

// ---- PM receiver
void kr20cardclass::PmRx_RestartReceiverAcquisition(int channel) {
  Send(&Zp::PmRx_RestartReceiverAcquisition, channel);
}
std::string kr20cardclass::PmRx_GetInputSource(int channel) const {
  return TextOf(&Zp::PmRx_GetInputSource, channel);
}
void kr20cardclass::PmRx_SetInputSource(int channel, const std::string& name) {
  Send(&Zp::PmRx_SetInputSource, channel, name.c_str());
}
std::string kr20cardclass::PmRx_GetCarrierLockState(int channel) const {
  return TextOf(&Zp::PmRx_GetCarrierLockState, channel);
}
double kr20cardclass::PmRx_GetCarrierCenterFrequencyInHz(int channel) const {
  return NumberOf(&Zp::PmRx_GetCarrierCenterFrequencyInHz, channel);
}
void kr20cardclass::PmRx_SetCarrierCenterFrequencyInHz(int channel, double hz) {
  Send(&Zp::PmRx_SetCarrierCenterFrequencyInHz, channel, hz);
}
double kr20cardclass::PmRx_GetSignalLevelIndBm(int channel) const {
  return NumberOf(&Zp::PmRx_GetSignalLevelIndBm, channel);
}
double kr20cardclass::PmRx_GetTotalPowerIndBm(int channel) const {
  return NumberOf(&Zp::PmRx_GetTotalPowerIndBm, channel);
}
double kr20cardclass::PmRx_GetCarrierAcquisitionRangeInHz(int channel) const {
  return NumberOf(&Zp::PmRx_GetCarrierAcquisitionRangeInHz, channel);
}
void kr20cardclass::PmRx_SetCarrierAcquisitionRangeInHz(int channel, double hz) {
  Send(&Zp::PmRx_SetCarrierAcquisitionRangeInHz, channel, hz);
}
std::string kr20cardclass::PmRx_GetCarrierAcquisitionMode(int channel) const {
  return TextOf(&Zp::PmRx_GetCarrierAcquisitionMode, channel);
}
void kr20cardclass::PmRx_SetCarrierAcquisitionMode(int channel, const std::string& name) {
  Send(&Zp::PmRx_SetCarrierAcquisitionMode, channel, name.c_str());
}
double kr20cardclass::PmRx_GetCarrierAcquisitionLoopBandwidthInHz(int channel) const {
  return NumberOf(&Zp::PmRx_GetCarrierAcquisitionLoopBandwidthInHz, channel);
}
void kr20cardclass::PmRx_SetCarrierAcquisitionLoopBandwidthInHz(int channel, double hz) {
  Send(&Zp::PmRx_SetCarrierAcquisitionLoopBandwidthInHz, channel, hz);
}
double kr20cardclass::PmRx_GetCarrierTrackLoopBandwidthInHz(int channel) const {
  return NumberOf(&Zp::PmRx_GetCarrierTrackLoopBandwidthInHz, channel);
}
void kr20cardclass::PmRx_SetCarrierTrackLoopBandwidthInHz(int channel, double hz) {
  Send(&Zp::PmRx_SetCarrierTrackLoopBandwidthInHz, channel, hz);
}
double kr20cardclass::PmRx_GetCarrierSignalThresholdIndBm(int channel) const {
  return NumberOf(&Zp::PmRx_GetCarrierSignalThresholdIndBm, channel);
}
void kr20cardclass::PmRx_SetCarrierSignalThresholdIndBm(int channel, double dbm) {
  Send(&Zp::PmRx_SetCarrierSignalThresholdIndBm, channel, dbm);
}
double kr20cardclass::PmRx_GetModulationIndex(int channel) const { return NumberOf(&Zp::PmRx_GetModulationIndex, channel); }
void kr20cardclass::PmRx_SetModulationIndex(int channel, double radians) { Send(&Zp::PmRx_SetModulationIndex, channel, radians); }
double kr20cardclass::PmRx_GetCarrierLockDecisionPeriod(int channel) const { return NumberOf(&Zp::PmRx_GetCarrierLockDecisionPeriod, channel); }
void kr20cardclass::PmRx_SetCarrierLockDecisionPeriod(int channel, double seconds) { Send(&Zp::PmRx_SetCarrierLockDecisionPeriod, channel, seconds); }
bool kr20cardclass::PmRx_GetLoopDiscriminatorEnable(int channel) const { return FlagOf(&Zp::PmRx_GetLoopDiscriminatorEnable, channel); }
void kr20cardclass::PmRx_SetLoopDiscriminatorEnable(int channel, bool on) { Send(&Zp::PmRx_SetLoopDiscriminatorEnable, channel, on ? 1 : 0); }
std::string kr20cardclass::PmRx_GetDebugOutput1MuxSelect(int channel) const { return TextOf(&Zp::PmRx_GetDebugOutput1MuxSelect, channel); }
void kr20cardclass::PmRx_SetDebugOutput1MuxSelect(int channel, const std::string& name) { Send(&Zp::PmRx_SetDebugOutput1MuxSelect, channel, name.c_str()); }
std::string kr20cardclass::PmRx_GetDebugOutput2MuxSelect(int channel) const { return TextOf(&Zp::PmRx_GetDebugOutput2MuxSelect, channel); }
void kr20cardclass::PmRx_SetDebugOutput2MuxSelect(int channel, const std::string& name) { Send(&Zp::PmRx_SetDebugOutput2MuxSelect, channel, name.c_str()); }

// ---- Multi-h CPM receiver
void kr20cardclass::MhCpmRx_RestartReceiverAcquisition(int channel) {
  Send(&Zp::MhCpmRx_RestartReceiverAcquisition, channel);
}
std::string kr20cardclass::MhCpmRx_GetBitSyncInputDataDecodingMode(int channel) const {
  return TextOf(&Zp::MhCpmRx_GetBitSyncInputDataDecodingMode, channel);
}
bool kr20cardclass::MhCpmRx_GetOutputInvertEnable(int channel) const {
  return FlagOf(&Zp::MhCpmRx_GetOutputInvertEnable, channel);
}
std::string kr20cardclass::MhCpmRx_GetOutputClockPolarityMode(int channel) const {
  return TextOf(&Zp::MhCpmRx_GetOutputClockPolarityMode, channel);
}
std::string kr20cardclass::MhCpmRx_GetBitSyncOutputDataEncodingMode(int channel) const {
  return TextOf(&Zp::MhCpmRx_GetBitSyncOutputDataEncodingMode, channel);
}
double kr20cardclass::MhCpmRx_GetBitSyncRateInbps(int channel) const {
  return NumberOf(&Zp::MhCpmRx_GetBitSyncRateInbps, channel);
}
double kr20cardclass::MhCpmRx_GetCarrierAcquisitionRangeInHz(int channel) const {
  return NumberOf(&Zp::MhCpmRx_GetCarrierAcquisitionRangeInHz, channel);
}
double kr20cardclass::MhCpmRx_GetCarrierCenterFrequencyInMhz(int channel) const {
  return NumberOf(&Zp::MhCpmRx_GetCarrierCenterFrequencyInMhz, channel);
}
double kr20cardclass::MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent(int channel) const {
  return NumberOf(&Zp::MhCpmRx_GetCarrierAcquisitionLoopBandwidthInPercent, channel);
}
double kr20cardclass::MhCpmRx_GetBitSyncAcquisitionRangeInPercent(int channel) const {
  return NumberOf(&Zp::MhCpmRx_GetBitSyncAcquisitionRangeInPercent, channel);
}

// ---- FFT
bool kr20cardclass::Fft_GetEnableFFT(int channel) const { return FlagOf(&Zp::Fft_GetEnableFFT, channel); }
void kr20cardclass::Fft_SetEnableFFT(int channel, bool on) { Send(&Zp::Fft_SetEnableFFT, channel, on ? 1 : 0); }
double kr20cardclass::Fft_GetFrequencySpanInHz(int channel) const {
  return NumberOf(&Zp::Fft_GetFrequencySpanInHz, channel);
}
void kr20cardclass::Fft_SetFrequencySpanInHz(int channel, double hz) {
  Send(&Zp::Fft_SetFrequencySpanInHz, channel, hz);
}
void kr20cardclass::Fft_SetCenterFrequencyInHz(int channel, double hz) {
  Send(&Zp::Fft_SetCenterFrequencyInHz, channel, hz);
}
void kr20cardclass::Fft_SetWindowType(int channel, const std::string& name) {
  Send(&Zp::Fft_SetWindowType, channel, name.c_str());
}
void kr20cardclass::Fft_SetNumberOfAverages(int channel, int averages) {
  Send(&Zp::Fft_SetNumberOfAverages, channel, averages);
}
void kr20cardclass::Fft_SetUpdateRateInHz(int channel, int hz) { Send(&Zp::Fft_SetUpdateRateInHz, channel, hz); }
double kr20cardclass::Fft_GetCenterFrequencyInHz(int channel) const { return NumberOf(&Zp::Fft_GetCenterFrequencyInHz, channel); }
std::string kr20cardclass::Fft_GetWindowType(int channel) const { return TextOf(&Zp::Fft_GetWindowType, channel); }
int kr20cardclass::Fft_GetNumberOfAverages(int channel) const { return IntegerOf(&Zp::Fft_GetNumberOfAverages, channel); }
int kr20cardclass::Fft_GetUpdateRateInHz(int channel) const { return IntegerOf(&Zp::Fft_GetUpdateRateInHz, channel); }

// ---- IQ
bool kr20cardclass::IQ_GetRunIQData(int channel) const { return FlagOf(&Zp::IQ_GetRunIQData, channel); }
void kr20cardclass::IQ_SetRunIQData(int channel, bool on) { Send(&Zp::IQ_SetRunIQData, channel, on ? 1 : 0); }
void kr20cardclass::IQ_SetNumDataPoints(int channel, int points) { Send(&Zp::IQ_SetNumDataPoints, channel, points); }
void kr20cardclass::IQ_SetUpdateRateInHz(int channel, int hz) { Send(&Zp::IQ_SetUpdateRateInHz, channel, hz); }
int kr20cardclass::IQ_GetNumDataPoints(int channel) const { return IntegerOf(&Zp::IQ_GetNumDataPoints, channel); }
int kr20cardclass::IQ_GetUpdateRateInHz(int channel) const { return IntegerOf(&Zp::IQ_GetUpdateRateInHz, channel); }

// ---- Pre-detection combiner
bool kr20cardclass::PreD_GetAvailableNoiseEstimateModes(std::vector<std::string>& list) const {
  return ListOf(&Zp::PreD_GetAvailableNoiseEstimateModes, list);
}
std::string kr20cardclass::PreD_GetNoiseEstimateMode() const { return TextOf(&Zp::PreD_GetNoiseEstimateMode); }
void kr20cardclass::PreD_SetNoiseEstimateMode(const std::string& name) { Send(&Zp::PreD_SetNoiseEstimateMode, name.c_str()); }
std::string kr20cardclass::PreD_GetDiversityOutput() const { return TextOf(&Zp::PreD_GetDiversityOutput); }
void kr20cardclass::PreD_SetDiversityOutput(const std::string& name) { Send(&Zp::PreD_SetDiversityOutput, name.c_str()); }
double kr20cardclass::PreD_GetSignalBandwidthInHz() const { return NumberOf(&Zp::PreD_GetSignalBandwidthInHz); }
void kr20cardclass::PreD_SetSignalBandwidthInHz(double hz) { Send(&Zp::PreD_SetSignalBandwidthInHz, hz); }
double kr20cardclass::PreD_GetTimeConstInSec() const { return NumberOf(&Zp::PreD_GetTimeConstInSec); }
void kr20cardclass::PreD_SetTimeConstInSec(double seconds) { Send(&Zp::PreD_SetTimeConstInSec, seconds); }
double kr20cardclass::PreD_GetPhaseTimeConstInSec() const { return NumberOf(&Zp::PreD_GetPhaseTimeConstInSec); }
void kr20cardclass::PreD_SetPhaseTimeConstInSec(double seconds) { Send(&Zp::PreD_SetPhaseTimeConstInSec, seconds); }
double kr20cardclass::PreD_GetChannelACenterFreqInHz() const { return NumberOf(&Zp::PreD_GetChannelACenterFreqInHz); }
void kr20cardclass::PreD_SetChannelACenterFreqInHz(double hz) { Send(&Zp::PreD_SetChannelACenterFreqInHz, hz); }
double kr20cardclass::PreD_GetChannelBCenterFreqInHz() const { return NumberOf(&Zp::PreD_GetChannelBCenterFreqInHz); }
void kr20cardclass::PreD_SetChannelBCenterFreqInHz(double hz) { Send(&Zp::PreD_SetChannelBCenterFreqInHz, hz); }
double kr20cardclass::PreD_GetFixedNoChannelA() const { return NumberOf(&Zp::PreD_GetFixedNoChannelA); }
void kr20cardclass::PreD_SetFixedNoChannelA(double dbmHz) { Send(&Zp::PreD_SetFixedNoChannelA, dbmHz); }
double kr20cardclass::PreD_GetFixedNoChannelB() const { return NumberOf(&Zp::PreD_GetFixedNoChannelB); }
void kr20cardclass::PreD_SetFixedNoChannelB(double dbmHz) { Send(&Zp::PreD_SetFixedNoChannelB, dbmHz); }
double kr20cardclass::PreD_GetNoiseFilterGainValue() const { return NumberOf(&Zp::PreD_GetNoiseFilterGainValue); }
void kr20cardclass::PreD_SetNoiseFilterGainValue(double gain) { Send(&Zp::PreD_SetNoiseFilterGainValue, gain); }
double kr20cardclass::PreD_GetMeasuredNoiseChannelA() const { return NumberOf(&Zp::PreD_GetMeasuredNoiseChannelA); }
double kr20cardclass::PreD_GetMeasuredNoiseChannelB() const { return NumberOf(&Zp::PreD_GetMeasuredNoiseChannelB); }

bool kr20cardclass::PreD_ReadMeasuredNoise(double& channelA, double& channelB) const {
  double a = 0.0;
  double b = 0.0;
  if (Call(&Zp::PreD_GetMeasuredNoiseChannelA, &a) != kDevOk || Call(&Zp::PreD_GetMeasuredNoiseChannelB, &b) != kDevOk) {
    return false;
  }
  channelA = a;
  channelB = b;
  return true;
}

// ---- Post-detection combiner
bool kr20cardclass::PostD_GetAvailableDiversityOutputs(std::vector<std::string>& list) const {
  return ListOf(&Zp::PostD_GetAvailableDiversityOutputs, list);
}
std::string kr20cardclass::PostD_GetDiversityOutput() const { return TextOf(&Zp::PostD_GetDiversityOutput); }
void kr20cardclass::PostD_SetDiversityOutput(const std::string& name) { Send(&Zp::PostD_SetDiversityOutput, name.c_str()); }
double kr20cardclass::PostD_GetCombiningGainIndB() const { return NumberOf(&Zp::PostD_GetCombiningGainIndB); }
double kr20cardclass::PostD_GetChannelAEbNo() const { return NumberOf(&Zp::PostD_GetChannelAEbNo); }
double kr20cardclass::PostD_GetChannelBEbNo() const { return NumberOf(&Zp::PostD_GetChannelBEbNo); }
double kr20cardclass::PostD_GetChannelAScaleInPercent() const { return NumberOf(&Zp::PostD_GetChannelAScaleInPercent); }
double kr20cardclass::PostD_GetChannelBScaleInPercent() const { return NumberOf(&Zp::PostD_GetChannelBScaleInPercent); }

// ---- Receive BERT
bool kr20cardclass::Bert_GetPnPatternList(int bert, std::vector<std::string>& list) const {
  return ListOf(&Zp::Bert_GetPnPatternList, bert, list);
}
std::string kr20cardclass::Bert_GetPnPattern(int bert) const { return TextOf(&Zp::Bert_GetPnPattern, bert); }
void kr20cardclass::Bert_SetPnPattern(int bert, const std::string& name) { Send(&Zp::Bert_SetPnPattern, bert, name.c_str()); }
bool kr20cardclass::Bert_GetClockPolarityList(int bert, std::vector<std::string>& list) const {
  return ListOf(&Zp::Bert_GetClockPolarityList, bert, list);
}
std::string kr20cardclass::Bert_GetClockPolarity(int bert) const { return TextOf(&Zp::Bert_GetClockPolarity, bert); }
void kr20cardclass::Bert_SetClockPolarity(int bert, const std::string& name) {
  Send(&Zp::Bert_SetClockPolarity, bert, name.c_str());
}
void kr20cardclass::Bert_ResetMeasures(int bert) { Send(&Zp::Bert_ResetMeasures, bert); }
std::string kr20cardclass::Bert_GetLockState(int bert) const { return TextOf(&Zp::Bert_GetLockState, bert); }
std::string kr20cardclass::Bert_GetInvertState(int bert) const { return TextOf(&Zp::Bert_GetInvertState, bert); }
int kr20cardclass::Bert_GetLockLossCount(int bert) const { return IntegerOf(&Zp::Bert_GetLockLossCount, bert); }
int kr20cardclass::Bert_GetInversionCount(int bert) const { return IntegerOf(&Zp::Bert_GetInversionCount, bert); }
double kr20cardclass::Bert_GetBitRate(int bert) const { return NumberOf(&Zp::Bert_GetBitRate, bert); }
double kr20cardclass::Bert_GetTotalBits(int bert) const { return NumberOf(&Zp::Bert_GetTotalBits, bert); }
double kr20cardclass::Bert_GetErrorBits(int bert) const { return NumberOf(&Zp::Bert_GetErrorBits, bert); }
std::string kr20cardclass::Bert_GetBitErrorRate(int bert) const { return TextOf(&Zp::Bert_GetBitErrorRate, bert); }

// ---- Transmit BERT
bool kr20cardclass::TxBert_GetPnPatternList(int bert, std::vector<std::string>& list) const {
  return ListOf(&Zp::TxBert_GetPnPatternList, bert, list);
}
std::string kr20cardclass::TxBert_GetPnPattern(int bert) const { return TextOf(&Zp::TxBert_GetPnPattern, bert); }
void kr20cardclass::TxBert_SetPnPattern(int bert, const std::string& name) {
  Send(&Zp::TxBert_SetPnPattern, bert, name.c_str());
}
void kr20cardclass::TxBert_SetBitRate(int bert, double bps) { Send(&Zp::TxBert_SetBitRate, bert, bps); }
void kr20cardclass::TxBert_SetBitErrorRate(int bert, double rate) { Send(&Zp::TxBert_SetBitErrorRate, bert, rate); }
void kr20cardclass::TxBert_SetClockPolarity(int bert, const std::string& name) {
  Send(&Zp::TxBert_SetClockPolarity, bert, name.c_str());
}
void kr20cardclass::TxBert_SetDataPolarity(int bert, const std::string& name) {
  Send(&Zp::TxBert_SetDataPolarity, bert, name.c_str());
}
double kr20cardclass::TxBert_GetBitRate(int bert) const { return NumberOf(&Zp::TxBert_GetBitRate, bert); }
double kr20cardclass::TxBert_GetBitErrorRate(int bert) const { return NumberOf(&Zp::TxBert_GetBitErrorRate, bert); }
std::string kr20cardclass::TxBert_GetClockPolarity(int bert) const { return TextOf(&Zp::TxBert_GetClockPolarity, bert); }
std::string kr20cardclass::TxBert_GetDataPolarity(int bert) const { return TextOf(&Zp::TxBert_GetDataPolarity, bert); }
bool kr20cardclass::TxBert_GetInsertTimeCode(int bert) const { return FlagOf(&Zp::TxBert_GetInsertTimeCode, bert); }
void kr20cardclass::TxBert_SetInsertTimeCode(int bert, bool on) { Send(&Zp::TxBert_SetInsertTimeCode, bert, on ? 1 : 0); }
double kr20cardclass::TxBert_GetSystemClock(int bert) const { return NumberOf(&Zp::TxBert_GetSystemClock, bert); }
void kr20cardclass::TxBert_SetSystemClock(int bert, double hz) { Send(&Zp::TxBert_SetSystemClock, bert, hz); }

}  // namespace card
