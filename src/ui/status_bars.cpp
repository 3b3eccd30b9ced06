// The main window's per-card status strips: built once the card windows are back, refreshed by the
// timer and the messages, and freed before the cards close.
#include <QFrame>
#include <QLayout>

#include <QResizeEvent>

#include <algorithm>
#include <string>
#include <thread>

#include "card/card_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "ui/cards/card_windows.h"
#include "ui/cards/main_status_bar_form.h"
#include "ui/factory/factory_windows.h"
#include "ui/main_form.h"
#include "ui/modulator/test_modulator_windows.h"
#include "util/gui/delete_widget.h"

namespace {
constexpr int kStripWidth = 678;
}  // namespace

void TQuorxLMainForm::ReopenCardWindows() {
  const bool single = options_ != nullptr && options_->Info().SingleChannelUsage != 0;
  for (int card = 0; card < card::SystemCardCount(); ++card) {
    ui::ReopenFactoryWindows(card, this);
    if (!single && config::gApp.Placement(card, config::CardWindowKind::CardSetup).WasVisible != 0) {
      ui::ShowSetupMainGuiForm(card, this);
    }
    if (single && config::gApp.Placement(card, config::CardWindowKind::SingleChannelSetup).WasVisible != 0) {
      ui::ShowSetupSingleMainGuiForm(card, this);
    }
    if (config::gApp.Placement(card, config::CardWindowKind::TestModulator).WasVisible != 0) {
      ui::ShowTestModulatorForm(card, this);
    }
  }
  CreateStatusBars();
}

void TQuorxLMainForm::CreateStatusBars() {
  int height = 10;
  const int cards = std::min(card::SystemCardCount(), ui::kStatusPanelCount);
  for (int i = 0; i < cards; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    QFrame* host = statusPanels_[slot];
    if (host == nullptr) continue;
    host->show();
    host->repaint();
    std::this_thread::yield();
    if (statusBars_[slot] == nullptr) {
      auto* strip = new TSM_MainStatusBarForm(host, i);
      strip->setObjectName(QString::fromStdString("MAIN_SM_STATUS_" + std::to_string(i)));
      statusBars_[slot] = strip;
      strip->show();
    }
    height += host->height();
    statusBars_[slot]->ArrangePanels();
  }
  PanelMainStatus->setFixedHeight(height);
  // The client area: the strips plus 5, under the menu bar; wide enough for a whole strip.
  const int menuHeight = menuWidget() != nullptr && menuWidget()->isVisible() ? menuWidget()->height() : 0;
  resize(std::max(width(), kStripWidth), height + 5 + menuHeight);
}

void TQuorxLMainForm::CloseStatusBars() {
  CloseStandAloneForms();
  for (std::size_t slot = 0; slot < statusBars_.size(); ++slot) {
    if (statusBars_[slot] == nullptr) continue;
    statusBars_[slot]->FreeStatusPanels();
    util::DeleteWidget(statusBars_[slot]);
    if (QFrame* host = statusPanels_[slot]; host != nullptr) host->hide();
  }
}

void TQuorxLMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  for (QFrame* host : statusPanels_) {
    if (host != nullptr) host->resize(PanelMainStatus->width(), host->height());
  }
}

TSM_MainStatusBarForm* TQuorxLMainForm::StatusBar(int card) const {
  if (card < 0 || card >= ui::kStatusPanelCount) return nullptr;
  return statusBars_[static_cast<std::size_t>(card)];
}
