// The test modulator window's settings on a virtual card: each reaches the card, the setup record
// and the last-state file, and is shown again.
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "ui/modulator/mod_window_fixture.h"

namespace modtest {
namespace {

using Menu = TSM_ModControlForm::Menu;

struct CheckRow {
  const char* box;
  std::function<bool(const card::kr20cardclass&)> card;
  std::function<int(const card::CardSetupRecord&)> setup;
};

TEST_F(ModWindowTest, CheckBoxesReachTheCardTheSetupAndTheLastState) {
  Start(5, true);
  if (IsSkipped()) return;
  const CheckRow rows[] = {
      {"CheckBoxModulationEnabled", [](const card::kr20cardclass& c) { return c.GetMod_GetIfModulationOn(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.ModulationEnabled}; }},
      {"CheckBoxNoiseEnabled", [](const card::kr20cardclass& c) { return c.GetMod_GetEnableNoiseGeneration(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.NoiseEnabled}; }},
      {"CheckBoxQpskConjugate", [](const card::kr20cardclass& c) { return c.GetMod_GetEnableQpskConjugate(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.QPSKConjugate}; }},
      {"CheckBoxPcm1ConvEncoding",
       [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh1ConvolutionalEncodingOn(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.PcmEncoder[0].ConvolutionEncoding}; }},
      {"CheckBoxPcm2SwapG1G2", [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh2SwapG1G2(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.PcmEncoder[1].SwapG1G2}; }},
      {"CheckBoxPcm1InvertG2", [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh1InvertG2(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.PcmEncoder[0].InvertG2}; }},
      {"CheckBoxPcm2InvertData", [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh2InvertData(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.PcmEncoder[1].InvertData}; }},
      {"CheckBoxPcm2FallingClockEdge", [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh2FallingEdgeClk(); },
       [](const card::CardSetupRecord& s) { return int{s.Modulator.PcmEncoder[1].FallingClockEdge}; }},
      {"CheckBoxTxbClock2", [](const card::kr20cardclass& c) { return c.TxBert_GetClockPolarity(1) == "invert"; },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.TxBert[1].ClockPolarity) == "invert" ? 1 : 0; }},
      {"CheckBoxTxbData1", [](const card::kr20cardclass& c) { return c.TxBert_GetDataPolarity(0) == "invert"; },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.TxBert[0].DataPolarity) == "invert" ? 1 : 0; }},
  };
  for (const CheckRow& row : rows) {
    SCOPED_TRACE(row.box);
    QCheckBox* box = Find<QCheckBox>(row.box);
    ASSERT_NE(box, nullptr);
    for (bool on : {true, false}) {
      config::gApp.SetupEdited = 0;
      box->setChecked(on);
      EXPECT_EQ(row.card(Card()), on);
      EXPECT_EQ(row.setup(Rec()), on ? 1 : 0);
      EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
      EXPECT_EQ(box->isChecked(), on);
    }
  }
  Form().CheckBoxNoiseEnabled->setChecked(true);
  const std::string text = LastStateText();
  EXPECT_EQ(LastStateValue("MOD REST INFO", "NoiseEnabled"), "YES");
}

// The ten PCM encoder boxes of the "Misc" tab, each clicked by the operator: it reaches its own
// encoder on the card and in the setup record, and the same box of the other encoder stays off.
TEST_F(ModWindowTest, EachPcmEncoderBoxReachesItsOwnEncoder) {
  Start(5, true);
  if (IsSkipped()) return;
  using CardFlag = std::function<bool(const card::kr20cardclass&, int)>;
  using SetupFlag = std::function<int(const card::CardSetupRecord&, int)>;
  const struct {
    const char* name;  // the box's name without its encoder number
    CardFlag card;
    SetupFlag setup;
  } kinds[] = {
      {"ConvEncoding",
       [](const card::kr20cardclass& c, int e) {
         return e == 0 ? c.GetMod_GetPcmCh1ConvolutionalEncodingOn() : c.GetMod_GetPcmCh2ConvolutionalEncodingOn();
       },
       [](const card::CardSetupRecord& s, int e) { return int{s.Modulator.PcmEncoder[e].ConvolutionEncoding}; }},
      {"SwapG1G2",
       [](const card::kr20cardclass& c, int e) { return e == 0 ? c.GetMod_GetPcmCh1SwapG1G2() : c.GetMod_GetPcmCh2SwapG1G2(); },
       [](const card::CardSetupRecord& s, int e) { return int{s.Modulator.PcmEncoder[e].SwapG1G2}; }},
      {"InvertG2",
       [](const card::kr20cardclass& c, int e) { return e == 0 ? c.GetMod_GetPcmCh1InvertG2() : c.GetMod_GetPcmCh2InvertG2(); },
       [](const card::CardSetupRecord& s, int e) { return int{s.Modulator.PcmEncoder[e].InvertG2}; }},
      {"InvertData",
       [](const card::kr20cardclass& c, int e) {
         return e == 0 ? c.GetMod_GetPcmCh1InvertData() : c.GetMod_GetPcmCh2InvertData();
       },
       [](const card::CardSetupRecord& s, int e) { return int{s.Modulator.PcmEncoder[e].InvertData}; }},
      {"FallingClockEdge",
       [](const card::kr20cardclass& c, int e) {
         return e == 0 ? c.GetMod_GetPcmCh1FallingEdgeClk() : c.GetMod_GetPcmCh2FallingEdgeClk();
       },
       [](const card::CardSetupRecord& s, int e) { return int{s.Modulator.PcmEncoder[e].FallingClockEdge}; }},
  };
  // The "Misc" tab chosen as the operator chooses it.
  QTabBar* bar = Form().PageControlMain->tabBar();
  for (int i = 0; i < bar->count(); ++i) {
    if (bar->tabText(i) == QStringLiteral("Misc")) QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
  }
  QCoreApplication::processEvents();
  for (const auto& kind : kinds) {
    for (int encoder = 0; encoder < 2; ++encoder) {
      const std::string name = "CheckBoxPcm" + std::to_string(encoder + 1) + kind.name;
      SCOPED_TRACE(name);
      QCheckBox* box = Find<QCheckBox>(name.c_str());
      ASSERT_NE(box, nullptr);
      ASSERT_TRUE(box->isVisible());
      const int other = 1 - encoder;
      for (const bool on : {true, false}) {
        config::gApp.SetupEdited = 0;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        EXPECT_EQ(box->isChecked(), on);
        EXPECT_EQ(kind.card(Card(), encoder), on);
        EXPECT_EQ(kind.setup(Rec(), encoder), on ? 1 : 0);
        EXPECT_FALSE(kind.card(Card(), other)) << "the other encoder's";
        EXPECT_EQ(kind.setup(Rec(), other), 0) << "the other encoder's";
        EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
      }
    }
  }
}

TEST_F(ModWindowTest, ScrollBarsSetLevels) {
  Start(5, true);
  if (IsSkipped()) return;
  Form().ScrollBarCarrierAmplitude->setValue(-25);
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierLevelInDbm(), -25.0);
  EXPECT_DOUBLE_EQ(settingstest::Value(Rec().Modulator.CarrierAmplitudeDbm), -25.0);
  EXPECT_EQ(Text("LabelCarrierAmplitude"), "-25");
  Form().ScrollBarCarrierToNoise->setValue(655);
  EXPECT_NEAR(Card().GetMod_GetCarrierToNoiseLevel(), 65.5, 1e-9);
  EXPECT_NEAR(settingstest::Value(Rec().Modulator.CarrerToNoiseDbm), 65.5, 1e-9);
  EXPECT_EQ(Text("LabelCarrierToNoise"), "65.5");
}

struct PromptRow {
  const char* label;
  const char* answer;
  std::function<double(const card::kr20cardclass&)> card;
  std::function<double(const card::CardSetupRecord&)> setup;
  double cardValue;
  double setupValue;
};

TEST_F(ModWindowTest, PromptsClampApplyAndStore) {
  Start(5, true);
  if (IsSkipped()) return;
  const PromptRow rows[] = {
      {"LabelCarrierFreq", "95000000", [](const card::kr20cardclass& c) { return c.GetMod_IfCarrierRateInHz(); },
       [](const card::CardSetupRecord& s) { return s.Modulator.CarrierFreqMhz; }, 90e6, 90.0},
      {"LabelFmPeakDeviation", "0.05",
       [](const card::kr20cardclass& c) { return c.GetMod_GetPCMFMPeakDeviationFactor(); },
       [](const card::CardSetupRecord& s) { return s.Modulator.FmPeakDeviationFactor; }, 0.1, 0.1},
      {"LabelPmModIndex", "1.25", [](const card::kr20cardclass& c) { return c.GetMod_GetDirPcmModIndex(); },
       [](const card::CardSetupRecord& s) { return s.Modulator.DirPskPmModIndex; }, 1.25, 1.25},
      {"LabelMaxOutputCal", "-15", [](const card::kr20cardclass& c) { return c.GetMod_GetIfMaxOutputCalOffset(); },
       [](const card::CardSetupRecord& s) { return double{s.Modulator.IFMaxOutuptCal * 1.0}; }, -15.0, -15.0},
      {"LabelMaxOutputCal", "-80", [](const card::kr20cardclass& c) { return c.GetMod_GetIfMaxOutputCalOffset(); },
       [](const card::CardSetupRecord& s) { return double{s.Modulator.IFMaxOutuptCal * 1.0}; }, -80.0, -80.0},
      {"LabelSub1Rate", "16000",
       [](const card::kr20cardclass& c) { return c.GetMod_GetSglsSubCh1SubCarrierRateInHz(); },
       [](const card::CardSetupRecord& s) { return s.Modulator.Sub1RateHz; }, 16000.0, 16000.0},
      {"LabelIPowerLevel", "12", [](const card::kr20cardclass& c) { return c.GetMod_GetIPowerLevel(); },
       [](const card::CardSetupRecord& s) { return s.Modulator.IPowerLevelDbm; }, 12.0, 12.0},
      {"LabelTxbDataRate2", "3000000", [](const card::kr20cardclass& c) { return c.TxBert_GetBitRate(1); },
       [](const card::CardSetupRecord& s) { return s.TxBert[1].BitRate; }, 3e6, 3e6},
  };
  for (const PromptRow& row : rows) {
    SCOPED_TRACE(row.label);
    config::gApp.SetupEdited = 0;
    Enter(Find<QLabel>(row.label), row.answer);
    EXPECT_NEAR(row.card(Card()), row.cardValue, 1e-9);
    EXPECT_NEAR(row.setup(Rec()), row.setupValue, 1e-9);
    EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
  }
  EXPECT_EQ(Text("LabelCarrierFreq"), "90.0000");
  EXPECT_EQ(Text("LabelTxbDataRate2"), "3.0000");
  // An answer that is no number changes nothing, but still counts as an edit.
  config::gApp.SetupEdited = 0;
  Enter(Form().LabelCarrierFreq, "abc");
  EXPECT_DOUBLE_EQ(Card().GetMod_IfCarrierRateInHz(), 90e6);
  EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
}

TEST_F(ModWindowTest, OutputCodeRnrz15SplitsIntoEncodingAndRandomiser) {
  Start(5, true);
  if (IsSkipped()) return;
  Choose(Form().LabelPcmOutputCode[1], "RNRZ-15");
  EXPECT_EQ(Card().GetMod_GetPcmCh2PcmEncoding(), "NRZL");
  EXPECT_EQ(Card().GetMod_GetPcmCh2PcmRandScrambling(), "RAND15_NRZL");
  EXPECT_EQ(card::SetupText(Rec().Modulator.PcmEncoder[1].OutputCode), "RNRZ-15");
  EXPECT_EQ(Text("LabelPcmOutputCode2"), "RNRZ-15");
  Choose(Form().LabelPcmOutputCode[1], "BIOL");
  EXPECT_EQ(Card().GetMod_GetPcmCh2PcmEncoding(), "BIOL");
  EXPECT_EQ(Card().GetMod_GetPcmCh2PcmRandScrambling(), "NONE");
  EXPECT_EQ(Text("LabelPcmOutputCode2"), "BIOL");
}

struct PopupRow {
  const char* label;
  const char* caption;
  std::function<std::string(const card::kr20cardclass&)> card;
  std::function<std::string(const card::CardSetupRecord&)> setup;
  const char* sent;
};

TEST_F(ModWindowTest, PopupMenusSendTheNameAndStoreIt) {
  Start(5, true);
  if (IsSkipped()) return;
  const PopupRow rows[] = {
      {"LabelModulationType", "OQPSK", [](const card::kr20cardclass& c) { return c.GetMod_GetModulationType(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.ModulationType); }, "SQPSK"},
      {"LabelIQRouting", "Q_EQUAL_I", [](const card::kr20cardclass& c) { return c.GetMod_GetIQOutputRouting(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.IQRouting); }, "Q_EQUAL_I"},
      // I stays on PCM_ENCODER1, so the Q label shows Q's own source.
      {"LabelQDataSource", "PCM_ENCODER2", [](const card::kr20cardclass& c) { return c.GetMod_GetQDataSource(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.QDataSource); }, "PCM_ENCODER2"},
      {"LabelSymbolRouting", "DEINTERLEAVE", [](const card::kr20cardclass& c) { return c.GetMod_GetSymbolRouting(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.SymbolRouting); }, "DEINTERLEAVE"},
      {"LabelInputPreprocessing", "DEINTERLEAVE",
       [](const card::kr20cardclass& c) { return c.GetMod_GetInputPreprocessing(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.InputPreprocess); }, "DEINTERLEAVE"},
      {"LabelPcmDataSource1", "TX_BERT", [](const card::kr20cardclass& c) { return c.GetMod_GetPcmCh1DataSource(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.PcmEncoder[0].DataSource); }, "TX_BERT"},
      {"LabelSub1InputSource", "PCM_ENCODER2",
       [](const card::kr20cardclass& c) { return c.GetMod_GetSglsSubCh1DataSource(); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.Modulator.Sub1InputSource); }, "PCM_ENCODER2"},
      {"LabelTxbPrnPattern2", "PRN-17", [](const card::kr20cardclass& c) { return c.TxBert_GetPnPattern(1); },
       [](const card::CardSetupRecord& s) { return card::SetupText(s.TxBert[1].PrnPattern); }, "pn17"},
  };
  for (const PopupRow& row : rows) {
    SCOPED_TRACE(row.label);
    config::gApp.SetupEdited = 0;
    Choose(Find<QLabel>(row.label), row.caption);
    EXPECT_EQ(row.card(Card()), row.sent);
    EXPECT_EQ(row.setup(Rec()), row.sent);
    EXPECT_EQ(config::gApp.SetupEdited.load(), 1);
    EXPECT_EQ(Text(row.label), row.caption);
  }
  EXPECT_EQ(Text("LabelIDataSource"), "PCM_ENCODER1");
}

// Each encoder's data-source menu reaches its own encoder only, on the card and in the setup.
TEST_F(ModWindowTest, EachEncodersDataSourceGoesToItsOwnEncoder) {
  Start(5, true);
  if (IsSkipped()) return;
  Choose(Find<QLabel>("LabelPcmDataSource1"), "TTL_INPUT_1");
  Choose(Find<QLabel>("LabelPcmDataSource2"), "TTL_INPUT_2");
  EXPECT_EQ(Card().GetMod_GetPcmCh2DataSource(), "TTL_INPUT_2");
  EXPECT_EQ(card::SetupText(Rec().Modulator.PcmEncoder[1].DataSource), "TTL_INPUT_2");
  EXPECT_EQ(Card().GetMod_GetPcmCh1DataSource(), "TTL_INPUT_1");
  EXPECT_EQ(card::SetupText(Rec().Modulator.PcmEncoder[0].DataSource), "TTL_INPUT_1");
  EXPECT_EQ(Text("LabelPcmDataSource2"), "TTL_INPUT_2");
  EXPECT_EQ(Text("LabelPcmDataSource1"), "TTL_INPUT_1");
}

TEST_F(ModWindowTest, RadixButtonsChangeOnlyTheirOwnBert) {
  Start(5, true);
  if (IsSkipped()) return;
  Rec().TxBert[0].UserPatternRadix = 1;
  Rec().TxBert[1].UserPatternRadix = 1;
  Form().RadioButtonTxbBin[1]->click();
  EXPECT_EQ(static_cast<int>(Rec().TxBert[1].UserPatternRadix), 2);
  EXPECT_EQ(static_cast<int>(Rec().TxBert[0].UserPatternRadix), 1);
  Form().RadioButtonTxbDec[1]->click();
  EXPECT_EQ(static_cast<int>(Rec().TxBert[1].UserPatternRadix), 0);
  EXPECT_EQ(static_cast<int>(Rec().TxBert[0].UserPatternRadix), 1);
}

TEST_F(ModWindowTest, WindowStateIsSaved) {
  Start(5, true);
  if (IsSkipped()) return;
  Form().move(140, 160);
  Form().SaveWindowState();
  const config::WindowPlacementRecord placement = config::gApp.Placement(0, config::CardWindowKind::TestModulator);
  EXPECT_EQ(placement.WasVisible, 1);
  EXPECT_EQ(placement.Width, 508);
  EXPECT_EQ(placement.Height, 480);
  Form().close();
  Form().SaveWindowState();
  EXPECT_EQ(config::gApp.Placement(0, config::CardWindowKind::TestModulator).WasVisible, 0);
}

}  // namespace
}  // namespace modtest
