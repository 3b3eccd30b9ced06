#include "card/dncvt_card.h"

#include <array>
#include <cmath>
#include <string>

#include "card/zp90_binding.h"
#include "util/error_log.h"

namespace card {
namespace {

using Dn = DnCvtFunctions;

std::string KindText(std::int32_t kind) { return kind == kDnCvtKindKr14 ? "Kr14" : "Kr12"; }

// A table value as the record keeps it: 0.0 for anything that is not a finite positive number.
double TableValue(double value) { return std::isfinite(value) && value > 0.0 ? value : 0.0; }

}  // namespace

int CountDnCvtCards(const dncvtlibclass& library) {
  if (!library.Loaded() || library.Fn().GetCardCount == nullptr) return 0;
  int count = 0;
  if (library.Fn().GetCardCount(&count) != kDevOk) return 0;
  if (count < 0 || count > kDnCvtMaxCards) {
    util::WriteErrorLogLine(library.Path() + " reports " + std::to_string(count) + " cards, taken as 0", 0);
    return 0;
  }
  return count;
}

std::unique_ptr<dncvtcardclass> MakeDnCvtCard(int card, const dncvtlibclass& library) {
  if (library.Kind() == DnCvtLibraryKind::Kr14) return std::make_unique<kr14cardclass>(card, library);
  return std::make_unique<kr12cardclass>(card, library);
}

dncvtcardclass::dncvtcardclass(int card, const dncvtlibclass& library)
    : card_(card),
      library_(&library),
      kind_(library.Kind() == DnCvtLibraryKind::Kr14 ? kDnCvtKindKr14 : kDnCvtKindKr12) {}

dncvtcardclass::dncvtcardclass(int card, const DnCvtFunctions& functions, std::int32_t kind)
    : card_(card), table_(&functions), kind_(kind) {}

dncvtcardclass::~dncvtcardclass() { Close(); }

const DnCvtFunctions& dncvtcardclass::Functions() const { return library_ != nullptr ? library_->Fn() : *table_; }

bool dncvtcardclass::LibraryLoaded() const { return library_ != nullptr ? library_->Loaded() : true; }

bool dncvtcardclass::IsReady(int channel) const {
  return LibraryLoaded() && open_ && channel >= 0 && channel < channelCount_;
}

template <class... P>
int dncvtcardclass::CallCard(Entry<P...> entry, std::type_identity_t<P>... args) const {
  const auto function = Functions().*entry;
  if (function == nullptr || !LibraryLoaded()) return kDevNotReady;
  return function(card_, args...);
}

template <class... P>
int dncvtcardclass::Call(int channel, Entry<int, P...> entry, std::type_identity_t<P>... args) const {
  const auto function = Functions().*entry;
  if (function == nullptr || !IsReady(channel)) return kDevNotReady;
  return function(card_, channel, args...);
}

bool dncvtcardclass::Open() {
  if (open_) return true;
  const std::string who = KindText(kind_) + " card " + std::to_string(card_ + 1);
  if (!LibraryLoaded()) {
    util::LogError(who + " not opened: its library is not loaded", card_ + 1, false);
    return false;
  }
  int status = CallCard(&Dn::OpenCard);
  if (status != kDevOk) {
    util::LogError(who + " could not be opened: " + DeviceStatusText(status), card_ + 1, false);
    return false;
  }
  int channels = 0;
  status = CallCard(&Dn::GetChannelCount, &channels);
  if (status != kDevOk || channels < 1 || channels > kDnCvtMaxChannelsPerCard) {
    util::LogError(who + " refused: channel count " +
                       (status == kDevOk ? std::to_string(channels) : std::string(DeviceStatusText(status))),
                   card_ + 1, false);
    CallCard(&Dn::CloseCard);
    return false;
  }
  channelCount_ = channels;
  open_ = true;
  util::WriteErrorLogLine(who + " opened with " + std::to_string(channels) + " channels", card_ + 1);
  return true;
}

void dncvtcardclass::Close() {
  if (!open_) return;
  open_ = false;
  channelCount_ = 0;
  if (!LibraryLoaded()) return;
  const int status = CallCard(&Dn::CloseCard);
  if (status != kDevOk) {
    util::LogError(KindText(kind_) + " card " + std::to_string(card_ + 1) +
                       " could not be closed: " + DeviceStatusText(status),
                   card_ + 1, false);
  }
}

bool dncvtcardclass::ReadChannelTables(int channel, DnCvtChannelRecord& record) const {
  if (!IsReady(channel)) return false;
  record.Kind = kind_;
  record.Card = card_;
  record.Channel = channel;

  std::array<double, kDnCvtIfFilters> filters{};
  int count = -1;
  if (Call(channel, &Dn::GetIfFilterTable, filters.data(), static_cast<int>(filters.size()), &count) != kDevOk ||
      count < 0 || count > static_cast<int>(filters.size())) {
    count = 0;
  }
  for (std::size_t i = 0; i < filters.size(); ++i) {
    record.IfFilterBwKhz[i] = static_cast<int>(i) < count ? TableValue(filters[i]) : 0.0;
  }

  std::array<double, kDnCvtAgcTimeConstants> constants{};
  count = -1;
  if (Call(channel, &Dn::GetAgcTimeConstantTable, constants.data(), static_cast<int>(constants.size()), &count) !=
          kDevOk ||
      count < 0 || count > static_cast<int>(constants.size())) {
    count = 0;
  }
  for (std::size_t i = 0; i < constants.size(); ++i) {
    record.AgcTcMsecs[i] = static_cast<int>(i) < count ? TableValue(constants[i]) : 0.0;
  }

  std::array<double, kDnCvtFreqBands> starts{};
  std::array<double, kDnCvtFreqBands> stops{};
  count = -1;
  if (Call(channel, &Dn::GetFreqBandTable, starts.data(), stops.data(), static_cast<int>(starts.size()), &count) !=
          kDevOk ||
      count < 0 || count > static_cast<int>(starts.size())) {
    count = 0;
  }
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const bool used = static_cast<int>(i) < count;
    DnCvtFreqBand band;
    band.StartMhz = used ? TableValue(starts[i]) : 0.0;
    band.StopMhz = used ? TableValue(stops[i]) : 0.0;
    record.FreqBands[i] = band;
  }
  return true;
}

bool dncvtcardclass::SetFrequencyMhz(int channel, double mhz) {
  return std::isfinite(mhz) && Call(channel, &Dn::SetFrequencyMhz, mhz) == kDevOk;
}

bool dncvtcardclass::SetAgcFreeze(int channel, bool on) {
  return Call(channel, &Dn::SetAgcFreeze, on ? 1 : 0) == kDevOk;
}

bool dncvtcardclass::SetAgcZero(int channel, bool on) { return Call(channel, &Dn::SetAgcZero, on ? 1 : 0) == kDevOk; }

bool dncvtcardclass::SetAgcTimeConstant(int channel, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(kDnCvtAgcTimeConstants)) return false;
  return Call(channel, &Dn::SetAgcTimeConstant, index) == kDevOk;
}

bool dncvtcardclass::SetIfBandwidth(int channel, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(kDnCvtIfFilters)) return false;
  return Call(channel, &Dn::SetIfBandwidth, index) == kDevOk;
}

bool dncvtcardclass::SetLimitedOutputMode(int channel, bool on) {
  return Call(channel, &Dn::SetLimitedOutputMode, on ? 1 : 0) == kDevOk;
}

bool dncvtcardclass::SetDigitalAgcMode(int channel, std::int32_t mode) {
  return Call(channel, &Dn::SetDigitalAgcMode, mode) == kDevOk;
}

bool dncvtcardclass::ApplySetup(int channel, const DnCvtSetupRecord& setup) {
  if (!IsReady(channel)) return false;
  bool taken = SetFrequencyMhz(channel, setup.FreqMhz);
  taken = SetAgcFreeze(channel, setup.AgcFreezeEnabled != 0) && taken;
  taken = SetAgcZero(channel, setup.AgcZeroEnabled != 0) && taken;
  taken = SetAgcTimeConstant(channel, setup.TcSelected) && taken;
  taken = SetIfBandwidth(channel, setup.BwFilterSelected) && taken;
  taken = SetLimitedOutputMode(channel, setup.LimitedOutputMode != 0) && taken;
  taken = SetDigitalAgcMode(channel, setup.DigitalAgcMode) && taken;
  return taken;
}

bool dncvtcardclass::ReadStrength(int channel, double& dbm) const {
  double value = 0.0;
  if (Call(channel, &Dn::ReadStrength, &value) != kDevOk) return false;
  dbm = value;
  return true;
}

bool dncvtcardclass::ReadPllStatus(int channel, std::uint8_t& status1, std::uint8_t& status2,
                                   std::uint8_t& status3) const {
  unsigned char first = 0;
  unsigned char second = 0;
  unsigned char third = 0;
  if (Call(channel, &Dn::ReadPllStatus, &first, &second, &third) != kDevOk) return false;
  status1 = first;
  status2 = second;
  status3 = third;
  return true;
}

bool dncvtcardclass::ReadAmFrequency(int channel, std::int32_t& hz) const {
  int value = 0;
  if (Call(channel, &Dn::ReadAmFrequency, &value) != kDevOk) return false;
  hz = value;
  return true;
}

bool dncvtcardclass::ReadAmIndex(int channel, double& index) const {
  double value = 0.0;
  if (Call(channel, &Dn::ReadAmIndex, &value) != kDevOk) return false;
  index = value;
  return true;
}

bool dncvtcardclass::ReadStatus(int channel, std::uint8_t& status) const {
  unsigned char value = 0;
  if (Call(channel, &Dn::ReadStatus, &value) != kDevOk) return false;
  status = value;
  return true;
}

}  // namespace card
