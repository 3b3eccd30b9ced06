#include "ui/cards/main_status_bar_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <string>

#include "card/card_routines.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "ui/cards/status_combiner_form.h"
#include "ui/cards/status_independent_form.h"
#include "ui/cards/strip_routines.h"
#include "ui/fill_parent.h"
#include "ui/scheme_colours.h"
#include "util/gui/delete_widget.h"

namespace {

constexpr int kStripWidth = 678;
constexpr int kStripHeight = 27;
constexpr int kMainStatusHeight = 20;
constexpr util::TColor kWarningDefaultColour = 0x0000FF;  // red

QFrame* MakePanel(QWidget* parent, const char* name, int width) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFixedWidth(width);
  return panel;
}

}  // namespace

TSM_MainStatusBarForm::TSM_MainStatusBarForm(QWidget* host, int card) : QWidget(host), card_(card) {
  resize(kStripWidth, kStripHeight);
  setFont(ui::StripFont());
  PanelMainStatus = new QFrame(this);
  PanelMainStatus->setObjectName("PanelMainStatus");
  PanelMainStatus->setFixedHeight(kMainStatusHeight);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  outer->addWidget(PanelMainStatus);
  outer->addStretch(1);

  PanelDesignation = new QLabel(QStringLiteral(" DESIGNATION   "), PanelMainStatus);
  PanelDesignation->setObjectName("PanelDesignation");
  PanelDesignation->setFixedWidth(89);
  PanelDesignation->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  PanelStatus1 = MakePanel(PanelMainStatus, "PanelStatus1", 132);
  PanelStatus2 = MakePanel(PanelMainStatus, "PanelStatus2", 114);
  PanelStatusWarning = MakePanel(PanelMainStatus, "PanelStatusWarning", 294);
  LabelWarning = new QLabel(PanelStatusWarning);
  LabelWarning->setObjectName("LabelWarning");
  LabelWarning->setAlignment(Qt::AlignCenter);
  QFont warningFont = ui::StripFont();
  warningFont.setBold(true);
  LabelWarning->setFont(warningFont);
  ui::FillParent(LabelWarning);
  ui::PaintPanel(PanelStatusWarning, kWarningDefaultColour);
  ui::SetTextColour(PanelStatusWarning, 0x000000);

  auto* row = new QHBoxLayout(PanelMainStatus);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(PanelDesignation);
  row->addWidget(PanelStatus1);
  row->addWidget(PanelStatus2);
  row->addStretch(1);
  row->addWidget(PanelStatusWarning);

  ui::FillParent(this);
  UpdateColors();
}

TSM_Status_IndependentForm* TSM_MainStatusBarForm::IndependentPanel(int channel) const {
  return channel == 0 || channel == 1 ? independent_[channel] : nullptr;
}

void TSM_MainStatusBarForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!panelsCreated_) CreatePanels();
  UpdateDisplay();
  UpdateColors();
}

void TSM_MainStatusBarForm::CreatePanels() {
  panelsCreated_ = true;
  independent_[0] = new TSM_Status_IndependentForm(PanelStatus1, 0, card_);
  independent_[0]->setObjectName("MAIN_SM_STATUS_IND_0");
  independent_[1] = new TSM_Status_IndependentForm(PanelStatus2, 1, card_);
  independent_[1]->setObjectName("MAIN_SM_STATUS_IND_1");
  combiner_ = new TSM_Status_CombinerForm(PanelStatus1, card_);
  combiner_->setObjectName("MAIN_SM_STATUS_COMB");
  // The independent panel and the combiner panel share the first host; only one is ever shown.
  ui::FillParent(independent_[0]);
  ui::FillParent(combiner_);
  ui::FillParent(independent_[1]);
  for (QWidget* panel : {static_cast<QWidget*>(independent_[0]), static_cast<QWidget*>(independent_[1]),
                         static_cast<QWidget*>(combiner_)}) {
    panel->show();
  }
}

void TSM_MainStatusBarForm::ArrangePanels() {
  switch (card::GetCardRouteMode(card_)) {
    case 0:
      PanelStatus1->setFixedWidth(104);
      PanelStatus1->show();
      PanelStatus2->setFixedWidth(104);
      PanelStatus2->show();
      break;
    case 1:
      PanelStatus1->setFixedWidth(187);
      PanelStatus1->show();
      PanelStatus2->hide();
      break;
    case 2:
      PanelStatus1->setFixedWidth(282);
      PanelStatus1->show();
      PanelStatus2->hide();
      break;
    default:
      break;
  }
}

void TSM_MainStatusBarForm::UpdateDisplay() {
  if (!panelsCreated_) return;
  PanelDesignation->setText(QString::fromStdString(card::CardDesignationName(card_) + "  "));
  const bool singleChannel =
      config::gApp.Options != nullptr && config::gApp.Options->Info().SingleChannelUsage != 0;
  switch (card::GetCardRouteMode(card_)) {
    case 0:
      if (independent_[0] != nullptr) {
        independent_[0]->show();
        independent_[0]->UpdateDisplay();
      }
      if (independent_[1] != nullptr) {
        independent_[1]->setVisible(!singleChannel);
        independent_[1]->UpdateDisplay();
      }
      if (combiner_ != nullptr) combiner_->hide();
      break;
    case 1:
      for (TSM_Status_IndependentForm* panel : independent_) {
        if (panel != nullptr) panel->hide();
      }
      if (combiner_ != nullptr) {
        combiner_->show();
        combiner_->UpdateCombinerStatus();
      }
      break;
    case 2:
      for (TSM_Status_IndependentForm* panel : independent_) {
        if (panel != nullptr) panel->hide();
      }
      if (combiner_ != nullptr) combiner_->hide();
      break;
    default:
      break;
  }
  UpdateWarning();
}

void TSM_MainStatusBarForm::UpdateWarning() {
  std::string text;
  util::TColor colour = kWarningDefaultColour;
  config::GetCardStatusText(card_, text, colour);
  const QString shown = QString::fromStdString(text);
  if (LabelWarning->text() != shown) LabelWarning->setText(shown);
  ui::PaintPanel(PanelStatusWarning, colour);
  PanelStatusWarning->setVisible(!text.empty());
}

void TSM_MainStatusBarForm::UpdateColors() {
  const util::TColor background = ui::SchemeColour(config::kAppMainBackgroundColor);
  for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(PanelMainStatus),
                          static_cast<QWidget*>(PanelDesignation), static_cast<QWidget*>(PanelStatus1),
                          static_cast<QWidget*>(PanelStatus2)}) {
    ui::PaintPanel(widget, background);
  }
  ui::SetTextColour(PanelDesignation, ui::SchemeColour(config::kAppStatusLabelColor));
}

void TSM_MainStatusBarForm::FreeStatusPanels() {
  util::DeleteWidget(independent_[0]);
  util::DeleteWidget(independent_[1]);
  util::DeleteWidget(combiner_);
}
