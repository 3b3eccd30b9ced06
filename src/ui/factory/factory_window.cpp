#include "ui/factory/factory_window.h"

#include "card/card_routines.h"
#include "card/kr20card.h"
#include "config/globals.h"
#include "ui/card_window_place.h"
#include "ui/cards/strip_routines.h"

namespace ui {

FactoryWindow::FactoryWindow(QWidget* owner, int card, config::CardWindowKind kind)
    : QWidget(owner, Qt::Tool), card_(card), kind_(kind) {
  setFont(StripFont());
}

card::kr20cardclass* FactoryWindow::CardObject() const { return card::CardObject(card_); }

const card::FpgaInfoRecord* FactoryWindow::FpgaInfo(int fpga) const {
  const card::kr20cardclass* object = CardObject();
  if (object == nullptr || fpga < 0 || fpga >= static_cast<int>(card::kFpgasPerCard)) return nullptr;
  return &object->FpgaInfo()[static_cast<std::size_t>(fpga)];
}

bool FactoryWindow::FpgaPresent(int fpga) const {
  const card::FpgaInfoRecord* info = FpgaInfo(fpga);
  return info != nullptr && info->Present != 0;
}

void FactoryWindow::SetCardCaption(const std::string& title) {
  std::string caption = title + std::to_string(card_ + 1);
  if (!FpgaPresent(0)) caption += kNoFpgaLoadedSuffix;
  setWindowTitle(QString::fromStdString(caption));
}

void FactoryWindow::RestorePlacement() {
  const config::WindowPlacementRecord placement = config::gApp.Placement(card_, kind_);
  if (placement.Width > 0 && placement.Height > 0) resize(placement.Width, placement.Height);
  PlaceCardWindow(*this, card_, kind_);
}

void FactoryWindow::SaveWindowState() {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card_, kind_);
  placement.WasVisible = isVisible() ? 1 : 0;
  placement.Left = x();
  placement.Top = y();
  placement.Width = width();
  placement.Height = height();
}

}  // namespace ui
