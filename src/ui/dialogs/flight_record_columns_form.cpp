#include "ui/dialogs/flight_record_columns_form.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <string>

#include "util/number_text.h"

namespace {

constexpr int kGridRows = 8;
constexpr int kGridColumns = 9;
constexpr int kRowEnabled = 1;
constexpr int kRowWidth = 2;
constexpr int kRowHeader1 = 3;
constexpr int kRowDecimals = 6;
constexpr int kRowScientific = 7;
constexpr int kMinWidth = 1;
constexpr int kMaxWidth = 30;
constexpr int kMaxDecimals = 9;
constexpr int kTitleWidth = 78;
constexpr int kCellWidth = 80;
// Room around a cell's text: the item's margins and the grid lines.
constexpr int kCellPadding = 16;

constexpr const char* kColumnTitles[] = {"Time",     "RSSI",    "IF Car Pwr", "IF Car Frq",
                                         "Peak Dev", "Eb / No", "BER",        "B/S Lk"};
constexpr const char* kRowTitles[] = {"Enabled",    "Col Width",  "Hdr Line 1", "Hdr Line 2",
                                      "Hdr Line 3", "Dec Places", "Scientific"};

std::string CellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item != nullptr ? item->text().toStdString() : std::string();
}

void SetCellText(QTableWidget* grid, int row, int column, const std::string& text) {
  QTableWidgetItem* item = grid->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    grid->setItem(row, column, item);
  }
  item->setText(QString::fromStdString(text));
}

// The first 29 bytes of a cell, never ending inside a character of more than one byte.
std::string HeaderField(const std::string& text) {
  std::size_t length = std::min<std::size_t>(text.size(), config::kFlightRecordHeaderLength);
  if (length < text.size()) {
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0u) == 0x80u) --length;
  }
  return text.substr(0, length);
}

bool IsYes(const std::string& text) { return !text.empty() && (text[0] == 'Y' || text[0] == 'y'); }

// A number in a cell, limited and rounded; false (value unchanged) when the cell holds none.
bool CellNumber(const std::string& text, int lower, int upper, std::int32_t& value) {
  double number = 0.0;
  if (!util::TextToDouble(util::TrimText(text), number)) return false;
  value = util::RoundToInt(util::ClampDouble(lower, upper, number));
  return true;
}

}  // namespace

TFltParamOptionsEditForm::TFltParamOptionsEditForm(QWidget* parent, FlightRecordColumns& columns)
    : QWidget(parent), columns_(columns) {
  setObjectName("FltParamOptionsEditForm");
  if (parent != nullptr) {
    auto* fill = parent->layout() != nullptr ? parent->layout() : new QVBoxLayout(parent);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(this);
  }
  auto* layout = new QVBoxLayout(this);
  for (int channel = 0; channel < config::kFlightRecordChannels; ++channel) {
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Channel %1").arg(channel + 1), this);
    layout->addWidget(caption);
    grids_[static_cast<std::size_t>(channel)] = MakeGrid(channel);
    row->addWidget(grids_[static_cast<std::size_t>(channel)], 1);
    auto* box = new QCheckBox(QStringLiteral("Include\nSetup\nData"), this);
    box->setObjectName(QStringLiteral("CheckBoxIncludeSetup%1").arg(channel + 1));
    includeSetup_[static_cast<std::size_t>(channel)] = box;
    connect(box, &QCheckBox::clicked, this, &TFltParamOptionsEditForm::CheckBoxIncludeSetup1Click);
    row->addWidget(box);
    layout->addLayout(row);
  }
  layout->addStretch(1);
  Grid1 = grids_[0];
  Grid2 = grids_[1];
  CheckBoxIncludeSetup1 = includeSetup_[0];
  CheckBoxIncludeSetup2 = includeSetup_[1];
  // Filled now: the page holding the form may never be shown, and its cells are what OK stores.
  ShowGrids();
}

QTableWidget* TFltParamOptionsEditForm::MakeGrid(int channel) {
  auto* grid = new QTableWidget(kGridRows, kGridColumns, this);
  grid->setObjectName(QStringLiteral("Grid%1").arg(channel + 1));
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(20);
  grid->horizontalHeader()->setDefaultSectionSize(kCellWidth);
  grid->setColumnWidth(0, kTitleWidth);
  // A header typed longer than the grid shows scrolls inside the grid: the dialog keeps its size,
  // so its buttons stay where the operator's mouse is. The grid takes room for the scroll bar only
  // while it is shown (out of the stretch below the grids), so no empty band sits under the rows.
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int rowsHeight = kGridRows * 20 + 2 * grid->frameWidth();
  grid->setFixedHeight(rowsHeight);
  connect(grid->horizontalScrollBar(), &QScrollBar::rangeChanged, grid, [grid, rowsHeight](int, int maximum) {
    grid->setFixedHeight(maximum > 0 ? rowsHeight + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                                     : rowsHeight);
  });
  // The titles are fixed cells, as in a string grid with one fixed row and column.
  const QBrush fixed = palette().brush(QPalette::Button);
  for (int column = 0; column < kGridColumns; ++column) {
    for (int row = 0; row < kGridRows; ++row) {
      auto* item = new QTableWidgetItem;
      if (row == 0 || column == 0) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(fixed);
      }
      grid->setItem(row, column, item);
    }
  }
  for (int column = 1; column < kGridColumns; ++column) SetCellText(grid, 0, column, kColumnTitles[column - 1]);
  for (int row = 1; row < kGridRows; ++row) SetCellText(grid, row, 0, kRowTitles[row - 1]);
  connect(grid, &QTableWidget::cellClicked, this, &TFltParamOptionsEditForm::Grid1Click);
  connect(grid, &QTableWidget::currentCellChanged, this, &TFltParamOptionsEditForm::Grid1SelectCell);
  grid->installEventFilter(this);
  // A cell being edited takes Enter itself and hands its text to the grid afterwards: the cells
  // are stored once it has (a cancelled edit hands nothing over).
  connect(grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
            if (hint == QAbstractItemDelegate::RevertModelCache || busy_) return;
            StoreGrids();
            ShowGrids();
          });
  return grid;
}

void TFltParamOptionsEditForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  ShowGrids();
}

bool TFltParamOptionsEditForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == Grid1 || watched == Grid2)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
      // Enter passed on by a cell's editor: the editor's text is not in the cell yet; it is
      // stored when the editor hands it over.
      const auto* grid = static_cast<QTableWidget*>(watched);
      const bool editing = grid->indexWidget(grid->currentIndex()) != nullptr;
      if (!editing) Grid2KeyPress(key);
      return true;  // the dialog's default and cancel buttons do not see it
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFltParamOptionsEditForm::Grid1Click() {
  if (busy_) return;
  StoreGrids();
  ShowGrids();
}

void TFltParamOptionsEditForm::Grid1SelectCell() { Grid1Click(); }

void TFltParamOptionsEditForm::Grid2KeyPress(int key) {
  if (busy_) return;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    StoreGrids();
    ShowGrids();
  } else if (key == Qt::Key_Escape) {
    ShowGrids();
  }
}

void TFltParamOptionsEditForm::CheckBoxIncludeSetup1Click() {
  if (!busy_) StoreGrids();
}

void TFltParamOptionsEditForm::ShowGrids() {
  busy_ = true;
  for (int channel = 0; channel < config::kFlightRecordChannels; ++channel) ShowChannel(channel);
  busy_ = false;
}

void TFltParamOptionsEditForm::StoreGrids() {
  for (int channel = 0; channel < config::kFlightRecordChannels; ++channel) StoreChannel(channel);
}

void TFltParamOptionsEditForm::ShowChannel(int channel) {
  QTableWidget* grid = grids_[static_cast<std::size_t>(channel)];
  for (int i = 0; i < config::kFlightRecordColumns; ++i) {
    const config::flightrecordparamoptions& entry = columns_[channel][i];
    const int column = i + 1;
    SetCellText(grid, kRowEnabled, column, entry.Enabled != 0 ? "Y" : "N");
    SetCellText(grid, kRowWidth, column, std::to_string(entry.Width).substr(0, 2));
    for (int line = 0; line < config::kFlightRecordHeaderLines; ++line) {
      const char* text = entry.HeaderText[line];
      SetCellText(grid, kRowHeader1 + line, column, std::string(text, strnlen(text, config::kFlightRecordHeaderSize)));
    }
    SetCellText(grid, kRowDecimals, column, std::to_string(entry.Decimals));
    SetCellText(grid, kRowScientific, column, entry.Scientific != 0 ? "Y" : "N");
  }
  includeSetup_[static_cast<std::size_t>(channel)]->setChecked(columns_[channel][0].IncludeSetup != 0);
  FitColumns(grid);
}

void TFltParamOptionsEditForm::FitColumns(QTableWidget* grid) {
  // Every cell readable in full: a column is as wide as its widest text, the grid as wide as its
  // columns (it does not scroll).
  const QFontMetrics metrics(grid->font());
  int total = 0;
  for (int column = 0; column < kGridColumns; ++column) {
    int width = column == 0 ? kTitleWidth : kCellWidth;
    for (int row = 0; row < kGridRows; ++row) {
      const QTableWidgetItem* item = grid->item(row, column);
      if (item != nullptr) width = std::max(width, metrics.horizontalAdvance(item->text()) + kCellPadding);
    }
    if (grid->columnWidth(column) != width) grid->setColumnWidth(column, width);
    total += width;
  }
  // The grid's width is set by the texts it first shows; later, longer ones scroll.
  if (grid->minimumWidth() == 0) grid->setMinimumWidth(total + 2 * grid->frameWidth());
}

void TFltParamOptionsEditForm::StoreChannel(int channel) {
  const QTableWidget* grid = grids_[static_cast<std::size_t>(channel)];
  for (int i = 0; i < config::kFlightRecordColumns; ++i) {
    config::flightrecordparamoptions& entry = columns_[channel][i];
    const int column = i + 1;
    entry.Enabled = IsYes(CellText(grid, kRowEnabled, column)) ? 1 : 0;
    CellNumber(CellText(grid, kRowWidth, column), kMinWidth, kMaxWidth, entry.Width);
    for (int line = 0; line < config::kFlightRecordHeaderLines; ++line) {
      const std::string text = HeaderField(CellText(grid, kRowHeader1 + line, column));
      char* field = entry.HeaderText[line];
      std::memset(field, 0, config::kFlightRecordHeaderSize);
      std::memcpy(field, text.data(), text.size());
    }
    CellNumber(CellText(grid, kRowDecimals, column), 0, kMaxDecimals, entry.Decimals);
    entry.Scientific = IsYes(CellText(grid, kRowScientific, column)) ? 1 : 0;
  }
  columns_[channel][0].IncludeSetup = includeSetup_[static_cast<std::size_t>(channel)]->isChecked() ? 1 : 0;
}
