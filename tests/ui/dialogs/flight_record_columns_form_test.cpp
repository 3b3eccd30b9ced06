// The flight-record column grids: what a cell shows, what it stores, and the limits of each row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/options_store.h"
#include "ui/dialogs/flight_record_columns_form.h"

namespace uitest {
namespace {

class FlightRecordColumnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config::SetDefaultOptions(record_);
    page_ = std::make_unique<QWidget>();
    form_ = new TFltParamOptionsEditForm(page_.get(), record_.FlightRecordParamOptions);
    page_->resize(800, 500);
    page_->show();
  }
  std::string Cell(QTableWidget* grid, int row, int column) const {
    return grid->item(row, column)->text().toStdString();
  }
  void SetCell(QTableWidget* grid, int row, int column, const std::string& text) {
    grid->item(row, column)->setText(QString::fromStdString(text));
  }
  static std::string Header(const config::flightrecordparamoptions& entry, int line) {
    return std::string(entry.HeaderText[line], strnlen(entry.HeaderText[line], sizeof entry.HeaderText[line]));
  }

  config::kr20optinfo record_{};
  std::unique_ptr<QWidget> page_;
  TFltParamOptionsEditForm* form_ = nullptr;
};

TEST_F(FlightRecordColumnsTest, TitlesAndTheOptionsShownOnTheFirstShowing) {
  QTableWidget* grid = form_->Grid1;
  EXPECT_EQ(grid->rowCount(), 8);
  EXPECT_EQ(grid->columnCount(), 9);
  std::vector<std::string> columns;
  for (int column = 1; column < 9; ++column) columns.push_back(Cell(grid, 0, column));
  EXPECT_EQ(columns, (std::vector<std::string>{"Time", "RSSI", "IF Car Pwr", "IF Car Frq", "Peak Dev", "Eb / No", "BER",
                                               "B/S Lk"}));
  std::vector<std::string> rows;
  for (int row = 1; row < 8; ++row) rows.push_back(Cell(grid, row, 0));
  EXPECT_EQ(rows, (std::vector<std::string>{"Enabled", "Col Width", "Hdr Line 1", "Hdr Line 2", "Hdr Line 3",
                                            "Dec Places", "Scientific"}));
  // The titles are not for editing.
  EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->item(1, 1)->flags() & Qt::ItemIsEditable);
  for (int channel = 0; channel < 2; ++channel) {
    QTableWidget* shown = channel == 0 ? form_->Grid1 : form_->Grid2;
    for (int i = 0; i < 8; ++i) {
      SCOPED_TRACE(std::to_string(channel) + "/" + std::to_string(i));
      const config::flightrecordparamoptions& entry = record_.FlightRecordParamOptions[channel][i];
      EXPECT_EQ(Cell(shown, 1, i + 1), entry.Enabled != 0 ? "Y" : "N");
      EXPECT_EQ(Cell(shown, 2, i + 1), std::to_string(entry.Width));
      EXPECT_EQ(Cell(shown, 3, i + 1), Header(entry, 0));
      EXPECT_EQ(Cell(shown, 6, i + 1), std::to_string(entry.Decimals));
      EXPECT_EQ(Cell(shown, 7, i + 1), entry.Scientific != 0 ? "Y" : "N");
    }
  }
  EXPECT_EQ(form_->CheckBoxIncludeSetup1->isChecked(), record_.FlightRecordParamOptions[0][0].IncludeSetup != 0);
}

// Enter stores the cells, limited; each row with its rule.
TEST_F(FlightRecordColumnsTest, StoredCellsAreLimited) {
  record_.FlightRecordParamOptions[1][4].Width = 7;
  record_.FlightRecordParamOptions[1][4].Decimals = 3;
  form_->ShowGrids();
  struct Row {
    int row;
    int column;
    std::string text;
    std::function<bool(const config::flightrecordparamoptions&)> check;
  };
  using E = const config::flightrecordparamoptions&;
  const std::vector<Row> rows = {
      {1, 1, "yes", [](E e) { return e.Enabled == 1; }},
      {1, 2, "", [](E e) { return e.Enabled == 0; }},
      {1, 3, "no", [](E e) { return e.Enabled == 0; }},
      {1, 4, "Y", [](E e) { return e.Enabled == 1; }},
      {1, 5, "x", [](E e) { return e.Enabled == 0; }},
      {2, 1, "45", [](E e) { return e.Width == 30; }},
      {2, 2, "0", [](E e) { return e.Width == 1; }},
      {2, 3, "7.6", [](E e) { return e.Width == 8; }},
      {2, 5, "abc", [](E e) { return e.Width == 7; }},
      {3, 6, std::string(40, 'h'), [](E e) { return std::string(e.HeaderText[0]) == std::string(29, 'h'); }},
      {4, 6, std::string(28, 'h') + "\xC3\xA9x",
       [](E e) { return std::string(e.HeaderText[1]) == std::string(28, 'h'); }},
      {6, 7, "12", [](E e) { return e.Decimals == 9; }},
      {6, 8, "-3", [](E e) { return e.Decimals == 0; }},
      {6, 5, "", [](E e) { return e.Decimals == 3; }},
      {7, 7, "y", [](E e) { return e.Scientific == 1; }},
      {7, 8, "n", [](E e) { return e.Scientific == 0; }},
  };
  for (const Row& row : rows) SetCell(form_->Grid2, row.row, row.column, row.text);
  form_->Grid2->setFocus();
  QTest::keyClick(form_->Grid2, Qt::Key_Return);
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.row) + "/" + std::to_string(row.column) + " \"" + row.text + "\"");
    EXPECT_TRUE(row.check(record_.FlightRecordParamOptions[1][row.column - 1]));
  }
  // Shown again from the options: the limited values.
  EXPECT_EQ(Cell(form_->Grid2, 2, 1), "30");
  EXPECT_EQ(Cell(form_->Grid2, 1, 1), "Y");
  EXPECT_EQ(Cell(form_->Grid2, 2, 5), "7");
  EXPECT_EQ(Cell(form_->Grid2, 3, 6).size(), 29u);
}

TEST_F(FlightRecordColumnsTest, EscapeShowsTheStoredValuesWithoutStoring) {
  const config::kr20optinfo before = record_;
  SetCell(form_->Grid1, 2, 2, "20");
  SetCell(form_->Grid1, 1, 2, "N");
  QTest::keyClick(form_->Grid1, Qt::Key_Escape);
  EXPECT_EQ(record_, before);
  EXPECT_EQ(Cell(form_->Grid1, 2, 2), std::to_string(before.FlightRecordParamOptions[0][1].Width));
}

// A number typed into a cell's editor as the operator types it: the cell chosen, F2, the old text
// selected and replaced, then Enter pressed in the editor itself.
TEST_F(FlightRecordColumnsTest, EnterInACellBeingEditedStoresIt) {
  QTableWidget* grid = form_->Grid1;
  grid->setCurrentCell(2, 2);
  QTest::keyClick(grid, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->isVisible());
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "20");
  ASSERT_EQ(editor->text().toStdString(), "20");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(record_.FlightRecordParamOptions[0][1].Width, 20);
  EXPECT_EQ(Cell(grid, 2, 2), "20");
  EXPECT_EQ(grid->indexWidget(grid->currentIndex()), nullptr) << "the editor is closed";
  // Escape afterwards shows what was stored: the new value stays.
  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_EQ(record_.FlightRecordParamOptions[0][1].Width, 20);
  EXPECT_EQ(Cell(grid, 2, 2), "20");

  // A header line typed the same way; a value over the limit is stored limited and shown so.
  grid->setCurrentCell(3, 3);
  QTest::keyClick(grid, Qt::Key_F2);
  editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Carrier dBm");
  QTest::keyClick(editor, Qt::Key_Enter);
  QCoreApplication::processEvents();
  EXPECT_EQ(Header(record_.FlightRecordParamOptions[0][2], 0), "Carrier dBm");
  grid->setCurrentCell(2, 4);
  QTest::keyClick(grid, Qt::Key_F2);
  editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "99");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(record_.FlightRecordParamOptions[0][3].Width, 30);
  EXPECT_EQ(Cell(grid, 2, 4), "30");

  // Escape in the editor drops what was typed.
  const config::kr20optinfo before = record_;
  grid->setCurrentCell(2, 5);
  QTest::keyClick(grid, Qt::Key_F2);
  editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "12");
  QTest::keyClick(editor, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(record_, before);
  EXPECT_EQ(Cell(grid, 2, 5), std::to_string(before.FlightRecordParamOptions[0][4].Width));
}

// Every cell's text fits its column, and every column lies inside the grid the operator sees.
TEST_F(FlightRecordColumnsTest, EveryCellIsReadInFull) {
  QCoreApplication::processEvents();
  for (QTableWidget* grid : {form_->Grid1, form_->Grid2}) {
    const QFontMetrics metrics(grid->font());
    const QRect viewport = grid->viewport()->rect();
    for (int row = 0; row < grid->rowCount(); ++row) {
      for (int column = 0; column < grid->columnCount(); ++column) {
        const QTableWidgetItem* item = grid->item(row, column);
        ASSERT_NE(item, nullptr);
        SCOPED_TRACE(grid->objectName().toStdString() + " " + item->text().toStdString());
        const QRect cell = grid->visualItemRect(item);
        EXPECT_TRUE(viewport.contains(cell)) << "column " << column << " is cut off by the grid's edge";
        EXPECT_LE(metrics.horizontalAdvance(item->text()) + 8, cell.width());
      }
    }
  }
  EXPECT_EQ(Cell(form_->Grid1, 4, 1), "Elapsed Time");
  EXPECT_EQ(Cell(form_->Grid1, 5, 1), "ddd:hh:mm:ss.ssssss");
}

TEST_F(FlightRecordColumnsTest, ChoosingAnotherCellOrTheCheckBoxStores) {
  SetCell(form_->Grid1, 2, 3, "22");
  form_->Grid1->setCurrentCell(4, 4);
  EXPECT_EQ(record_.FlightRecordParamOptions[0][2].Width, 22);
  const std::uint8_t include = record_.FlightRecordParamOptions[1][0].IncludeSetup;
  form_->CheckBoxIncludeSetup2->click();
  EXPECT_NE(record_.FlightRecordParamOptions[1][0].IncludeSetup, include);
  EXPECT_EQ(record_.FlightRecordParamOptions[0][0].IncludeSetup, form_->CheckBoxIncludeSetup1->isChecked() ? 1 : 0);
}

}  // namespace
}  // namespace uitest
