// The set manager object: what construction leaves, its installation as the card layer's IF
// receiver-logic setters, and the repeat-rule table every setter follows.
#include "settings/set_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <utility>

#include "card/if_rx_auto_logic.h"

namespace {

using settings::Repeat;
using settings::RuleOf;
using settings::SetterId;

bool AllZero(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

TEST(SetManager, ConstructionZeroesTheRecordsFillsTheListsAndInstallsItself) {
  config::gApp.Recording = true;
  auto manager = std::make_unique<kr20setmgrclass>();
  EXPECT_FALSE(config::gApp.Recording.load());
  EXPECT_TRUE(manager->ProjectName.empty());
  for (int card = 0; card < settings::kCards; ++card) {
    EXPECT_TRUE(manager->SetupFileNames[static_cast<std::size_t>(card)].empty());
    EXPECT_EQ(manager->FlightRecords[static_cast<std::size_t>(card)].File, nullptr);
    EXPECT_TRUE(manager->FlightRecords[static_cast<std::size_t>(card)].FileName.empty());
  }
  EXPECT_TRUE(AllZero(&manager->StatusRecords(), sizeof(settings::StatusRecordTable)));
  EXPECT_TRUE(AllZero(&manager->DisplayBlocks(), sizeof(settings::DisplayBlockTable)));
  // [card][channel], card-major and contiguous.
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&manager->StatusRecord(1, 0)) -
                reinterpret_cast<const unsigned char*>(&manager->StatusRecord(0, 0)),
            2 * 1509);
  EXPECT_EQ(sizeof(settings::DisplayBlockTable), 12u * 393'225u);

  EXPECT_EQ(manager->PcmInputCodeList.size(), 12u);
  EXPECT_EQ(manager->PcmOutputCodeList.size(), 6u);
  EXPECT_EQ(manager->PmInputSourceList, (std::vector<std::string>{"IF_1", "IF_2"}));
  EXPECT_EQ(manager->PskInputSourceList.size(), 3u);
  EXPECT_EQ(manager->FmInputSourceList.size(), 3u);
  EXPECT_FALSE(manager->ModulationList.empty());

  EXPECT_EQ(card::InstalledIfRxAutoSetters(), manager.get());
  // Destruction uninstalls only itself.
  auto second = std::make_unique<kr20setmgrclass>();
  manager.reset();
  EXPECT_EQ(card::InstalledIfRxAutoSetters(), second.get());
  second.reset();
  EXPECT_EQ(card::InstalledIfRxAutoSetters(), nullptr);
}

TEST(SetterRules, OneEntryPerSetterWithTheExceptionsOfTheRule) {
  std::set<std::string> names;
  for (const settings::SetterRule& rule : settings::kSetterRules) names.insert(rule.Name);
  EXPECT_EQ(names.size(), settings::kSetterRules.size());

  const std::pair<SetterId, Repeat> rules[] = {
      {SetterId::ViterbiDecodeEnable, Repeat::Always},     {SetterId::ViterbiSymbolInvert, Repeat::Always},
      {SetterId::ViterbiRateMode, Repeat::Always},         {SetterId::ViterbiSymbolOrder, Repeat::Always},
      {SetterId::InputSource, Repeat::Never},              {SetterId::TunedFreq, Repeat::OutsideFreqDiversity},
      {SetterId::PreDCombinerMode, Repeat::PerCard},       {SetterId::PostDCombinerMode, Repeat::PerCard},
      {SetterId::PreDSignalBw, Repeat::PerCard},           {SetterId::PreDTimeConst, Repeat::PerCard},
      {SetterId::PreDPhaseTimeConst, Repeat::PerCard},     {SetterId::PreDNoiseEstimateMode, Repeat::PerCard},
      {SetterId::PreDCenterFreq, Repeat::PerCard},         {SetterId::PreDFixedNoise, Repeat::PerCard},
      {SetterId::AgcTimeConst, Repeat::WhereDnCvtTied},    {SetterId::SawIfFilter, Repeat::WhereDnCvtTied},
      {SetterId::DnCvtLimitedOutputMode, Repeat::WhereDnCvtTied},
      {SetterId::DnCvtDigitalAgcMode, Repeat::WhereDnCvtTied},
      {SetterId::SignalThreshold, Repeat::WithRouteMode}};
  for (const auto& [id, rule] : rules) EXPECT_EQ(RuleOf(id).Rule, rule) << RuleOf(id).Name;
  EXPECT_FALSE(RuleOf(SetterId::TunedFreq).RouteApply);
  EXPECT_FALSE(RuleOf(SetterId::TunedFreqBoth).RouteApply);
}

TEST(SetterRules, RepeatDecisionByRouteModeDiversityAndConverters) {
  struct Case {
    Repeat rule;
    int routeMode;
    bool freqDiversity;
    bool converters;
    bool repeats;
  };
  const Case cases[] = {
      {Repeat::WithRouteMode, 0, false, true, false}, {Repeat::WithRouteMode, 1, false, true, true},
      {Repeat::WithRouteMode, 2, true, false, true},  {Repeat::Always, 0, false, false, true},
      {Repeat::Never, 1, false, true, false},         {Repeat::PerCard, 2, false, true, false},
      {Repeat::OutsideFreqDiversity, 0, false, true, false},
      {Repeat::OutsideFreqDiversity, 1, false, true, true},
      {Repeat::OutsideFreqDiversity, 1, true, true, false},
      {Repeat::WhereDnCvtTied, 1, false, true, true}, {Repeat::WhereDnCvtTied, 1, false, false, false},
      {Repeat::WhereDnCvtTied, 0, false, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(settings::RepeatsForOtherChannel(c.rule, c.routeMode, c.freqDiversity, c.converters), c.repeats)
        << static_cast<int>(c.rule) << " " << c.routeMode;
  }
  EXPECT_EQ(settings::OtherChannel(0), 1);
  EXPECT_EQ(settings::OtherChannel(1), 0);
  EXPECT_EQ(settings::OtherChannel(7), 0);
}

}  // namespace
