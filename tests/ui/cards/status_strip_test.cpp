// The main window's per-card status strips on virtual and simulated cards.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPalette>

#include <array>
#include <cstring>
#include <string>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/personality_routines.h"
#include "card/rtl20_manager.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "settings/window_messages.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/cards/status_combiner_form.h"
#include "ui/cards/card_window.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/setup_main_gui_form.h"
#include "ui/cards/status_independent_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/main_form_fixture.h"
#include "util/gui/qt_colour.h"
#include "util/gui/status_lamp.h"

namespace uitest {
namespace {

class StatusStripTest : public MainFormTest {
 protected:
  TSM_MainStatusBarForm* Strip(int card) const { return form_->StatusBar(card); }
  static card::CardSetupRecord& CardSetup(int card) { return gRtl20Mgr->Card(card)->Setup(); }
  static settings::ChannelStatusRecord& Status(int card, int channel) {
    return gKr20SetMgr->StatusRecord(card, channel);
  }
  QFrame* Host(int i) const { return form_->findChild<QFrame*>(QStringLiteral("PanelDg%1").arg(i + 1)); }
  // The card's strip in route mode 1, showing its combiner panel.
  TSM_Status_CombinerForm* CombinedPanel(int card) const {
    CardSetup(card).RouteInfo.RouteMode = 1;
    Strip(card)->ArrangePanels();
    return Strip(card)->CombinerPanel();
  }
};

constexpr util::TColor kLime = 0x00FF00u;
constexpr util::TColor kYellow = 0x00FFFFu;

void SetReceiverName(settings::ChannelStatusRecord& status, const char* name) {
  std::memset(status.Receiver.ReceiverName, 0, sizeof status.Receiver.ReceiverName);
  std::strncpy(status.Receiver.ReceiverName, name, sizeof status.Receiver.ReceiverName - 1);
}

// One card on the given board running the given personality at power-up.
std::string OneCard(bool chipVariant, int personality) {
  return "[General]\nCards=1\nSeed=3\nChipVariant=" + std::string(chipVariant ? "YES" : "NO") +
         "\n[Card_0]\nFpgaMode=" + std::to_string(personality) + "\n[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";
}

QColor FontColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }
QColor Background(const QWidget* widget) { return widget->palette().color(QPalette::Window); }

TEST_F(StatusStripTest, OneStripPerCardInItsHostAndTheWindowFitsThem) {
  PrepareProgramFolder(2);
  StartProgram();
  for (int card = 0; card < 2; ++card) {
    SCOPED_TRACE(card);
    TSM_MainStatusBarForm* strip = Strip(card);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->objectName().toStdString(), "MAIN_SM_STATUS_" + std::to_string(card));
    EXPECT_EQ(strip->parentWidget(), Host(card));
    EXPECT_TRUE(Host(card)->isVisible());
    EXPECT_EQ(Host(card)->y(), 5 + 22 * card);
    EXPECT_EQ(Host(card)->height(), 22);
    // The panels exist once the strip was shown.
    EXPECT_NE(strip->findChild<TSM_Status_IndependentForm*>("MAIN_SM_STATUS_IND_0"), nullptr);
    EXPECT_NE(strip->findChild<TSM_Status_IndependentForm*>("MAIN_SM_STATUS_IND_1"), nullptr);
    EXPECT_NE(strip->findChild<TSM_Status_CombinerForm*>("MAIN_SM_STATUS_COMB"), nullptr);
  }
  for (int card = 2; card < 6; ++card) {
    EXPECT_EQ(Strip(card), nullptr);
    EXPECT_FALSE(Host(card)->isVisible());
  }
  QFrame* mainStatus = form_->findChild<QFrame*>("PanelMainStatus");
  EXPECT_EQ(mainStatus->height(), 10 + 2 * 22);
  EXPECT_GE(form_->width(), 678);
}

// Widths by route mode, and which compact panel each route mode shows.
TEST_F(StatusStripTest, PanelsFollowTheRouteMode) {
  PrepareProgramFolder(1);
  StartProgram();
  TSM_MainStatusBarForm* strip = Strip(0);
  ASSERT_NE(strip, nullptr);
  const struct {
    int routeMode;
    bool single;
    int width1;
    bool status2;
    int width2;
    bool independent0, independent1, combiner;
  } rows[] = {
      {0, false, 104, true, 104, true, true, false},
      {1, false, 187, false, 104, false, false, true},
      {2, false, 282, false, 104, false, false, false},
      {0, true, 104, true, 104, true, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "route mode " << row.routeMode << " single " << row.single);
    config::gApp.Options->Info().SingleChannelUsage = row.single ? 1 : 0;
    CardSetup(0).RouteInfo.RouteMode = row.routeMode;
    strip->ArrangePanels();
    strip->UpdateDisplay();
    EXPECT_EQ(strip->PanelStatus1->width(), row.width1);
    EXPECT_TRUE(strip->PanelStatus1->isVisible());
    EXPECT_EQ(strip->PanelStatus2->isVisible(), row.status2);
    EXPECT_EQ(strip->PanelStatus2->width(), row.width2);
    EXPECT_EQ(strip->IndependentPanel(0)->isVisible(), row.independent0);
    EXPECT_EQ(strip->IndependentPanel(1)->isVisibleTo(strip), row.independent1);
    EXPECT_EQ(strip->CombinerPanel()->isVisible(), row.combiner);
    // The designation shows in every route mode.
    EXPECT_EQ(strip->PanelDesignation->text().toStdString(), card::CardDesignationName(0) + "  ");
  }
  // Another route mode leaves the widths alone.
  CardSetup(0).RouteInfo.RouteMode = 7;
  strip->ArrangePanels();
  EXPECT_EQ(strip->PanelStatus1->width(), 104);
  config::gApp.Options->Info().SingleChannelUsage = 0;
}

// The 60001 handler re-arranges the strip of the card that changed.
TEST_F(StatusStripTest, CardChangedMessageArrangesTheStrip) {
  PrepareProgramFolder(2);
  StartProgram();
  CardSetup(1).RouteInfo.RouteMode = 2;
  config::gApp.ReconfigurationPending = true;
  form_->Send(settings::kWmCardChanged, 1, 1);
  EXPECT_EQ(Strip(1)->PanelStatus1->width(), 282);
  EXPECT_FALSE(Strip(1)->PanelStatus2->isVisible());
  EXPECT_TRUE(Strip(0)->PanelStatus2->isVisible());
}

TEST_F(StatusStripTest, IndependentPanelLampsStrengthAndHint) {
  PrepareProgramFolder(2);
  StartProgram();
  TSM_MainStatusBarForm* strip = Strip(1);
  CardSetup(1).RouteInfo.RouteMode = 0;
  strip->ArrangePanels();
  TSM_Status_IndependentForm* panel = strip->IndependentPanel(0);
  ASSERT_NE(panel, nullptr);

  card::SetStreamDesignation(1, 0, "");
  Status(1, 0).Receiver.CarrierLocked = 1;
  Status(1, 0).BitSync1.Locked = 0;
  Status(1, 0).DnCvt.SignalStrength = -53.4;
  panel->UpdateDisplay();
  EXPECT_EQ(panel->LabelStrength->text().toStdString(), "-53");
  EXPECT_EQ(panel->toolTip().toStdString(), "Group 2 Ch 1");
  EXPECT_EQ(panel->ShapeCarrierLock->Colour(), 0x00FF00u);
  EXPECT_EQ(panel->ShapeBsLock->Colour(), 0x00FFFFu);
  EXPECT_TRUE(panel->ShapeBsLock->isVisibleTo(panel));
  EXPECT_FALSE(panel->ShapeBsLock2->isVisibleTo(panel));
  EXPECT_EQ(panel->ShapeBsLock->y(), panel->ShapeCarrierLock->y());
  // The strength shows where the hardware configuration ties a down-converter to the channel.
  EXPECT_EQ(panel->LabelStrength->isVisibleTo(panel), card::HasDownConverter(1, 0));
  EXPECT_EQ(FontColour(panel), util::ToQColor(config::gApp.Options->Info().ColorScheme[config::kAppStatusDataColor]));

  card::SetStreamDesignation(1, 0, "TLM A");
  Status(1, 0).Receiver.CarrierLocked = 0;
  Status(1, 0).BitSync1.Locked = 1;
  panel->UpdateDisplay();
  EXPECT_EQ(panel->toolTip().toStdString(), "TLM A");
  EXPECT_EQ(panel->ShapeCarrierLock->Colour(), 0x00FFFFu);
  EXPECT_EQ(panel->ShapeBsLock->Colour(), 0x00FF00u);
}

TEST_F(StatusStripTest, CombinerPanelHintAndLamps) {
  PrepareProgramFolder(1);
  StartProgram();
  TSM_MainStatusBarForm* strip = Strip(0);
  CardSetup(0).RouteInfo.RouteMode = 1;
  strip->ArrangePanels();
  TSM_Status_CombinerForm* panel = strip->CombinerPanel();
  ASSERT_NE(panel, nullptr);
  card::SetCardDesignation(0, "");
  Status(0, 0).Receiver.CarrierLocked = 0;
  Status(0, 1).Receiver.CarrierLocked = 1;
  Status(0, 0).BitSync1.Locked = 1;
  Status(0, 1).BitSync1.Locked = 0;
  panel->UpdateCombinerStatus();
  EXPECT_EQ(panel->toolTip().toStdString(), "Group 1 Ch 1");
  const bool usable = card::IsCombinerUsable(0);
  const bool combined = card::IsCardCombining(0);
  EXPECT_EQ(panel->ShapeCarrierLockA->isVisibleTo(panel), combined);
  EXPECT_EQ(panel->ShapeCarrierLockB->isVisibleTo(panel), !combined);
  // Channel 1's own lamps, or both channels' together when the combiner is usable.
  EXPECT_EQ(panel->ShapeCarrierLockA->Colour(), usable ? 0x00FF00u : 0x00FFFFu);
  EXPECT_EQ(panel->ShapeBsLockChA->Colour(), 0x00FF00u);
  EXPECT_EQ(panel->ShapeCarrierLockB->Colour(), 0x00FF00u);
  EXPECT_EQ(panel->ShapeBsLockChB->Colour(), usable ? 0x00FF00u : 0x00FFFFu);
  EXPECT_EQ(panel->ShapeCarrierLockA->toolTip().toStdString(), usable ? "IF Detect" : "IF Detect Ch 1");
  EXPECT_EQ(panel->ShapeBsLockChB->toolTip().toStdString(), usable ? "Bitsync Lock" : "Bitsync Lock Ch 2");

  card::SetCardDesignation(0, "RX ONE");
  panel->UpdateCombinerStatus();
  EXPECT_EQ(panel->toolTip().toStdString(), "RX ONE");
}

// With a usable post-D combiner (route mode 1) each lamp shows either channel's lock: one channel
// locked is enough, on the IF-detect and on the bit-sync lamps alike; the hints name no channel.
TEST_F(StatusStripTest, UsableCombinerLampsShowEitherChannelsLock) {
  PrepareProgramFolder(1, false, OneCard(true, 6));
  StartProgram();
  // The card's post-D personality, as a mode change loads it.
  CardSetup(0).RouteInfo.FpgaMasterMode = CardSetup(0).RouteInfo.UserReceiverMode = 6;
  bool reloaded = false;
  config::gApp.ReconfigurationPending = true;
  ASSERT_TRUE(card::ApplyPersonalityChange(0, 6, false, reloaded));
  ASSERT_TRUE(RunUntil([] { return !config::gApp.ReconfigurationPending.load(); }, std::chrono::seconds(10)));
  ASSERT_EQ(card::CardFpgaMode(0), 6);
  TSM_MainStatusBarForm* strip = Strip(0);
  CardSetup(0).RouteInfo.RouteMode = 1;
  strip->ArrangePanels();
  ASSERT_TRUE(card::IsCombinerUsable(0));
  TSM_Status_CombinerForm* panel = strip->CombinerPanel();
  ASSERT_NE(panel, nullptr);
  const struct {
    const char* name;
    std::uint8_t carrier1, carrier2, bitSync1, bitSync2;
    util::TColor carrier, bitSync;
  } rows[] = {
      {"channel 1 locked", 1, 0, 1, 0, kLime, kLime},
      {"channel 2 locked", 0, 1, 0, 1, kLime, kLime},
      {"IF detected on 1, bit sync on 2", 1, 0, 0, 1, kLime, kLime},
      {"nothing locked", 0, 0, 0, 0, kYellow, kYellow},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Status(0, 0).Receiver.CarrierLocked = row.carrier1;
    Status(0, 1).Receiver.CarrierLocked = row.carrier2;
    Status(0, 0).BitSync1.Locked = row.bitSync1;
    Status(0, 1).BitSync1.Locked = row.bitSync2;
    panel->UpdateCombinerStatus();
    for (const util::StatusLamp* lamp : {panel->ShapeCarrierLockA, panel->ShapeCarrierLockB}) {
      EXPECT_EQ(lamp->Colour(), row.carrier) << lamp->objectName().toStdString();
      EXPECT_EQ(lamp->toolTip().toStdString(), "IF Detect");
    }
    for (const util::StatusLamp* lamp : {panel->ShapeBsLockChA, panel->ShapeBsLockChB}) {
      EXPECT_EQ(lamp->Colour(), row.bitSync) << lamp->objectName().toStdString();
      EXPECT_EQ(lamp->toolTip().toStdString(), "Bitsync Lock");
    }
  }
}

// Each channel's strength is shown only where a down-converter serves that channel: the
// independent panels and the combiner panel alike, with the converter on one channel only.
TEST_F(StatusStripTest, EachStrengthIsShownByItsOwnChannelsConverter) {
  PrepareProgramFolder(1, false,
                       "[General]\nCards=1\nSeed=3\n[Card_0]\nFpgaMode=0\n[DownConverters]\nKr12Cards=1\n"
                       "Kr12Channels=2\nKr14Cards=0\n");
  StartProgram();
  ASSERT_NE(gDnCvtMgr, nullptr);
  ASSERT_EQ(gDnCvtMgr->NumDnCvts, 2);
  TSM_MainStatusBarForm* strip = Strip(0);
  ASSERT_NE(gHwCfgMgr, nullptr);
  const std::array<std::int32_t, 2> saved{gHwCfgMgr->CardSetRecords[0].DnCvtIndex[0],
                                          gHwCfgMgr->CardSetRecords[0].DnCvtIndex[1]};
  for (const int served : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "converter on channel " << served + 1);
    gHwCfgMgr->CardSetRecords[0].DnCvtIndex[0] = served == 0 ? 0 : -1;
    gHwCfgMgr->CardSetRecords[0].DnCvtIndex[1] = served == 1 ? 0 : -1;

    CardSetup(0).RouteInfo.RouteMode = 0;
    strip->ArrangePanels();
    strip->UpdateDisplay();
    for (int channel = 0; channel < 2; ++channel) {
      const TSM_Status_IndependentForm* panel = strip->IndependentPanel(channel);
      ASSERT_NE(panel, nullptr);
      EXPECT_EQ(panel->LabelStrength->isVisibleTo(panel), channel == served) << "independent panel " << channel + 1;
    }

    CardSetup(0).RouteInfo.RouteMode = 1;
    strip->ArrangePanels();
    strip->UpdateDisplay();
    const TSM_Status_CombinerForm* combiner = strip->CombinerPanel();
    ASSERT_NE(combiner, nullptr);
    EXPECT_EQ(combiner->LabelStrengthChA->isVisibleTo(combiner), served == 0);
    EXPECT_EQ(combiner->LabelStrengthChB->isVisibleTo(combiner), served == 1);
  }
  gHwCfgMgr->CardSetRecords[0].DnCvtIndex[0] = saved[0];
  gHwCfgMgr->CardSetRecords[0].DnCvtIndex[1] = saved[1];
}

// In route mode 1 the strip's own refresh (the 0.1 s task) brings the combiner panel's values up
// to date, not only its visibility.
TEST_F(StatusStripTest, StripRefreshUpdatesTheCombinerPanelInRouteModeOne) {
  PrepareProgramFolder(1, false, OneCard(false, 0));
  StartProgram();
  TSM_MainStatusBarForm* strip = Strip(0);
  TSM_Status_CombinerForm* panel = CombinedPanel(0);
  ASSERT_NE(panel, nullptr);
  for (const bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "locked" : "unlocked");
    Status(0, 0).DnCvt.SignalStrength = locked ? -47.2 : -88.6;
    Status(0, 1).DnCvt.SignalStrength = locked ? -61.4 : -93.1;
    Status(0, 0).Receiver.CarrierLocked = Status(0, 1).Receiver.CarrierLocked = locked ? 1 : 0;
    Status(0, 0).BitSync1.Locked = Status(0, 1).BitSync1.Locked = locked ? 1 : 0;
    strip->UpdateDisplay();
    EXPECT_TRUE(panel->isVisibleTo(strip));
    EXPECT_EQ(panel->LabelStrengthChA->text().trimmed().toStdString(), locked ? "-47" : "-89");
    EXPECT_EQ(panel->LabelStrengthChB->text().trimmed().toStdString(), locked ? "-61" : "-93");
    EXPECT_EQ(panel->ShapeCarrierLockA->Colour(), locked ? kLime : kYellow);
    EXPECT_EQ(panel->ShapeBsLockChB->Colour(), locked ? kLime : kYellow);
  }
}

// A dual-transmit card running an unbalanced QPSK receiver shows each bit sync's own lock: stream
// 1 on the upper lamp, stream 2 on the lower one; other receivers show stream 1 only.
TEST_F(StatusStripTest, DualTransmitCardShowsEachBitSyncsOwnLock) {
  PrepareProgramFolder(1, false, OneCard(true, 4));
  StartProgram();
  ASSERT_TRUE(card::CardHasDualTransmit(0));
  TSM_MainStatusBarForm* strip = Strip(0);
  CardSetup(0).RouteInfo.RouteMode = 0;
  strip->ArrangePanels();
  TSM_Status_IndependentForm* panel = strip->IndependentPanel(0);
  ASSERT_NE(panel, nullptr);
  for (const char* receiver : {"UAQPSK", "AUQPSK"}) {
    SCOPED_TRACE(receiver);
    SetReceiverName(Status(0, 0), receiver);
    for (const bool firstLocked : {true, false}) {
      SCOPED_TRACE(firstLocked ? "bit sync 1 locked" : "bit sync 2 locked");
      Status(0, 0).BitSync1.Locked = firstLocked ? 1 : 0;
      Status(0, 0).BitSync2.Locked = firstLocked ? 0 : 1;
      panel->UpdateDisplay();
      EXPECT_TRUE(panel->ShapeBsLock2->isVisibleTo(panel));
      EXPECT_EQ(panel->ShapeBsLock->y(), 0);
      EXPECT_GT(panel->ShapeBsLock2->y(), panel->ShapeBsLock->y());
      EXPECT_EQ(panel->ShapeBsLock->Colour(), firstLocked ? kLime : kYellow);
      EXPECT_EQ(panel->ShapeBsLock2->Colour(), firstLocked ? kYellow : kLime);
    }
  }
  SetReceiverName(Status(0, 0), "QPSK");
  panel->UpdateDisplay();
  EXPECT_FALSE(panel->ShapeBsLock2->isVisibleTo(panel));
  EXPECT_EQ(panel->ShapeBsLock->y(), panel->ShapeCarrierLock->y());
}

// The same receiver names on a card without the dual transmit capability show one bit-sync lamp.
TEST_F(StatusStripTest, UnbalancedQpskWithoutDualTransmitShowsOneBitSyncLamp) {
  PrepareProgramFolder(1, false, OneCard(false, 0));
  StartProgram();
  ASSERT_FALSE(card::CardHasDualTransmit(0));
  TSM_MainStatusBarForm* strip = Strip(0);
  CardSetup(0).RouteInfo.RouteMode = 0;
  strip->ArrangePanels();
  TSM_Status_IndependentForm* panel = strip->IndependentPanel(0);
  ASSERT_NE(panel, nullptr);
  SetReceiverName(Status(0, 0), "UAQPSK");
  Status(0, 0).BitSync2.Locked = 1;
  panel->UpdateDisplay();
  EXPECT_FALSE(panel->ShapeBsLock2->isVisibleTo(panel));
  EXPECT_EQ(panel->ShapeBsLock->y(), panel->ShapeCarrierLock->y());
}

// Each strength label of the combiner panel shows its own channel's strength, in the operator's
// and in the developer's lamps alike.
TEST_F(StatusStripTest, CombinerPanelStrengthsAreEachChannelsOwn) {
  PrepareProgramFolder(1, false, OneCard(false, 0));
  StartProgram();
  TSM_Status_CombinerForm* panel = CombinedPanel(0);
  ASSERT_NE(panel, nullptr);
  Status(0, 0).DnCvt.SignalStrength = -53.4;
  Status(0, 1).DnCvt.SignalStrength = -71.6;
  for (const std::uint8_t developer : {std::uint8_t{0}, std::uint8_t{1}}) {
    SCOPED_TRACE(developer != 0 ? "developer mode" : "operator mode");
    config::gApp.DeveloperMode = developer;
    panel->UpdateCombinerStatus();
    EXPECT_EQ(panel->LabelStrengthChA->text().trimmed().toStdString(), "-53");
    EXPECT_EQ(panel->LabelStrengthChB->text().trimmed().toStdString(), "-72");
  }
  config::gApp.DeveloperMode = 0;
}

// In developer mode the combiner lamps show both channels' IF detection together; the bit-sync
// lamps channel 2's lock on a PSK-PCM/FM card, both channels' together otherwise; the hints stay.
void CheckDeveloperLamps(TSM_Status_CombinerForm* panel, bool pskFm) {
  config::gApp.DeveloperMode = 1;
  const QString carrierHint = panel->ShapeCarrierLockA->toolTip();
  const QString bitSyncHint = panel->ShapeBsLockChB->toolTip();
  settings::ChannelStatusRecord& ch1 = gKr20SetMgr->StatusRecord(0, 0);
  settings::ChannelStatusRecord& ch2 = gKr20SetMgr->StatusRecord(0, 1);
  for (int locked = 0; locked < 2; ++locked) {
    SCOPED_TRACE(testing::Message() << "channel " << locked + 1 << " locked");
    ch1.Receiver.CarrierLocked = locked == 0 ? 1 : 0;
    ch2.Receiver.CarrierLocked = locked == 1 ? 1 : 0;
    ch1.BitSync1.Locked = locked == 0 ? 1 : 0;
    ch2.BitSync1.Locked = locked == 1 ? 1 : 0;
    panel->UpdateCombinerStatus();
    EXPECT_EQ(panel->ShapeCarrierLockA->Colour(), kLime);
    EXPECT_EQ(panel->ShapeCarrierLockB->Colour(), kLime);
    const util::TColor bitSync = !pskFm || locked == 1 ? kLime : kYellow;
    EXPECT_EQ(panel->ShapeBsLockChA->Colour(), bitSync);
    EXPECT_EQ(panel->ShapeBsLockChB->Colour(), bitSync);
  }
  ch1.Receiver.CarrierLocked = ch2.Receiver.CarrierLocked = 0;
  ch1.BitSync1.Locked = ch2.BitSync1.Locked = 0;
  panel->UpdateCombinerStatus();
  EXPECT_EQ(panel->ShapeCarrierLockA->Colour(), kYellow);
  EXPECT_EQ(panel->ShapeBsLockChB->Colour(), kYellow);
  EXPECT_EQ(panel->ShapeCarrierLockA->toolTip(), carrierHint);
  EXPECT_EQ(panel->ShapeBsLockChB->toolTip(), bitSyncHint);
  config::gApp.DeveloperMode = 0;
}

TEST_F(StatusStripTest, DeveloperModeCombinerLampsOfAPskPcmFmCard) {
  PrepareProgramFolder(1, false, OneCard(false, 1));
  StartProgram();
  ASSERT_EQ(card::CardFpgaMode(0), 1);
  CardSetup(0).RouteInfo.RouteMode = 1;
  Strip(0)->ArrangePanels();
  ASSERT_NE(Strip(0)->CombinerPanel(), nullptr);
  CheckDeveloperLamps(Strip(0)->CombinerPanel(), true);
}

TEST_F(StatusStripTest, DeveloperModeCombinerLampsOfAPskPskCard) {
  PrepareProgramFolder(1, false, OneCard(false, 0));
  StartProgram();
  ASSERT_EQ(card::CardFpgaMode(0), 0);
  CardSetup(0).RouteInfo.RouteMode = 1;
  Strip(0)->ArrangePanels();
  ASSERT_NE(Strip(0)->CombinerPanel(), nullptr);
  CheckDeveloperLamps(Strip(0)->CombinerPanel(), false);
}

// With one channel per card the second channel's panel stays hidden in the independent layout.
TEST_F(StatusStripTest, SingleChannelUsageHidesTheSecondChannelsPanel) {
  PrepareProgramFolder(1, false, OneCard(false, 0));
  StartProgram();
  TSM_MainStatusBarForm* strip = Strip(0);
  CardSetup(0).RouteInfo.RouteMode = 0;
  strip->ArrangePanels();
  config::gApp.Options->Info().SingleChannelUsage = 1;
  strip->UpdateDisplay();
  EXPECT_TRUE(strip->IndependentPanel(0)->isVisibleTo(strip));
  EXPECT_FALSE(strip->IndependentPanel(1)->isVisibleTo(strip));
  config::gApp.Options->Info().SingleChannelUsage = 0;
  strip->UpdateDisplay();
  EXPECT_TRUE(strip->IndependentPanel(1)->isVisibleTo(strip));
}

TEST_F(StatusStripTest, WarningShowsOnlyWithATextInItsColour) {
  PrepareProgramFolder(1);
  StartProgram();
  Strip(0)->UpdateWarning();
  EXPECT_FALSE(Strip(0)->PanelStatusWarning->isVisibleTo(Strip(0)));
}

TEST_F(StatusStripTest, SimulatedCardsShowTheirNotice) {
  PrepareProgramFolder(2, true);
  StartProgram();
  ASSERT_TRUE(RunUntil([this] { return Strip(1) != nullptr && !Strip(1)->LabelWarning->text().isEmpty(); },
                       std::chrono::seconds(5)));
  EXPECT_EQ(Strip(1)->LabelWarning->text().toStdString(), "Notice:: HW Simulated ");
  EXPECT_TRUE(Strip(1)->PanelStatusWarning->isVisibleTo(Strip(1)));
  EXPECT_EQ(Background(Strip(1)->PanelStatusWarning), util::ToQColor(0x00FFFF));
}

// Six cards and the four converter channels of run.sh's folder (a Kr12 and a Kr14 card of two
// channels each), no hardware-configuration file: the converters go to cards 1 and 2, and only
// their channels show a strength, in the strips and the card windows alike. A channel that the
// file ties to a converter that is not there shows none either.
TEST_F(StatusStripTest, OnlyChannelsWithAConverterShowAStrength) {
  PrepareProgramFolder(6, false,
                       "[General]\nCards=6\nSeed=3\n[DownConverters]\nKr12Cards=1\nKr12Channels=2\n"
                       "Kr14Cards=1\nKr14Channels=2\n");
  StartProgram();
  ASSERT_EQ(gDnCvtMgr->NumDnCvts, 4);
  ASSERT_EQ(card::SystemCardCount(), 6);
  for (int card = 0; card < 6; ++card) {
    for (int channel = 0; channel < 2; ++channel) {
      SCOPED_TRACE(testing::Message() << "card " << card + 1 << " CH " << channel + 1);
      const bool converter = card < 2;
      EXPECT_EQ(card::GetDownConverterIndex(card, channel), converter ? card * 2 + channel : -1);
      CardSetup(card).RouteInfo.RouteMode = 0;
      Strip(card)->ArrangePanels();
      Strip(card)->UpdateDisplay();
      TSM_Status_IndependentForm* panel = Strip(card)->IndependentPanel(channel);
      ASSERT_NE(panel, nullptr);
      EXPECT_TRUE(panel->isVisible());
      EXPECT_EQ(panel->LabelStrength->isVisible(), converter);
    }
  }
  // The combined card's panel.
  CardSetup(3).RouteInfo.RouteMode = 1;
  Strip(3)->ArrangePanels();
  Strip(3)->UpdateDisplay();
  TSM_Status_CombinerForm* combiner = Strip(3)->CombinerPanel();
  ASSERT_TRUE(combiner->isVisible());
  EXPECT_FALSE(combiner->LabelStrengthChA->isVisible());
  EXPECT_FALSE(combiner->LabelStrengthChB->isVisible());
  CardSetup(1).RouteInfo.RouteMode = 1;
  Strip(1)->ArrangePanels();
  Strip(1)->UpdateDisplay();
  EXPECT_TRUE(Strip(1)->CombinerPanel()->LabelStrengthChA->isVisible());
  EXPECT_TRUE(Strip(1)->CombinerPanel()->LabelStrengthChB->isVisible());
  CardSetup(1).RouteInfo.RouteMode = 0;
  CardSetup(3).RouteInfo.RouteMode = 0;

  // The card windows: the RSSI bar and its strength only where a converter is.
  for (int card : {1, 4}) {
    ui::ShowSetupMainGuiForm(card, form_.get());
    QCoreApplication::processEvents();
    TSetupMainGuiForm* window = config::gApp.CardSetupForms[static_cast<std::size_t>(card)];
    ASSERT_NE(window, nullptr);
    for (int channel = 0; channel < 2; ++channel) {
      SCOPED_TRACE(testing::Message() << "window of card " << card + 1 << " CH " << channel + 1);
      const TSetupMainStatusForm* status = window->StatusPanel(channel);
      ASSERT_TRUE(status->isVisible());
      EXPECT_EQ(status->PanelRssi->isVisible(), card == 1);
      EXPECT_EQ(status->LabelStrength1->isVisible(), card == 1);
    }
  }

  // A configuration that ties card 5's first channel to converter 8 of four.
  gHwCfgMgr->CardSetRecords[4].DnCvtIndex[0] = 8;
  ASSERT_EQ(card::GetDownConverterIndex(4, 0), 8);
  Strip(4)->UpdateDisplay();
  EXPECT_FALSE(Strip(4)->IndependentPanel(0)->LabelStrength->isVisible());
}

// The re-colour message reaches the strips.
TEST_F(StatusStripTest, RecolourMessageColoursTheStrips) {
  PrepareProgramFolder(1);
  StartProgram();
  config::ColorBlock& colours = config::gApp.Options->Info().ColorScheme;
  colours[config::kAppMainBackgroundColor] = 0x00123456;
  colours[config::kAppStatusLabelColor] = 0x00ABCDEF;
  form_->Send(settings::kWmRecolour, 0, 0);
  EXPECT_EQ(Background(Strip(0)), util::ToQColor(0x00123456));
  EXPECT_EQ(Background(Strip(0)->PanelStatus1), util::ToQColor(0x00123456));
  EXPECT_EQ(FontColour(Strip(0)->PanelDesignation), util::ToQColor(0x00ABCDEF));
}

TEST_F(StatusStripTest, ClosingTheProgramFreesTheStrips) {
  PrepareProgramFolder(2);
  StartProgram();
  form_->CloseProgram();
  for (int card = 0; card < 6; ++card) {
    EXPECT_EQ(Strip(card), nullptr);
    EXPECT_FALSE(Host(card)->isVisible());
  }
}

}  // namespace
}  // namespace uitest
