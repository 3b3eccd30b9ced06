// "System Options": edits go into the live record at once, limited as the prompts allow; Cancel
// and the title bar's close restore the record; the options file is written either way.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs/dialog_fixture.h"
#include "ui/dialogs/flight_record_columns_form.h"
#include "ui/dialogs/option_edit_dialog.h"
#include "ui/modal_driver.h"

namespace uitest {
namespace {

class OptionEditDialogTest : public DialogTest {
 protected:
  // Opens the dialog on the record; `act` runs inside it and must close it.
  void Edit(const std::function<void(TVexaCmnOptionEditDlg&)>& act) {
    TVexaCmnOptionEditDlg dialog(nullptr);
    WhenShown<TVexaCmnOptionEditDlg>("VexaCmnOptionEditDlg", act);
    dialog.EditOptions(record_);
    cancelled_ = dialog.Cancelled();
    EXPECT_FALSE(dialog.isVisible());
  }
  static void Click(QLabel* value) {
    // The value panels answer a click by their signal, as the operator's mouse raises it.
    QMetaObject::invokeMethod(value, "clicked");
  }
  config::kr20optinfo FileRecord() const {
    config::kr20optinfo read{};
    config::SetDefaultOptions(read);
    read.CpuUsageInfo = record_.CpuUsageInfo;
    EXPECT_TRUE(config::kr20optionclass::LoadOptions(read));
    return read;
  }
  bool cancelled_ = false;
};

TEST_F(OptionEditDialogTest, CancelAfterEditsRestoresEveryFieldAndTheFileKeepsItsValues) {
  SaveRecord();
  dialogs_->AnswerInput("-20");
  dialogs_->AnswerInput("12.5");
  dialogs_->AnswerInput("0x40");
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "System Options");
    dialog.CheckBoxSingleChannelUsage->click();
    dialog.RadioButton25Hz->click();
    dialog.CheckBoxFmFmPostDOut2->click();
    Click(dialog.PanelMaxStrength);
    Click(dialog.PanelACF[2]);
    Click(dialog.LabelFmBitsyncConfidence);
    dialog.RadioDefaultColors[1]->click();
    dialog.ButtonDefaultColors->click();
    // Every edit is in the live record at once.
    EXPECT_EQ(record_.SingleChannelUsage, 1);
    EXPECT_EQ(record_.DataRecordRateHz, 25);
    EXPECT_NE(record_.FmFmPostDOut2, saved_.FmFmPostDOut2);
    EXPECT_EQ(record_.RxSignalStrengthWarningMax, -20.0);
    EXPECT_EQ(record_.AcfInfo[2].LoadValue, 12.5);
    EXPECT_EQ(record_.BitsyncConfidenceWeight >> 16, 0x40u);
    EXPECT_EQ(dialog.PanelACF[2]->text(), "12.50");
    EXPECT_EQ(dialog.LabelFmBitsyncConfidence->text(), "0x40");
    config::ColorBlock dark{};
    config::kr20optionclass::SelectDefaultColorScheme(1, dark);
    EXPECT_EQ(record_.ColorScheme, dark);
    EXPECT_EQ(recolours_.sent, 1);
    dialog.CancelBtn->click();
  });
  EXPECT_TRUE(cancelled_);
  EXPECT_EQ(record_, saved_);
  EXPECT_EQ(testsupport::ReadWholeFile(config::OptionsFilePath()), fileBefore_);
}

TEST_F(OptionEditDialogTest, ClosingByTheTitleBarCountsAsCancel) {
  SaveRecord();
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    dialog.CheckBoxAlwaysSaveSetups->click();
    dialog.RadioButton5Hz->click();
    EXPECT_EQ(record_.DataRecordRateHz, 5);
    dialog.close();
  });
  EXPECT_TRUE(cancelled_);
  EXPECT_EQ(record_, saved_);
}

// Each prompt with its title, its range text and an answer outside (or inside) its limits.
TEST_F(OptionEditDialogTest, AcceptedValuesAreLimitedAndWritten) {
  record_.FmFmPostDConfidenceWeight = 0x00410005;
  SaveRecord();
  struct Row {
    QLabel* TVexaCmnOptionEditDlg::*value;
    std::size_t index;  // into PanelACF for the antenna factors
    std::string answer;
    std::string title;
    std::string range;
    std::string shown;
  };
  const std::vector<Row> rows = {
      {&TVexaCmnOptionEditDlg::PanelMaxStrength, 0, "25", "Enter Max Signal Strength Before Color Change",
       "Input Value between -100 & 0", "0.00"},  // whole dBm in the prompt
      {&TVexaCmnOptionEditDlg::PanelMinStrength, 0, "-150", "Enter Min Signal Strength Before Color Change",
       "Input Value between -100 & 0", "-100.00"},
      {&TVexaCmnOptionEditDlg::LabelConstantMultiplier, 0, "12", "Enter the K (Constant Multiplier Value)",
       "Input Value between 1.00 & 10.00", "10.00"},
      {&TVexaCmnOptionEditDlg::LabelMinEbNoLock, 0, "7.5", "Enter the Minimum Eb/No for bitsync lock status (in dB)",
       "Input Value between 0.00 & 25.00", "7.50"},
      {&TVexaCmnOptionEditDlg::LabelDefaultCfSpanPct, 0, "0",
       "Enter the Default Center Freq LBW as a Percent of Data Rate", "Input Value between 1.00 & 50.00", "1.00"},
      {&TVexaCmnOptionEditDlg::LabelPredNoiseFilterGain, 0, "100", "Enter the PreD Noise Filter Gain Value",
       "Input Value between 1.00 & 64.00", "64.00"},
      {nullptr, 11, "-75", "Enter Antenna Correction Factor for Receiver 12.00", "Input Value between -50.00 & 50.00",
       "-50.0"},
      {&TVexaCmnOptionEditDlg::LabelFmFmPostDConfidence, 0, "0x90",
       "Enter the FM-FM Post-D Confidence Weight Factor for combiner lock status (0x for hex)", "Input Range 1 - 127",
       "0x7f"},
      {&TVexaCmnOptionEditDlg::LabelFmBitsyncConfidence, 0, "abc",
       "Enter the FM Confidence Weight Factor for bitsync lock status (0x for hex)", "Input Range 1 - 127", ""},
  };
  for (const Row& row : rows) dialogs_->AnswerInput(row.answer);
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.title);
      QLabel* value = row.value != nullptr ? dialog.*row.value : dialog.PanelACF[row.index];
      Click(value);
      if (!row.shown.empty()) {
        EXPECT_EQ(value->text().toStdString(), row.shown);
      }
    }
    dialog.OKBtn->click();
  });
  ASSERT_EQ(dialogs_->Queries().size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].title);
    EXPECT_EQ(dialogs_->Queries()[i].title, rows[i].title);
    EXPECT_EQ(dialogs_->Queries()[i].prompt, rows[i].range);
  }
  EXPECT_FALSE(cancelled_);
  // A maximum above zero is limited to 0, a minimum below -100 to -100.
  EXPECT_EQ(record_.RxSignalStrengthWarningMax, 0.0);
  EXPECT_EQ(record_.RxSignalStrengthWarningMin, -100.0);
  EXPECT_EQ(record_.DnCvtIfConstantMultiplier, 10.0);
  EXPECT_EQ(record_.MinEbNoBsLock, 7.5);
  EXPECT_EQ(record_.IfCarCfSpanPct, 1.0);
  EXPECT_EQ(record_.NoiseFilterGainValue, 64.0);
  EXPECT_EQ(record_.AcfInfo[11].LoadValue, -50.0);
  // The weight is the upper 16 bits; the lower ones are kept.
  EXPECT_EQ(record_.FmFmPostDConfidenceWeight, 0x007F0005u);
  EXPECT_EQ(record_.BitsyncConfidenceWeight, saved_.BitsyncConfidenceWeight);
  EXPECT_EQ(FileRecord(), record_);
}

// Each of the six flag boxes stores its own option and no other.
TEST_F(OptionEditDialogTest, EachFlagBoxStoresItsOwnOption) {
  struct Row {
    QCheckBox* TVexaCmnOptionEditDlg::*box;
    const char* caption;
    std::uint8_t config::kr20optinfo::*flag;
  };
  const Row rows[] = {
      {&TVexaCmnOptionEditDlg::CheckBoxRecallTestModOutputState, "Recall TestMod Output States",
       &config::kr20optinfo::RecallTestModOutputState},
      {&TVexaCmnOptionEditDlg::CheckBoxWarnCarrierPeakDeviationRange, "Carrier Peak Deviation Range Warning",
       &config::kr20optinfo::WarnCarrierPeakDeviationRange},
      {&TVexaCmnOptionEditDlg::CheckBoxViewTestModCarNoiseLevel, "View Test Mod Carrier/Noise Level",
       &config::kr20optinfo::ViewTestModCarNoiseLevel},
      {&TVexaCmnOptionEditDlg::CheckBoxViewCarrierFreqSpan, "Carrier Freq Span Visible",
       &config::kr20optinfo::ViewCarrierFreqSpan},
      {&TVexaCmnOptionEditDlg::CheckBoxMinLastStateSaves, "Minimal Last State Saves",
       &config::kr20optinfo::MinLastStateSaves},
      {&TVexaCmnOptionEditDlg::CheckBoxAutoSetFreqSpan, "Auto Set Freq Span", &config::kr20optinfo::AutoSetFreqSpan},
  };
  for (const Row& chosen : rows) {
    SCOPED_TRACE(chosen.caption);
    for (const Row& row : rows) record_.*row.flag = 0;
    SaveRecord();
    Edit([&](TVexaCmnOptionEditDlg& dialog) {
      QCheckBox* box = dialog.*chosen.box;
      EXPECT_EQ(box->text().toStdString(), chosen.caption);
      EXPECT_FALSE(box->isChecked());
      box->click();
      dialog.OKBtn->click();
    });
    EXPECT_FALSE(cancelled_);
    for (const Row& row : rows) EXPECT_EQ(int{record_.*row.flag}, &row == &chosen ? 1 : 0) << row.caption;
    EXPECT_EQ(int{FileRecord().*chosen.flag}, 1);
  }
}

TEST_F(OptionEditDialogTest, AMaximumBelowTheMinimumSwapsTheLimits) {
  record_.RxSignalStrengthWarningMax = -20.0;
  record_.RxSignalStrengthWarningMin = -80.0;
  SaveRecord();
  dialogs_->AnswerInput("-90");
  dialogs_->AnswerInput("-10");
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    Click(dialog.PanelMaxStrength);
    EXPECT_EQ(record_.RxSignalStrengthWarningMax, -80.0);
    EXPECT_EQ(record_.RxSignalStrengthWarningMin, -90.0);
    EXPECT_EQ(dialog.PanelMaxStrength->text(), "-80.00");
    EXPECT_EQ(dialog.PanelMinStrength->text(), "-90.00");
    // A minimum above the maximum likewise.
    Click(dialog.PanelMinStrength);
    EXPECT_EQ(record_.RxSignalStrengthWarningMax, -10.0);
    EXPECT_EQ(record_.RxSignalStrengthWarningMin, -80.0);
    dialog.OKBtn->click();
  });
}

// Options changed in memory but not saved are replaced by the file's when the dialog opens.
TEST_F(OptionEditDialogTest, OpensOnTheStoredOptions) {
  SaveRecord();
  record_.SingleChannelUsage = 1;
  record_.DataRecordRateHz = 5;
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    EXPECT_FALSE(dialog.CheckBoxSingleChannelUsage->isChecked());
    EXPECT_EQ(dialog.RadioButton1Hz->isChecked(), saved_.DataRecordRateHz == 1);
    EXPECT_FALSE(dialog.RadioButton5Hz->isChecked());
    EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
    dialog.OKBtn->click();
  });
  EXPECT_EQ(record_, saved_);
}

TEST_F(OptionEditDialogTest, OnATwoProcessorMachineTwoBoxesAndTheMask) {
  record_.CpuUsageInfo.ProcessorCount = 2;
  record_.CpuUsageInfo.AllProcessorsMask = 0x3;
  record_.CpuUsageInfo.ProcessorAffinityMask = 0x3;
  record_.CpuUsageInfo.PriorityHigh = 0;
  SaveRecord();
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    std::vector<bool> visible;
    for (QCheckBox* box : dialog.CheckBoxCpu) visible.push_back(box->isVisible());
    EXPECT_EQ(visible, (std::vector<bool>{true, true, false, false, false, false, false, false}));
    EXPECT_TRUE(dialog.CheckBoxAllCpus->isChecked());
    dialog.CheckBoxCpu[1]->click();
    EXPECT_EQ(record_.CpuUsageInfo.ProcessorAffinityMask, 0x1u);
    EXPECT_FALSE(dialog.CheckBoxAllCpus->isChecked());
    dialog.CheckBoxAllCpus->click();
    EXPECT_EQ(record_.CpuUsageInfo.ProcessorAffinityMask, 0x3u);
    EXPECT_TRUE(dialog.CheckBoxCpu[1]->isChecked());
    dialog.RadioPriorityHigh->click();
    EXPECT_EQ(record_.CpuUsageInfo.PriorityHigh, 1);
    dialog.OKBtn->click();
  });
  EXPECT_EQ(FileRecord().CpuUsageInfo.PriorityHigh, 1);
}

// The column form sits in the "Flt Record Setup" page; a cell edited and not yet stored is kept by OK.
TEST_F(OptionEditDialogTest, TheFlightRecordPageHoldsTheColumnForm) {
  SaveRecord();
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    TFltParamOptionsEditForm* form = dialog.FlightRecordForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->parentWidget(), dialog.PageFltRecordSetup);
    EXPECT_EQ(dialog.PageControl->tabText(3), "Flt Record Setup");
    form->Grid2->item(2, 2)->setText("12");
    dialog.OKBtn->click();
  });
  EXPECT_EQ(record_.FlightRecordParamOptions[1][1].Width, 12);
  EXPECT_EQ(FileRecord().FlightRecordParamOptions[1][1].Width, 12);
}

// A weight prompt cancelled, or answered with the value it offered (the stored default's weight, 0,
// lies below the prompt's range), leaves the field as it was; the default shows as its upper 16 bits.
TEST_F(OptionEditDialogTest, AWeightPromptCancelledOrLeftAsOfferedKeepsTheField) {
  ASSERT_EQ(record_.BitsyncConfidenceWeight, 33u);
  SaveRecord();
  dialogs_->AnswerInput(std::nullopt);
  dialogs_->AnswerInput("0");
  dialogs_->AnswerInput(std::nullopt);
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    EXPECT_EQ(dialog.LabelFmBitsyncConfidence->text(), "0x00");
    EXPECT_EQ(dialog.LabelFmFmPostDConfidence->text(), "0x41");
    Click(dialog.LabelFmBitsyncConfidence);
    EXPECT_EQ(record_.BitsyncConfidenceWeight, 33u);
    Click(dialog.LabelFmBitsyncConfidence);
    EXPECT_EQ(record_.BitsyncConfidenceWeight, 33u);
    Click(dialog.LabelFmFmPostDConfidence);
    EXPECT_EQ(record_.FmFmPostDConfidenceWeight, 4259840u);
    EXPECT_EQ(dialog.LabelFmBitsyncConfidence->text(), "0x00");
    dialog.OKBtn->click();
  });
  ASSERT_EQ(dialogs_->Queries().size(), 3u);
  EXPECT_EQ(dialogs_->Queries()[0].prompt, "Input Range 1 - 127");
  EXPECT_FALSE(cancelled_);
  EXPECT_EQ(record_, saved_);
  EXPECT_EQ(FileRecord().BitsyncConfidenceWeight, 33u);
}

// A long column header typed into the grid: the dialog keeps its size, so OK and Cancel stay
// under the operator's mouse; the header is stored whole.
TEST_F(OptionEditDialogTest, TypingALongHeaderDoesNotGrowTheDialog) {
  SaveRecord();
  const std::string header(config::kFlightRecordHeaderSize - 1, 'W');
  Edit([&](TVexaCmnOptionEditDlg& dialog) {
    dialog.PageControl->setCurrentWidget(dialog.PageFltRecordSetup);
    // Layouts settle through posted events.
    QTest::qWait(50);
    const QSize size = dialog.size();
    const QPoint ok = dialog.OKBtn->mapTo(&dialog, QPoint(0, 0));
    const QPoint cancel = dialog.CancelBtn->mapTo(&dialog, QPoint(0, 0));
    QTableWidget* grid = dialog.FlightRecordForm()->Grid1;
    for (int column = 1; column <= 3; ++column) {
      grid->setCurrentCell(3, column);
      grid->editItem(grid->item(3, column));
      QWidget* editor = QApplication::focusWidget();
      ASSERT_NE(editor, nullptr);
      QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(editor, QString::fromStdString(header));
      QTest::keyClick(editor, Qt::Key_Return);
      QTest::qWait(50);
      EXPECT_EQ(grid->item(3, column)->text().toStdString(), header);
      // The scroll bar the long header brings takes room of its own: every row stays whole.
      EXPECT_TRUE(grid->horizontalScrollBar()->isVisible());
      EXPECT_GE(grid->viewport()->height(), grid->rowViewportPosition(grid->rowCount() - 1) +
                                                grid->rowHeight(grid->rowCount() - 1));
      EXPECT_EQ(dialog.size(), size) << "after column " << column;
      EXPECT_EQ(dialog.OKBtn->mapTo(&dialog, QPoint(0, 0)), ok);
      EXPECT_EQ(dialog.CancelBtn->mapTo(&dialog, QPoint(0, 0)), cancel);
    }
    dialog.OKBtn->click();
  });
  EXPECT_EQ(std::string(record_.FlightRecordParamOptions[0][0].HeaderText[0]), header);
}

}  // namespace
}  // namespace uitest
