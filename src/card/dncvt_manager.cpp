#include "card/dncvt_manager.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "card/hwcfg_manager.h"
#include "config/globals.h"
#include "util/error_log.h"

namespace card {
namespace {

constexpr int kMaxRecords = static_cast<int>(kDnCvtRecords);

// What a simulated converter channel offers.
constexpr std::array<double, kDnCvtIfFilters> kDemoFiltersKhz{250, 500, 1000, 2000, 4000, 6000, 10000, 20000};
constexpr std::array<double, kDnCvtAgcTimeConstants> kDemoTcMsecs{0.1, 0.3, 1.0, 3.0, 10.0, 30.0, 100.0, 1000.0};
constexpr std::array<DnCvtFreqBand, 2> kDemoBands{DnCvtFreqBand{1435.0, 1540.0}, DnCvtFreqBand{2200.0, 2400.0}};

DnCvtChannelRecord DemoRecord(std::int32_t kind, std::int32_t card, std::int32_t channel) {
  DnCvtChannelRecord record{};
  record.Kind = kind;
  record.Card = card;
  record.Channel = channel;
  for (std::size_t i = 0; i < kDnCvtIfFilters; ++i) record.IfFilterBwKhz[i] = kDemoFiltersKhz[i];
  for (std::size_t i = 0; i < kDnCvtAgcTimeConstants; ++i) record.AgcTcMsecs[i] = kDemoTcMsecs[i];
  for (std::size_t i = 0; i < kDemoBands.size(); ++i) record.FreqBands[i] = kDemoBands[i];
  return record;
}

bool SameChannel(const DnCvtChannelRecord& a, std::int32_t kind, std::int32_t card, std::int32_t channel) {
  return a.Kind == kind && a.Card == card && a.Channel == channel;
}

// Gives `fresh` the setup of the channel's record in `previous`, when it had one.
void KeepSetup(const DnCvtChannelRecords& previous, DnCvtChannelRecord& fresh) {
  for (const DnCvtChannelRecord& old : previous) {
    if (old.Kind != kDnCvtKindNone && SameChannel(old, fresh.Kind, fresh.Card, fresh.Channel)) {
      fresh.Setup = old.Setup;
      fresh.AgcValue = old.AgcValue;
      fresh.AgcZeroReference = old.AgcZeroReference;
      return;
    }
  }
}

void LogClamped(int total) {
  util::WriteErrorLogLine(std::to_string(total) + " down-converter channels found, only the first " +
                              std::to_string(kMaxRecords) + " are used",
                          total);
}

}  // namespace

void BuildDownConverterList(int& count, DnCvtChannelRecords& records, const std::array<HwCfgEnableRecord, 3>& enables,
                            int kr14Channels, int kr12Channels, DnCvtChannelsPerCard perCard) {
  const DnCvtChannelRecords previous = records;
  const HwCfgEnableRecord kr12 = enables[kHwCfgKr12];
  const HwCfgEnableRecord kr14 = enables[kHwCfgKr14];
  const int n12 = kr12.Enabled != 0 ? std::max(kr12Channels, 0) : 0;
  const int n14 = kr14.Enabled != 0 ? std::max(kr14Channels, 0) : 0;
  const long long total = static_cast<long long>(n12) + n14;
  if (total > kMaxRecords) LogClamped(static_cast<int>(std::min<long long>(total, 1 << 30)));

  records = DnCvtChannelRecords{};
  int used = 0;
  const auto place = [&](std::int32_t kind, std::int32_t card, std::int32_t channel) {
    DnCvtChannelRecord record{};
    record.Kind = kind;
    record.Card = card;
    record.Channel = channel;
    for (const DnCvtChannelRecord& old : previous) {
      if (SameChannel(old, kind, card, channel)) {
        record = old;
        break;
      }
    }
    records[static_cast<std::size_t>(used++)] = record;
  };
  const DnCvtChannelsPerCard simulated{};
  const int per12 = std::max(kr12.Simulated != 0 ? simulated.Kr12 : perCard.Kr12, 1);
  const int per14 = std::max(kr14.Simulated != 0 ? simulated.Kr14 : perCard.Kr14, 1);
  for (int i = 0; i < n12 && used < kMaxRecords; ++i) place(kDnCvtKindKr12, i / per12, i % per12);
  for (int i = 0; i < n14 && used < kMaxRecords; ++i) place(kDnCvtKindKr14, i / per14, i % per14);
  count = used;
}

void DownConverterAssignmentLabel(int index, const DnCvtChannelRecords& records, std::string& text) {
  if (index < 0 || index >= kMaxRecords) {
    text = "NOT USED";
    return;
  }
  const DnCvtChannelRecord& record = records[static_cast<std::size_t>(index)];
  const std::int32_t kind = record.Kind;
  if (kind != kDnCvtKindKr12 && kind != kDnCvtKindKr14) {
    text = "NOT USED";
    return;
  }
  const long long card = static_cast<long long>(record.Card) + 1;
  const long long channel = static_cast<long long>(record.Channel) + 1;
  text = std::string(kind == kDnCvtKindKr12 ? "KR-12P2" : "KR-14P3") + " Card " + std::to_string(card) + " Ch " +
         std::to_string(channel);
}

int GetDownConverterIndex(int card, int channel) {
  return gHwCfgMgr != nullptr ? gHwCfgMgr->GetDownConverterIndex(card, channel) : -1;
}

bool HasDownConverter(int card, int channel) {
  const int index = GetDownConverterIndex(card, channel);
  return index >= 0 && gDnCvtMgr != nullptr && gDnCvtMgr->IsValidIndex(index);
}

bool AssignKeepFreqInSpecs(int index, double freqMhz) {
  return gDnCvtMgr != nullptr && gDnCvtMgr->AssignKeepFreqInSpecs(index, freqMhz);
}

}  // namespace card

using namespace card;

quorxdncvtmgrclass::quorxdncvtmgrclass(std::string libraryFolder) : libraryFolder_(std::move(libraryFolder)) {}

quorxdncvtmgrclass::~quorxdncvtmgrclass() { CloseAll(); }

void quorxdncvtmgrclass::Configure(const HwCfgEnableRecord& kr12, const HwCfgEnableRecord& kr14) {
  kr12_.enable = kr12;
  kr14_.enable = kr14;
}

bool quorxdncvtmgrclass::BindLibrary(TypeState& type) {
  return type.library.Loaded() || type.library.Load(libraryFolder_);
}

bool quorxdncvtmgrclass::OpenType(TypeState& type) {
  type.cards.clear();
  const HwCfgEnableRecord enable = type.enable;
  if (enable.Enabled == 0 || enable.Simulated != 0) return true;
  if (!BindLibrary(type)) return false;
  bool ok = true;
  const int count = CountDnCvtCards(type.library);
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<dncvtcardclass> card = MakeDnCvtCard(i, type.library);
    if (card->Open()) {
      type.cards.push_back(std::move(card));
    } else {
      ok = false;
    }
  }
  return ok;
}

bool quorxdncvtmgrclass::OpenAll() {
  bool ok = OpenType(kr12_);
  ok = OpenType(kr14_) && ok;

  const DnCvtChannelRecords previous = Records;
  DnCvtChannelRecords fresh{};
  int used = 0;
  int total = 0;
  std::array<int, 2> placed{};  // Kr12, Kr14
  const auto place = [&](DnCvtChannelRecord record) {
    ++total;
    if (used >= kMaxRecords) return;
    KeepSetup(previous, record);
    placed[record.Kind == kDnCvtKindKr14 ? 1 : 0]++;
    fresh[static_cast<std::size_t>(used++)] = record;
  };
  for (TypeState* type : {&kr12_, &kr14_}) {
    const HwCfgEnableRecord enable = type->enable;
    if (enable.Enabled == 0) continue;
    const std::int32_t kind = type == &kr14_ ? kDnCvtKindKr14 : kDnCvtKindKr12;
    if (enable.Simulated != 0) {
      // Kr12: radios of one channel; Kr14: channels, two per card.
      const std::int32_t simulated = enable.NumToSimulate;
      for (std::int32_t i = 0; i < std::clamp(simulated, 0, kMaxRecords); ++i) {
        place(kind == kDnCvtKindKr14 ? DemoRecord(kind, i / 2, i % 2) : DemoRecord(kind, i, 0));
      }
      continue;
    }
    for (const std::unique_ptr<dncvtcardclass>& card : type->cards) {
      for (int channel = 0; channel < card->ChannelCount(); ++channel) {
        DnCvtChannelRecord record{};
        card->ReadChannelTables(channel, record);
        place(record);
      }
    }
  }
  if (total > kMaxRecords) LogClamped(total);

  Records = fresh;
  NumDnCvts = used;
  NumKr12Channels = placed[0];
  NumKr14Channels = placed[1];
  const HwCfgEnableRecord kr12 = kr12_.enable;
  const HwCfgEnableRecord kr14 = kr14_.enable;
  NumKr12Cards = kr12.Simulated != 0 ? placed[0] : static_cast<int>(kr12_.cards.size());
  NumKr14Cards = kr14.Simulated != 0 ? (placed[1] + 1) / 2 : static_cast<int>(kr14_.cards.size());
  return ok;
}

void quorxdncvtmgrclass::CloseAll() {
  kr12_.cards.clear();
  kr14_.cards.clear();
}

int quorxdncvtmgrclass::ProbeCards(TypeState& type) {
  if (!type.cards.empty()) return static_cast<int>(type.cards.size());
  if (!BindLibrary(type)) return 0;
  int found = 0;
  const int count = CountDnCvtCards(type.library);
  for (int i = 0; i < count; ++i) {
    if (MakeDnCvtCard(i, type.library)->Open()) ++found;
  }
  return found;
}

DnCvtChannelsPerCard quorxdncvtmgrclass::ChannelsPerCard() const {
  DnCvtChannelsPerCard perCard;
  if (!kr12_.cards.empty() && kr12_.cards.front()->ChannelCount() > 0) perCard.Kr12 = kr12_.cards.front()->ChannelCount();
  if (!kr14_.cards.empty() && kr14_.cards.front()->ChannelCount() > 0) perCard.Kr14 = kr14_.cards.front()->ChannelCount();
  return perCard;
}

int quorxdncvtmgrclass::ProbeKr12Cards() { return ProbeCards(kr12_); }
int quorxdncvtmgrclass::ProbeKr14Cards() { return ProbeCards(kr14_); }

bool quorxdncvtmgrclass::IsValidIndex(int index) const {
  if (index < 0 || index >= kMaxRecords || index >= NumDnCvts) return false;
  const std::int32_t kind = Records[static_cast<std::size_t>(index)].Kind;
  return kind == kDnCvtKindKr12 || kind == kDnCvtKindKr14;
}

dncvtcardclass* quorxdncvtmgrclass::CardOf(int index) const {
  if (!IsValidIndex(index)) return nullptr;
  const DnCvtChannelRecord& record = Records[static_cast<std::size_t>(index)];
  const std::int32_t card = record.Card;
  const TypeState& type = record.Kind == kDnCvtKindKr14 ? kr14_ : kr12_;
  for (const std::unique_ptr<dncvtcardclass>& object : type.cards) {
    if (object->CardIndex() == card) return object.get();
  }
  return nullptr;
}

template <class SendFn>
bool quorxdncvtmgrclass::Send(int index, SendFn&& send) {
  const DnCvtChannelRecord& record = Records[static_cast<std::size_t>(index)];
  const HwCfgEnableRecord enable = record.Kind == kDnCvtKindKr14 ? kr14_.enable : kr12_.enable;
  if (enable.Simulated != 0) return true;
  dncvtcardclass* card = CardOf(index);
  return card != nullptr && send(*card, static_cast<int>(record.Channel));
}

bool quorxdncvtmgrclass::AssignKeepFreqInSpecs(int index, double freqMhz) {
  if (!IsValidIndex(index)) return false;
  DnCvtChannelRecord& record = Records[static_cast<std::size_t>(index)];
  if (std::isfinite(freqMhz)) {
    for (std::size_t b = 0; b < kDnCvtFreqBands; ++b) {
      const DnCvtFreqBand band = record.FreqBands[b];
      if (band.StartMhz <= 0.0 || band.StopMhz <= 0.0) continue;
      if (freqMhz >= band.StartMhz && freqMhz <= band.StopMhz) {
        record.Setup.FreqMhz = freqMhz;
        record.Setup.FreqBandSelected = static_cast<std::int32_t>(b);
        return true;
      }
    }
  }
  util::WriteErrorLogLine("Freq Not In Available Freq Range, freq won't change", index);
  return false;
}

bool quorxdncvtmgrclass::DnCvtApplySetup(int index) {
  if (!IsValidIndex(index)) return false;
  const DnCvtSetupRecord setup = Records[static_cast<std::size_t>(index)].Setup;
  return Send(index, [&setup](dncvtcardclass& card, int channel) { return card.ApplySetup(channel, setup); });
}

bool quorxdncvtmgrclass::DnCvtSetAgcFreeze(int index, std::uint8_t on) {
  if (!IsValidIndex(index)) return false;
  Records[static_cast<std::size_t>(index)].Setup.AgcFreezeEnabled = on != 0 ? 1 : 0;
  return Send(index, [on](dncvtcardclass& card, int channel) { return card.SetAgcFreeze(channel, on != 0); });
}

bool quorxdncvtmgrclass::DnCvtSetAgcZero(int index, std::uint8_t on) {
  if (!IsValidIndex(index)) return false;
  DnCvtChannelRecord& record = Records[static_cast<std::size_t>(index)];
  record.Setup.AgcZeroEnabled = on != 0 ? 1 : 0;
  if (on != 0) record.AgcZeroReference = record.AgcValue;
  return Send(index, [on](dncvtcardclass& card, int channel) { return card.SetAgcZero(channel, on != 0); });
}

bool quorxdncvtmgrclass::DnCvtSetTimeConstant(int index, std::int32_t tcIndex) {
  if (!IsValidIndex(index)) return false;
  Records[static_cast<std::size_t>(index)].Setup.TcSelected = tcIndex;
  return Send(index, [tcIndex](dncvtcardclass& card, int channel) { return card.SetAgcTimeConstant(channel, tcIndex); });
}

bool quorxdncvtmgrclass::DnCvtSetIfBandwidth(int index, std::int32_t filterIndex) {
  if (!IsValidIndex(index)) return false;
  Records[static_cast<std::size_t>(index)].Setup.BwFilterSelected = filterIndex;
  return Send(index,
              [filterIndex](dncvtcardclass& card, int channel) { return card.SetIfBandwidth(channel, filterIndex); });
}

bool quorxdncvtmgrclass::DnCvtSetLimitedOutputMode(int index, std::uint8_t on) {
  if (!IsValidIndex(index)) return false;
  Records[static_cast<std::size_t>(index)].Setup.LimitedOutputMode = on != 0 ? 1 : 0;
  return Send(index, [on](dncvtcardclass& card, int channel) { return card.SetLimitedOutputMode(channel, on != 0); });
}

bool quorxdncvtmgrclass::DnCvtSetDigitalAgcMode(int index, std::int32_t mode) {
  if (!IsValidIndex(index)) return false;
  Records[static_cast<std::size_t>(index)].Setup.DigitalAgcMode = mode;
  return Send(index, [mode](dncvtcardclass& card, int channel) { return card.SetDigitalAgcMode(channel, mode); });
}

bool quorxdncvtmgrclass::DnCvtReadStrength(int index, double& dbm) {
  const dncvtcardclass* card = CardOf(index);
  double value = 0.0;
  if (card == nullptr || !card->ReadStrength(Records[static_cast<std::size_t>(index)].Channel, value)) return false;
  Records[static_cast<std::size_t>(index)].AgcValue = value;
  dbm = value;
  return true;
}

bool quorxdncvtmgrclass::DnCvtReadPllStatus(int index, std::uint8_t& status1, std::uint8_t& status2,
                                            std::uint8_t& status3) const {
  const dncvtcardclass* card = CardOf(index);
  return card != nullptr &&
         card->ReadPllStatus(Records[static_cast<std::size_t>(index)].Channel, status1, status2, status3);
}

bool quorxdncvtmgrclass::DnCvtReadAmFrequency(int index, std::int32_t& hz) const {
  const dncvtcardclass* card = CardOf(index);
  return card != nullptr && card->ReadAmFrequency(Records[static_cast<std::size_t>(index)].Channel, hz);
}

bool quorxdncvtmgrclass::DnCvtReadAmIndex(int index, double& amIndex) const {
  const dncvtcardclass* card = CardOf(index);
  return card != nullptr && card->ReadAmIndex(Records[static_cast<std::size_t>(index)].Channel, amIndex);
}
