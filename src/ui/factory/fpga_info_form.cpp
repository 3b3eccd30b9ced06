#include "ui/factory/fpga_info_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "card/fpga_module_registers.h"
#include "card/records/fpga_info_records.h"
#include "util/number_text.h"

namespace {

constexpr std::array<const char*, TDbg_FpgaInfoForm::kColumns> kTitles{
    "Toc Entry", "Maj Ver", "Min Ver", "E Device Type", "Device Type #", "Fpga Instance", "Card Instance",
    "Base Address"};

// The eight cells of a device entry, in the grid's column order.
std::array<std::string, TDbg_FpgaInfoForm::kColumns> EntryCells(const card::FpgaDeviceEntry& entry) {
  // Packed fields are read by value.
  const std::int32_t toc = entry.TocEntry;
  const std::int32_t major = entry.MajorVersion;
  const std::int32_t minor = entry.MinorVersion;
  const std::int32_t code = entry.DeviceTypeCode;
  const std::uint32_t type = entry.DeviceTypeNumber;
  const std::int32_t fpgaInstance = entry.FpgaInstance;
  const std::int32_t cardInstance = entry.CardInstance;
  const std::uint32_t base = entry.BaseAddress;
  return {std::to_string(toc),          std::to_string(major),         std::to_string(minor),
          card::FpgaModuleName(code),   util::IntToHexText(type, 3, true), std::to_string(fpgaInstance),
          std::to_string(cardInstance), util::IntToHexText(base, 8, true)};
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
  QTableWidgetItem* item = grid->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled);
    grid->setItem(row, column, item);
  }
  item->setText(text);
}

}  // namespace

TDbg_FpgaInfoForm::TDbg_FpgaInfoForm(QWidget* owner, int card)
    : FactoryWindow(owner, card, config::CardWindowKind::FpgaToc) {
  setObjectName("Dbg_FpgaInfoForm");
  auto* row = new QHBoxLayout(this);
  for (std::size_t fpga = 0; fpga < 2; ++fpga) {
    const std::string number = std::to_string(fpga + 1);
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromStdString("PanelFpga" + number));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* column = new QVBoxLayout(panel);
    auto* title = new QLabel(QString::fromStdString("FPGA - " + number), panel);
    title->setObjectName(QString::fromStdString("LabelFpga" + number));
    title->setAlignment(Qt::AlignHCenter);
    auto* notLoaded = new QLabel(QStringLiteral("Not Loaded"), panel);
    notLoaded->setObjectName(QString::fromStdString("LabelNotLoaded" + number));
    notLoaded->setAlignment(Qt::AlignHCenter);
    QPalette red = notLoaded->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    notLoaded->setPalette(red);
    auto* grid = new QTableWidget(0, kColumns, panel);
    grid->setObjectName(QString::fromStdString("StringGridFpga" + number));
    QStringList titles;
    for (const char* text : kTitles) titles << QString::fromLatin1(text);
    grid->setHorizontalHeaderLabels(titles);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(17);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(title);
    column->addWidget(notLoaded);
    column->addWidget(grid, 1);
    row->addWidget(panel, 1);
    PanelFpga[fpga] = panel;
    StringGridFpga[fpga] = grid;
    LabelNotLoaded[fpga] = notLoaded;
  }
  SetCardCaption("FPGA Info for Card ");
}

void TDbg_FpgaInfoForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  RestoreWindowState();
  UpdateDisplay();
}

void TDbg_FpgaInfoForm::RestoreWindowState() {
  SetupGrids();
  RestorePlacement();
  shown_ = true;
  updating_ = false;
}

int TDbg_FpgaInfoForm::DeviceCount(int fpga) const {
  const card::FpgaInfoRecord* info = FpgaInfo(fpga);
  if (info == nullptr || info->Present == 0) return 0;
  const std::int32_t count = info->DeviceCount;
  return std::clamp(count, 0, static_cast<std::int32_t>(card::kFpgaTocMaxDevices));
}

void TDbg_FpgaInfoForm::SetupGrids() {
  for (int fpga = 0; fpga < 2; ++fpga) {
    QTableWidget* grid = StringGridFpga[static_cast<std::size_t>(fpga)];
    const int rows = DeviceCount(fpga);
    grid->clearContents();
    grid->setRowCount(rows);
    for (int r = 0; r < rows; ++r) SetCell(grid, r, 0, QString::number(r + 1));
  }
}

void TDbg_FpgaInfoForm::UpdateDisplay() {
  if (!isVisible() || updating_) return;
  updating_ = true;
  // The image loaded now decides the rows: a later load may declare more or fewer modules.
  SetupGrids();
  for (int fpga = 0; fpga < 2; ++fpga) {
    const auto slot = static_cast<std::size_t>(fpga);
    LabelNotLoaded[slot]->setVisible(!FpgaPresent(fpga));
    const card::FpgaInfoRecord* info = FpgaInfo(fpga);
    const int rows = DeviceCount(fpga);
    for (int r = 0; r < rows; ++r) {
      const card::FpgaDeviceEntry entry = info->Devices[r];
      const auto cells = EntryCells(entry);
      for (int c = 0; c < kColumns; ++c) {
        SetCell(StringGridFpga[slot], r, c, QString::fromStdString(cells[static_cast<std::size_t>(c)]));
      }
    }
    StringGridFpga[slot]->resizeColumnsToContents();
  }
  updating_ = false;
  SetCardCaption("FPGA Info for Card ");
}
