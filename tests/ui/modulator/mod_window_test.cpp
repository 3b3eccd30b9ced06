// The test modulator window on virtual cards: what it shows, its menus and what the card's
// personality does to its layout.
#include <QAction>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>

#include "ui/modulator/mod_window_fixture.h"

namespace modtest {
namespace {

using Menu = TSM_ModControlForm::Menu;

bool Has(const std::vector<std::string>& list, const std::string& entry) {
  return std::find(list.begin(), list.end(), entry) != list.end();
}

TEST_F(ModWindowTest, CaptionTabsAndMenusOfADualTransmitCard) {
  Start(5, true);
  if (IsSkipped()) return;
  EXPECT_EQ(Form().windowTitle().toStdString(), "Kr20 Card 1 Test Modulator");
  ASSERT_EQ(Form().PageControlMain->count(), 3);
  EXPECT_EQ(Form().PageControlMain->tabText(0).toStdString(), "Primary");
  EXPECT_EQ(Form().PageControlMain->tabText(1).toStdString(), "Secondary");
  EXPECT_EQ(Form().PageControlMain->tabText(2).toStdString(), "Misc");
  EXPECT_EQ(Form().PageControlMain->currentIndex(), 0);
  EXPECT_TRUE(Form().PageControlTxBert->isTabVisible(1));
  EXPECT_EQ(Form().PageControlTxBert->tabText(1).toStdString(), "Tx Bert 2");
  EXPECT_FALSE(Form().LabelIPowerLevel->isHidden());
  EXPECT_FALSE(Form().LabelQPowerLevelCaption->isHidden());
  EXPECT_FALSE(Form().LabelInputSource->isHidden());
  EXPECT_EQ(Text("LabelInputSource"), "Direct");

  // Names the card gives, shown the operator's way, some left out.
  EXPECT_EQ(Captions(Menu::kModulationMode), (std::vector<std::string>{"SUBCAR", "DIR_PSK"}));
  const std::vector<std::string> types = Captions(Menu::kModulationType);
  EXPECT_TRUE(Has(types, "OQPSK"));
  EXPECT_TRUE(Has(types, "Multi-h CPM"));
  EXPECT_TRUE(Has(types, "AUQPSK"));
  EXPECT_FALSE(Has(types, "FSK"));
  EXPECT_FALSE(Has(types, "SQPSK"));
  EXPECT_EQ(Captions(Menu::kIDataSource), (std::vector<std::string>{"PCM_ENCODER1", "PCM_ENCODER2"}));
  EXPECT_EQ(Captions(Menu::kPcmDataSource1), (std::vector<std::string>{"INPUT_OFF", "TTL_INPUT_1", "TTL_INPUT_2",
                                                                       "422_INPUT_1", "422_INPUT_2", "TX_BERT"}));
  EXPECT_EQ(Form().OptionList(Menu::kPcmOutputCode2).back(), "RNRZ-15");
  EXPECT_EQ(Captions(Menu::kSub1ModulationType), (std::vector<std::string>{"FSK", "BPSK"}));
  EXPECT_TRUE(Has(Captions(Menu::kTxbPrnPattern2), "PRN-15"));
  EXPECT_TRUE(Has(Captions(Menu::kTxbPrnPattern1), "USER"));
  // Items are named by prefix and index, tagged by index.
  const QAction* item = Form().findChild<QAction*>("ModulationModeInfo1_Single");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text().toStdString(), "USB");
  EXPECT_EQ(item->data().toInt(), 1);
}

TEST_F(ModWindowTest, CardWithoutDualTransmitOrCombiner) {
  Start(3, false);  // PM+PSK on the standard board: one PSK receiver, no combiner
  if (IsSkipped()) return;
  EXPECT_FALSE(Form().PageControlTxBert->isTabVisible(1));
  EXPECT_TRUE(Form().LabelIPowerLevel->isHidden());
  EXPECT_TRUE(Form().LabelQPowerLevelCaption->isHidden());
  EXPECT_FALSE(Has(Captions(Menu::kModulationType), "AUQPSK"));
  EXPECT_TRUE(Form().LabelInputSource->isHidden());
  // Without a combiner the modulator is always fed directly, whatever the setup held.
  Rec().Modulator.InputSourceDirect = 0;
  Form().ArrangeForCard();
  Form().UpdateDisplay();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.InputSourceDirect), 1);
  EXPECT_TRUE(Card().ModulatorInputDirect());
  EXPECT_TRUE(Form().LabelCarrierFreq->isEnabled());
  EXPECT_TRUE(Form().CheckBoxPcm[1][4]->isEnabled());
}

TEST_F(ModWindowTest, PcmFmPersonalityForcesTheDirectInput) {
  Start(11, true);
  if (IsSkipped()) return;
  EXPECT_FALSE(Form().LabelInputSource->isHidden());
  Rec().Modulator.InputSourceDirect = 0;
  Form().ArrangeForCard();
  EXPECT_EQ(settingstest::Value(Rec().Modulator.InputSourceDirect), 1);
  EXPECT_TRUE(Card().ModulatorInputDirect());
}

TEST_F(ModWindowTest, CombinerInputDisablesTheModulatorControls) {
  Start(5, true);
  if (IsSkipped()) return;
  Form().LabelInputSourceClick();
  EXPECT_EQ(Text("LabelInputSource"), "Combiner");
  EXPECT_EQ(settingstest::Value(Rec().Modulator.InputSourceDirect), 0);
  EXPECT_FALSE(Card().ModulatorInputDirect());
  for (QWidget* w : std::initializer_list<QWidget*>{
           Form().LabelCarrierFreq, Form().ScrollBarCarrierAmplitude, Form().LabelModulationMode,
           Form().CheckBoxCarrierEnabled, Form().ScrollBarCarrierToNoise, Form().LabelMaxOutputCal,
           Form().CheckBoxQpskConjugate, Form().CheckBoxPcm[0][0], Form().LabelPcmOutputCode[1]}) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_FALSE(w->isEnabled());
  }
  // Only the three enable boxes follow the card.
  Card().SetMod_SetEnableNoiseGeneration(true);
  Card().SetMod_SetIfCarrierRateInHz(60e6);
  const std::string frequency = Text("LabelCarrierFreq");
  Form().UpdateDisplay();
  EXPECT_TRUE(Form().CheckBoxNoiseEnabled->isChecked());
  EXPECT_EQ(Text("LabelCarrierFreq"), frequency);
  // A second click goes back.
  Form().LabelInputSourceClick();
  EXPECT_EQ(Text("LabelInputSource"), "Direct");
  EXPECT_TRUE(Form().LabelCarrierFreq->isEnabled());
  EXPECT_EQ(Text("LabelCarrierFreq"), "60.0000");
}

TEST_F(ModWindowTest, SubcarrierModeEnablesTheSubcarrierPanel) {
  Start(5, true);
  if (IsSkipped()) return;
  EXPECT_FALSE(Form().PanelSubcarrier->isEnabled());
  EXPECT_FALSE(Form().PanelRouting->isHidden());
  Choose(Form().LabelModulationMode, "SUBCAR");
  EXPECT_EQ(Card().GetMod_GetModulatorMode(), "SGLS");
  EXPECT_EQ(card::SetupText(Rec().Modulator.ModulationMode), "SUBCAR");
  EXPECT_EQ(Text("LabelModulationMode"), "SUBCAR");
  EXPECT_TRUE(Form().PanelSubcarrier->isEnabled());
  EXPECT_TRUE(Form().LabelSub1Rate->isEnabled());
  EXPECT_FALSE(Form().PanelPmModIndex->isEnabled());
  EXPECT_TRUE(Form().PanelRouting->isHidden());
}

struct EbNoRow {
  const char* name;
  const char* outputCode;
  double bitRate;
  double cNo;
  const char* shown;
};

TEST_F(ModWindowTest, EstimatedEbNo) {
  Start(5, true);
  if (IsSkipped()) return;
  const EbNoRow rows[] = {
      {"biphase doubles the rate", "BIOM", 1e6, 70.0, "7.0"},
      {"NRZ keeps it", "NRZL", 1e6, 70.0, "10.0"},
      {"rate 0 counts as no loss", "NRZL", 0.0, 70.0, "70.0"},
      {"differential biphase", "DBIOS", 500000.0, 66.0, "6.0"},
  };
  for (const EbNoRow& row : rows) {
    SCOPED_TRACE(row.name);
    card::SetSetupText(Rec().Modulator.PcmEncoder[0].OutputCode, row.outputCode);
    Rec().TxBert[0].BitRate = row.bitRate;
    Card().SetMod_SetCarrierToNoiseLevel(row.cNo);
    Form().UpdateDisplay();
    EXPECT_EQ(Text("LabelEstEbNo"), row.shown);
  }
}

TEST_F(ModWindowTest, CarrierToNoiseValueHiddenByTheOption) {
  Start(5, true, false);
  if (IsSkipped()) return;
  EXPECT_TRUE(Form().LabelCarrierToNoise->isHidden());
  EXPECT_TRUE(Form().LabelCarrierToNoiseCaption->isHidden());
  EXPECT_FALSE(Form().ScrollBarCarrierToNoise->isHidden());
}

TEST_F(ModWindowTest, RefreshNeverReachesTheCard) {
  Start(5, true);
  if (IsSkipped()) return;
  config::gApp.SetupEdited = 0;
  Rec().Modulator.NoiseEnabled = 0;
  Card().SetMod_SetEnableNoiseGeneration(true);
  Card().SetMod_SetPcmCh2InvertData(true);
  Card().SetMod_SetIfCarrierLevel(-33.0);
  Card().SetMod_SetCarrierToNoiseLevel(55.5);
  Rec().TxBert[1].ClockPolarity[0] = '\0';
  card::SetSetupText(Rec().TxBert[1].ClockPolarity, "invert");
  Form().UpdateDisplay();
  EXPECT_TRUE(Form().CheckBoxNoiseEnabled->isChecked());
  EXPECT_TRUE(Form().CheckBoxPcm[1][3]->isChecked());
  EXPECT_TRUE(Form().CheckBoxTxbClock[1]->isChecked());
  EXPECT_EQ(Form().ScrollBarCarrierAmplitude->value(), -33);
  EXPECT_EQ(Form().ScrollBarCarrierToNoise->value(), 555);
  // Nothing went back to the card or the setup, nothing counts as edited.
  EXPECT_EQ(config::gApp.SetupEdited.load(), 0);
  EXPECT_EQ(settingstest::Value(Rec().Modulator.NoiseEnabled), 0);
  EXPECT_EQ(settingstest::Value(Rec().Modulator.CarrierAmplitudeDbm),
            settingstest::Value(card::DefaultCardSetup().Modulator.CarrierAmplitudeDbm));
  EXPECT_DOUBLE_EQ(Card().GetMod_GetCarrierToNoiseLevel(), 55.5);
}

TEST_F(ModWindowTest, CloseAndReopenRebuildsTheMenus) {
  Start(5, true);
  if (IsSkipped()) return;
  Form().close();
  EXPECT_FALSE(Form().Shown());
  EXPECT_TRUE(Form().OptionList(Menu::kModulationType).empty());
  // A menu item still in the popup does nothing once its list is gone.
  QAction* item = Form().PopupMenus[Menu::kModulationType]->actions().value(0);
  ASSERT_NE(item, nullptr);
  const std::string before = Card().GetMod_GetModulationType();
  Form().MenuItemClick(Menu::kModulationType, item);
  EXPECT_EQ(Card().GetMod_GetModulationType(), before);
  Form().show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Form().Shown());
  EXPECT_FALSE(Form().OptionList(Menu::kModulationType).empty());
  EXPECT_EQ(Captions(Menu::kModulationMode), (std::vector<std::string>{"SUBCAR", "DIR_PSK"}));
}

TEST_F(ModWindowTest, TransmitBertPanelsShowTheSetupAndTheUserPattern) {
  Start(5, true);
  if (IsSkipped()) return;
  Rec().TxBert[0].BitRate = 2500000.0;
  Rec().TxBert[0].BitErrorRate = 1.5e-5;
  Rec().TxBert[0].UserPatternRadix = 2;
  Card().TxBert_SetPnPattern(0, "userPattern");
  Card().TxBert_SetUserPattern(0, std::string("\xA5\x00\x00\x00", 4), 8);
  Card().TxBert_SetPnPattern(1, "pn11");
  Form().UpdateDisplay();
  EXPECT_EQ(Text("LabelTxbDataRate1"), "2.5000");
  EXPECT_EQ(Text("LabelTxbBer1"), "1.50E-05");
  EXPECT_EQ(Text("LabelTxbPrnPattern1"), "USER");
  EXPECT_FALSE(Form().PanelTxbUserPattern[0]->isHidden());
  EXPECT_EQ(Text("LabelTxbUserPattern1"), "10100101");
  EXPECT_EQ(Text("LabelTxbUserPatternLen1"), "8");
  EXPECT_TRUE(Form().RadioButtonTxbBin[0]->isChecked());
  EXPECT_EQ(Text("LabelTxbPrnPattern2"), "PRN-11");
  EXPECT_TRUE(Form().PanelTxbUserPattern[1]->isHidden());
}

}  // namespace
}  // namespace modtest
