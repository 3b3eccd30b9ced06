// The channel status panel on virtual cards: the layout per operation mode, the values and lamps
// from the status record, the strength colours, and the displays fed by the running program.
//
// With QUORX_SCREENSHOT_FOLDER naming a folder, the panels of a PSK and a PCM/FM channel are saved
// there as status_panel_psk.png and status_panel_pcmfm.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QFrame>
#include <QAction>
#include <QLabel>
#include <QMenu>

#include "card/card_routines.h"
#include "card/personality_routines.h"
#include "card/setup_routines.h"
#include "config/options_store.h"
#include "display_test_support.h"
#include "settings/set_manager.h"
#include "ui/displays/bar_gauge.h"
#include "ui/scheme_colours.h"
#include "ui/displays/fft_widget_form.h"
#include "ui/displays/iq_form.h"
#include "ui/displays/setup_main_status_form.h"
#include "ui/main_form_fixture.h"
#include "util/number_text.h"
#include "util/process_globals.h"

namespace {

using displaytest::CountColour;
using displaytest::Rgb;

// Card 1 (index 0) runs two PSK receivers on a QPSK signal, card 2 two PCM/FM receivers on an FM
// signal; no down-converters.
constexpr const char* kHardware =
    "[General]\nCards=2\nSeed=3\n"
    "[Card_0]\nChipVariant=NO\nFpgaMode=0\nIfInput1=70e6, -40, QPSK, 1e6, 16, NRZL\nIfInput2=70e6, -40, QPSK, 1e6, 16, NRZL\n"
    "[Card_1]\nChipVariant=NO\nFpgaMode=2\nIfInput1=70e6, -40, FM, 1e6, 16, NRZL\nIfInput2=70e6, -40, FM, 1e6, 16, NRZL\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";

// The same cards with one Kr14 converter card: its two channels serve card 1's two channels.
constexpr const char* kHardwareWithConverter =
    "[General]\nCards=2\nSeed=3\n"
    "[Card_0]\nChipVariant=NO\nFpgaMode=0\nIfInput1=70e6, -40, QPSK, 1e6, 16, NRZL\nIfInput2=70e6, -40, QPSK, 1e6, 16, NRZL\n"
    "[Card_1]\nChipVariant=NO\nFpgaMode=2\nIfInput1=70e6, -40, FM, 1e6, 16, NRZL\nIfInput2=70e6, -40, FM, 1e6, 16, NRZL\n"
    "[DownConverters]\nKr12Cards=0\nKr14Cards=1\nKr14Channels=2\nRfCarrierMhz=2250.5\nRfPowerDbm=-60\n";

class StatusPanelTest : public uitest::MainFormTest {
 protected:
  virtual const char* Hardware() const { return kHardware; }

  void SetUp() override {
    uitest::MainFormTest::SetUp();
    if (IsSkipped()) return;
    PrepareProgramFolder(2);
    ASSERT_TRUE(testsupport::WriteWholeFile(folder_ / "VirtualHardware.cfg", Hardware()));
    for (const char* library : kLibraries) {
      if (void* handle = testsupport::ResetSimLibrary(sim_, library); handle != nullptr) dlclose(handle);
    }
    StartProgram();
  }
  void TearDown() override {
    panels_.clear();
    hosts_.clear();
    uitest::MainFormTest::TearDown();
    // The program's close set the closing flag; the displays of later tests draw again.
    util::ClosingFlag = false;
  }

  // A panel for (card, channel) on a shown 515 x 150 host, as a card window holds it.
  TSetupMainStatusForm& Panel(int card, int channel) {
    hosts_.push_back(std::make_unique<QWidget>());
    QWidget& host = *hosts_.back();
    host.resize(515, 150);
    auto* panel = new TSetupMainStatusForm(&host, channel, card);
    host.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
    QCoreApplication::processEvents();
    return *panel;
  }

  // The program runs its timer; the panels are refreshed every 0.2 s as their card window would.
  void Run(std::chrono::milliseconds time, std::initializer_list<TSetupMainStatusForm*> panels) {
    const auto end = std::chrono::steady_clock::now() + time;
    auto next = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < end) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      if (std::chrono::steady_clock::now() >= next) {
        for (TSetupMainStatusForm* panel : panels) panel->UpdateChannelStatus();
        next += std::chrono::milliseconds(200);
      }
    }
  }

  static void SaveScreenshot(QWidget& panel, const char* name) {
    const char* folder = std::getenv("QUORX_SCREENSHOT_FOLDER");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(displaytest::Screen(panel.window()).save(QString::fromUtf8(folder) + "/" + name));
  }

  std::vector<std::unique_ptr<QWidget>> hosts_;
  std::vector<TSetupMainStatusForm*> panels_;
};

TEST_F(StatusPanelTest, PskChannelShowsConstellationAndSpectrumFromTheRunningCard) {
  TSetupMainStatusForm& panel = Panel(0, 0);
  ASSERT_TRUE(panel.DisplaysCreated());
  EXPECT_EQ(panel.LabelStatusCh1->text(), "CH 1 Status");
  EXPECT_TRUE(panel.PanelIqBackground1->isVisible());
  EXPECT_EQ(panel.PanelFftBackground1->width(), 152);
  EXPECT_FALSE(panel.LabelPeakDeviation1->isVisible());
  EXPECT_FALSE(panel.PanelRssi->isVisible()) << "no down-converter";
  EXPECT_FALSE(panel.LabelRefLock1->isVisible());
  gKr20SetMgr->SetModulationFormat(0, 0, "QPSK", 0);
  Run(std::chrono::milliseconds(2500), {&panel});
  EXPECT_GT(panel.IqDisplay()->PointCount(), 0);
  EXPECT_GT(panel.SpectrumDisplay()->PointCount(), 0);
  EXPECT_EQ(panel.LabelBsLock1->text(), "Lock");
  EXPECT_EQ(Rgb(util::FromQColor(panel.ShapeBsLock1->palette().color(QPalette::Window))), Rgb(0x00FF00u));
  const settings::ChannelStatusRecord& record = gKr20SetMgr->StatusRecord(0, 0);
  panel.UpdateStatusLabels();  // the timer may have read the card since the last refresh
  EXPECT_EQ(panel.LabelCarFreq1->text().toStdString(),
            util::FloatToFixedText(9, 4, record.Receiver.ActualSignalFreqHz * 0.000001));
  EXPECT_EQ(panel.LabelEbNo1->text().toStdString(), util::FloatToFixedText(9, 1, record.BitSync1.EbNoDb));
  SaveScreenshot(panel, "status_panel_psk.png");
}

TEST_F(StatusPanelTest, FmChannelsHideTheConstellationAndWidenTheSpectrum) {
  TSetupMainStatusForm& first = Panel(1, 0);
  TSetupMainStatusForm& second = Panel(1, 1);
  for (TSetupMainStatusForm* panel : {&first, &second}) {
    SCOPED_TRACE(panel->Channel());
    EXPECT_FALSE(panel->PanelIqBackground1->isVisible());
    EXPECT_FALSE(panel->IqDisplay()->isVisible());
    EXPECT_EQ(panel->PanelFftBackground1->width(), 304);
    EXPECT_TRUE(panel->LabelPeakDeviation1->isVisible());
  }
  EXPECT_EQ(second.LabelStatusCh1->text(), "CH 2 Status");
  Run(std::chrono::milliseconds(2500), {&first, &second});
  EXPECT_EQ(first.IqDisplay()->PointCount(), 0) << "a PCM/FM channel gets no IQ";
  EXPECT_GT(first.SpectrumDisplay()->PointCount(), 0);
  SaveScreenshot(first, "status_panel_pcmfm.png");
}

TEST_F(StatusPanelTest, StrengthColoursLampsAndValuesFromTheRecord) {
  TSetupMainStatusForm& panel = Panel(0, 1);
  settings::ChannelStatusRecord& record = gKr20SetMgr->StatusRecord(0, 1);
  const config::kr20optinfo& options = config::gApp.Options->Info();
  struct Row {
    const char* name;
    double strength;
    config::ColorIndex colour;
    int progress;
  };
  for (const Row& row : {Row{"at the maximum", options.RxSignalStrengthWarningMax, config::kMaxStrengthColor,
                             100 - util::RoundToInt(-options.RxSignalStrengthWarningMax)},
                         Row{"between", (options.RxSignalStrengthWarningMax + options.RxSignalStrengthWarningMin) / 2,
                             config::kGaugeDataColor2, 100 - util::RoundToInt(-(options.RxSignalStrengthWarningMax +
                                                                                 options.RxSignalStrengthWarningMin) / 2)},
                         Row{"at the minimum", options.RxSignalStrengthWarningMin, config::kMinStrengthColor,
                             100 - util::RoundToInt(-options.RxSignalStrengthWarningMin)},
                         Row{"far below the bar", -500.0, config::kMinStrengthColor, -20},
                         Row{"far above the bar", 60.0, config::kMaxStrengthColor, 120}}) {
    SCOPED_TRACE(row.name);
    record.DnCvt.SignalStrength = row.strength;
    panel.UpdateStatusLabels();
    EXPECT_EQ(panel.CGaugeCh1->ForeColour(), ui::SchemeColour(row.colour));
    EXPECT_EQ(panel.CGaugeCh1->Progress(), row.progress);
  }
  record.DnCvt.SignalStrength = -63.4;
  record.Receiver.SignalPowerDbm = -41.26;
  record.Receiver.TotalPowerDbm = -40.004;
  record.Receiver.ActualSignalFreqHz = 70001234.5;
  record.Receiver.ModIndexCompensated = 0.7051;
  record.BitSync1.EbNoDb = 12.34;
  record.BitSync1.Locked = 0;
  record.DnCvt.PllStatus1 = 0;
  panel.UpdateStatusLabels();
  EXPECT_EQ(panel.LabelStrength1->text(), "-63");
  EXPECT_EQ(panel.LabelIfLevel1->text(), "-41.3");
  EXPECT_EQ(panel.LabelCarPwr1->text(), "-40.00");
  EXPECT_EQ(panel.LabelCarFreq1->text(), "70.0012");
  EXPECT_EQ(panel.LabelPeakDeviation1->text(), "0.71");
  EXPECT_EQ(panel.LabelEbNo1->text(), "12.3");
  EXPECT_EQ(panel.LabelBsLock1->text(), "Unlock");
  EXPECT_EQ(panel.LabelRefLock1->text(), "Lock");
  record.DnCvt.PllStatus1 = 2;
  panel.UpdateStatusLabels();
  EXPECT_EQ(panel.LabelRefLock1->text(), "Unlock");
  EXPECT_EQ(util::FromQColor(panel.ShapeRefLock1->palette().color(QPalette::Window)), 0x00FFFFu);
}

// The rows name the mode by the route copy; the card really runs `run` (the standard board has no
// post-D image: those rows keep PSK-PSK running). The FM receiver of personality 1 sits on
// channel 2, and the displays follow it there.
TEST_F(StatusPanelTest, LayoutFollowsTheOperationMode) {
  TSetupMainStatusForm& first = Panel(0, 0);
  TSetupMainStatusForm& second = Panel(0, 1);
  card::CardSetupRecord& setup = card::CardObject(0)->Setup();
  const card::RouteInfoRecord kept = setup.RouteInfo;
  struct Row {
    const char* name;
    int run;
    std::uint32_t mode;
    std::uint32_t route;
    std::uint8_t preD;
    std::uint8_t postD;
    bool iqShown[2];
    int spectrumWidth[2];
    bool deviation[2];
  };
  for (const Row& row : {
           Row{"FM-FM INDEPENDENT", 2, 2, 0, 0, 0, {false, false}, {304, 304}, {true, true}},
           Row{"PSK-PSK INDEPENDENT", 0, 0, 0, 0, 0, {true, true}, {152, 152}, {false, false}},
           Row{"PSKFM INDEPENDENT", 1, 1, 0, 0, 0, {true, false}, {152, 304}, {false, true}},
           Row{"PM-PSK INDEPENDENT", 3, 3, 0, 0, 0, {true, true}, {152, 152}, {false, false}},
           Row{"FM PRE-D COMBINER", 1, 1, 1, 1, 0, {false, false}, {304, 304}, {true, true}},
           Row{"PSK PRE-D COMBINER", 0, 0, 1, 1, 0, {true, true}, {152, 152}, {false, false}},
           Row{"FM POST-D COMBINER", 0, 12, 1, 0, 1, {false, false}, {304, 304}, {true, true}},
           Row{"PSK POST-D COMBINER", 0, 6, 1, 0, 1, {true, true}, {152, 152}, {false, false}},
           // Personality 1 routed without a combiner names no mode; its spectrum is wide all the
           // same and takes the constellation's place, so that the panel still holds every part.
           Row{"UNKNOWN on personality 1", 1, 1, 1, 0, 0, {false, false}, {304, 304}, {false, true}},
       }) {
    SCOPED_TRACE(row.name);
    if (card::CardFpgaMode(0) != row.run) {
      bool reloaded = false;
      ASSERT_TRUE(card::ApplyPersonalityChange(0, row.run, false, reloaded));
      ASSERT_EQ(card::CardFpgaMode(0), row.run);
    }
    settings::RouteInfoCopy& route = gKr20SetMgr->StatusRecord(0, 0).RouteInfo;
    route.ModeFunction = row.mode;
    route.RouteMode = row.route;
    route.RouteBytes[0] = row.preD;
    route.RouteBytes[1] = row.postD;
    // The card's setup says the same: the program's status pass copies the route from it, at any
    // turn of the event loop.
    setup.RouteInfo.FpgaMasterMode = static_cast<std::int32_t>(row.mode);
    setup.RouteInfo.RouteMode = static_cast<std::int32_t>(row.route);
    setup.RouteInfo.PreDCombinerMode = row.preD;
    setup.RouteInfo.PostDCombinerMode = row.postD;
    for (TSetupMainStatusForm* panel : {&first, &second}) {
      const auto channel = static_cast<std::size_t>(panel->Channel());
      panel->ArrangeStatusPanel();
      QCoreApplication::processEvents();
      EXPECT_EQ(panel->PanelIqBackground1->isVisible(), row.iqShown[channel]) << channel;
      EXPECT_EQ(panel->IqDisplay()->isVisible(), row.iqShown[channel]) << channel;
      EXPECT_EQ(panel->PanelFftBackground1->width(), row.spectrumWidth[channel]) << channel;
      EXPECT_EQ(panel->LabelPeakDeviation1->isVisible(), row.deviation[channel]) << channel;
      // The spectrum, the constellation and the status column lie side by side inside the panel.
      int right = 0;
      for (const QWidget* part : {static_cast<const QWidget*>(panel->PanelFftBackground1),
                                  static_cast<const QWidget*>(panel->PanelIqBackground1),
                                  static_cast<const QWidget*>(panel->PanelStatusCh1)}) {
        if (!part->isVisible()) continue;
        EXPECT_GE(part->x(), right) << part->objectName().toStdString() << " channel " << channel;
        right = part->geometry().right() + 1;
      }
      EXPECT_LE(right, panel->width()) << channel;
    }
  }
  setup.RouteInfo = kept;
  bool reloaded = false;
  card::ApplyPersonalityChange(0, 0, false, reloaded);
}

TEST_F(StatusPanelTest, SpanMenuSetsTheCardsSpanOrLetsTheAutomaticSpanChooseIt) {
  TSetupMainStatusForm& panel = Panel(0, 1);
  TFft_WidgetForm& spectrum = *panel.SpectrumDisplay();
  card::kr20cardclass& object = *card::CardObject(0);
  config::gApp.SetupEdited = 0;
  QAction* tenMhz = spectrum.PopupMenuSpan->findChild<QAction*>("MenuFftSpan3_Single");
  ASSERT_NE(tenMhz, nullptr);
  tenMhz->trigger();
  // The record is packed: its fields are read by value.
  const auto spanMhz = [&object] { return double{object.Setup().Fft[1].SpanMhz}; };
  EXPECT_EQ(spanMhz(), 10.0);
  EXPECT_EQ(object.Fft_GetFrequencySpanInHz(1), 10e6);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
  QAction* autoSet = spectrum.PopupMenuSpan->findChild<QAction*>("MenuFftSpan8_Single");
  ASSERT_NE(autoSet, nullptr);
  autoSet->trigger();
  const std::int32_t bitRate = object.Setup().Receiver[1].BitSync[0].Bitrate;
  const double automatic = card::AutoFftSpanHz(bitRate);
  EXPECT_NE(automatic, 10e6);
  EXPECT_DOUBLE_EQ(spanMhz() * 1e6, automatic);
  EXPECT_EQ(object.Fft_GetFrequencySpanInHz(1), automatic);
  // The next refresh writes the span into the display's text.
  Run(std::chrono::milliseconds(400), {&panel});
  EXPECT_EQ(ui::ScopeText(spectrum.View().Texts[1][0].Value),
            util::FloatToFixedText(6, 1, spanMhz()) + " MHz");
}

class StatusPanelWithConverterTest : public StatusPanelTest {
 protected:
  const char* Hardware() const override { return kHardwareWithConverter; }
};

TEST_F(StatusPanelWithConverterTest, ChannelWithADownConverterShowsTheRssiBarAndTheReferenceLamp) {
  TSetupMainStatusForm& panel = Panel(0, 0);
  EXPECT_TRUE(panel.DownConverterPresent());
  EXPECT_TRUE(panel.PanelRssi->isVisible());
  EXPECT_TRUE(panel.LabelRefLock1->isVisible());
  EXPECT_TRUE(panel.ShapeRefLock1->isVisible());
  EXPECT_FALSE(panel.PanelAgcZeroRssiPos1->isVisible());
  // Tuned to the RF carrier the converters see, the receiver gets the QPSK signal through it.
  gKr20SetMgr->SetTunedFreq(0, 0, 2250.5);
  gKr20SetMgr->SetModulationFormat(0, 0, "QPSK", 0);
  Run(std::chrono::milliseconds(2500), {&panel});
  const settings::ChannelStatusRecord& record = gKr20SetMgr->StatusRecord(0, 0);
  panel.UpdateStatusLabels();
  const double strength = record.DnCvt.SignalStrength;
  EXPECT_EQ(panel.LabelStrength1->text().toStdString(), util::FloatToFixedText(5, 0, strength));
  EXPECT_EQ(panel.CGaugeCh1->Progress(), std::clamp(100 - util::RoundToInt(-strength), -20, 120));
  EXPECT_EQ(panel.LabelRefLock1->text(), record.DnCvt.PllStatus1 == 0 ? "Lock" : "Unlock");
  SaveScreenshot(panel, "status_panel_psk_dncvt.png");
}

TEST_F(StatusPanelTest, ClosedDisplaysLeaveThePanelRefreshingNothingAndComeBackOnCreate) {
  TSetupMainStatusForm& panel = Panel(0, 0);
  panel.CloseChannelDisplays();
  EXPECT_EQ(panel.IqDisplay(), nullptr);
  EXPECT_EQ(panel.SpectrumDisplay(), nullptr);
  EXPECT_FALSE(panel.DisplaysCreated());
  panel.UpdateChannelStatus();
  panel.ApplyStatusColours();
  panel.CreateChannelDisplays();
  panel.ArrangeStatusPanel();
  ASSERT_NE(panel.SpectrumDisplay(), nullptr);
  EXPECT_TRUE(panel.SpectrumDisplay()->Initialised());
  Run(std::chrono::milliseconds(600), {&panel});
  EXPECT_GT(panel.SpectrumDisplay()->PointCount(), 0);
}

}  // namespace
