#include "ui/bert/card_bert_form.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QShowEvent>

#include <string>

#include "config/globals.h"
#include "config/options_store.h"
#include "ui/bert/bert_control_form.h"
#include "ui/card_window_place.h"
#include "ui/cards/strip_routines.h"
#include "ui/scheme_colours.h"
#include "util/gui/delete_widget.h"

namespace {

constexpr int kPanelTop = 20;
constexpr int kPanelWidth = 405;
constexpr int kPanelGap = 8;
constexpr int kPanelHeight = 404;
constexpr int kWindowHeight = kPanelTop + kPanelHeight + 4;

bool SingleChannelUsage() {
  return config::gApp.Options != nullptr && config::gApp.Options->Info().SingleChannelUsage != 0;
}

}  // namespace

TCardBertForm::TCardBertForm(int card, QWidget* owner, std::function<double()> clock)
    : QWidget(owner, Qt::Tool), card_(card), clock_(std::move(clock)) {
  setObjectName("CardBertForm");
  setFont(ui::StripFont());
  setWindowTitle(QStringLiteral("BERT  Card %1").arg(card + 1));
  setFixedSize(SingleChannelUsage() ? kSingleChannelWidth : kTwoChannelWidth, kWindowHeight);
  for (int channel = 0; channel < 2; ++channel) {
    const int left = 4 + channel * (kPanelWidth + kPanelGap);
    auto* caption = new QLabel(QStringLiteral("Channel %1").arg(channel + 1), this);
    caption->setObjectName(QStringLiteral("LabelChannel%1").arg(channel + 1));
    caption->setGeometry(left, 2, kPanelWidth, 16);
    caption->setAlignment(Qt::AlignCenter);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    LabelChannel[static_cast<std::size_t>(channel)] = caption;
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("PanelChannel%1").arg(channel + 1));
    panel->setGeometry(left, kPanelTop, kPanelWidth, kPanelHeight);
    PanelChannel[static_cast<std::size_t>(channel)] = panel;
  }
}

TCardBertForm::~TCardBertForm() {
  ClosePanels();
  // A panel whose handler is still on the stack must outlive this window: it goes when that
  // handler returns.
  for (const QPointer<TSM_BertControlForm>& panel : closingPanels_) {
    if (!panel.isNull()) panel->setParent(nullptr);
  }
}

TSM_BertControlForm* TCardBertForm::Panel(int channel) const {
  return channel == 0 || channel == 1 ? panels_[static_cast<std::size_t>(channel)] : nullptr;
}

void TCardBertForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormShow();
}

void TCardBertForm::closeEvent(QCloseEvent* event) {
  // Where it was, not where it was first put: it opens there again, the one-second pass or not.
  SaveWindowState();
  ClosePanels();
  event->accept();
}

void TCardBertForm::FormShow() {
  for (int channel = 0; channel < 2; ++channel) {
    TSM_BertControlForm*& panel = panels_[static_cast<std::size_t>(channel)];
    if (panel == nullptr) {
      panel = new TSM_BertControlForm(PanelChannel[static_cast<std::size_t>(channel)], channel, card_, clock_);
      panel->show();
    }
  }
  ui::PlaceCardWindow(*this, card_, config::CardWindowKind::CardBert);
  UpdateDisplay();
  UpdateColors();
  shown_ = true;
}

void TCardBertForm::Refresh10Hz() {
  if (shown_) UpdateDisplay();
}

void TCardBertForm::UpdateDisplay() {
  if (updating_) return;
  updating_ = true;
  for (TSM_BertControlForm* panel : panels_) {
    if (panel != nullptr) panel->UpdateDisplay();
  }
  const QString caption = QStringLiteral("BERT  Card %1").arg(card_ + 1);
  if (windowTitle() != caption) setWindowTitle(caption);
  updating_ = false;
}

void TCardBertForm::UpdateColors() {
  for (TSM_BertControlForm* panel : panels_) {
    if (panel != nullptr) panel->UpdateColors();
  }
  ui::PaintPanel(this, ui::SchemeColour(config::kAppMainBackgroundColor));
  ui::SetTextColour(this, ui::SchemeColour(config::kAppMainLabelColor));
  for (QFrame* panel : PanelChannel) ui::PaintPanel(panel, ui::SchemeColour(config::kAppSetupBackgroundColor));
}

// What the panels show does not depend on the card's mode: they read it again at every refresh.
void TCardBertForm::UpdateCardMode() {}

void TCardBertForm::SaveWindowState() {
  config::WindowPlacementRecord& placement = config::gApp.Placement(card_, config::CardWindowKind::CardBert);
  placement.WasVisible = isVisible() ? 1 : 0;
  placement.Left = x();
  placement.Top = y();
  placement.Width = width();
  placement.Height = height();
}

// No pause between the panels: nothing else runs on this thread meanwhile that a pause would
// let finish.
void TCardBertForm::ClosePanels() {
  shown_ = false;
  for (TSM_BertControlForm*& panel : panels_) {
    if (panel == nullptr) continue;
    panel->ClearShown();
    panel->FormClose();
    if (panel->Busy()) {
      // A handler of the panel waits for the operator: the panel frees itself when it returns.
      panel->MarkClosed();
      closingPanels_.emplace_back(panel);
      panel = nullptr;
    } else {
      util::DeleteWidget(panel);
    }
  }
}
