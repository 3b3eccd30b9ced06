#include "ui/setup/setup_main_setup_form.h"

#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "config/globals.h"
#include "config/options_record.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/fill_parent.h"
#include "ui/scheme_colours.h"
#include "ui/setup/combiner_setup_form.h"
#include "ui/setup/fine_setup_form.h"
#include "ui/setup/outputs_setup_form.h"
#include "ui/setup/std_setup_form.h"
#include "util/gui/qt_colour.h"
#include "util/number_text.h"

namespace {

// A tab's panel, in a scroll area: a page never squeezes its rows into each other; where a mode
// gives it more rows than the tab has room for, the operator scrolls.
QWidget* MakeTabPanel(QTabWidget* tabs, const char* name, const char* caption) {
  auto* scroll = new QScrollArea(tabs);
  scroll->setObjectName(QString::fromLatin1(name) + QStringLiteral("Scroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* panel = new QWidget(scroll);
  panel->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  scroll->setWidget(panel);
  tabs->addTab(scroll, QString::fromLatin1(caption));
  return panel;
}

}  // namespace

TSetupMainSetupForm::TSetupMainSetupForm(QWidget* host, int card, int channel)
    : QWidget(host), card_(card), channel_(channel), otherChannel_(channel != 0 ? 0 : 1) {
  setObjectName(QStringLiteral("TSetupMainSetupForm"));
  ui::FillParent(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  toolStrip_ = new QToolBar(this);
  toolStrip_->setObjectName(QStringLiteral("ToolBar1"));
  toolStrip_->setMovable(false);
  caption_ = new QLabel(toolStrip_);
  caption_->setObjectName(QStringLiteral("LabelChannelCaption"));
  caption_->setText(QString::fromStdString("CH " + util::FloatToFixedText(1, 0, channel + 1)));
  caption_->setContentsMargins(6, 0, 12, 0);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  toolStrip_->addWidget(caption_);
  restart_ = new QToolButton(toolStrip_);
  restart_->setObjectName(QStringLiteral("ButtonRxRestartAquisition1"));
  restart_->setText(QStringLiteral("Restart Acq"));
  connect(restart_, &QToolButton::clicked, this, &TSetupMainSetupForm::ButtonRxRestartAquisition1Click);
  toolStrip_->addWidget(restart_);
  layout->addWidget(toolStrip_);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("PageControl1"));
  panelStandard_ = MakeTabPanel(tabs_, "PanelStandard", "Rcvr");
  panelFine_ = MakeTabPanel(tabs_, "PanelFine", "Signal");
  panelOutput_ = MakeTabPanel(tabs_, "PanelOutput", "Output");
  panelCombiner_ = MakeTabPanel(tabs_, "PanelCombiner", "Combiner");
  layout->addWidget(tabs_, 1);
  show();
}

TSetupMainSetupForm::~TSetupMainSetupForm() = default;

void TSetupMainSetupForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!built_) FormShow();
}

void TSetupMainSetupForm::FormShow() {
  CreatePages();
  UpdatePagesVisibility();
  UpdateColors();
}

template <class Each>
void TSetupMainSetupForm::ForEachPage(Each each) {
  if (std_ != nullptr) each(*std_);
  if (fine_ != nullptr) each(*fine_);
  if (outputs_ != nullptr) each(*outputs_);
  if (combiner_ != nullptr) each(*combiner_);
}

void TSetupMainSetupForm::CreatePages() {
  if (built_) return;
  tabs_->setCurrentIndex(0);
  std_ = new TSM_StdSetupForm(panelStandard_, card_, channel_);
  fine_ = new TSM_FineSetupForm(panelFine_, card_, channel_);
  outputs_ = new TSM_OutputsSetupForm(panelOutput_, card_, channel_);
  combiner_ = new TSM_CombinerSetupForm(panelCombiner_, card_, channel_);
  // The tab panels are on screen already: a child created now stays hidden until it is shown
  // itself. Each page fills its tab through the tab's layout.
  ForEachPage([](setup::SetupPage& page) {
    page.parentWidget()->layout()->addWidget(&page);
    page.show();
  });
  // Each page is built (its menus made) at its own first showing; the panel shows them all now so
  // that every tab works from the start.
  ForEachPage([](setup::SetupPage& page) { page.FormShow(); });
  built_ = true;
}

void TSetupMainSetupForm::UpdatePagesVisibility() {
  ForEachPage([](setup::SetupPage& page) { page.UpdateVisibility(); });
}

void TSetupMainSetupForm::RefreshPages() {
  if (!built_) return;
  ForEachPage([](setup::SetupPage& page) { page.RefreshIfBuilt(); });
}

void TSetupMainSetupForm::ReloadPages() {
  ForEachPage([](setup::SetupPage& page) { page.Reload(); });
  UpdatePagesVisibility();
}

void TSetupMainSetupForm::UpdateColors() {
  const QColor background = util::ToQColor(ui::SchemeColour(config::kAppSetupBackgroundColor));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, background);
  setPalette(palette);
  setAutoFillBackground(true);
  QPalette strip = toolStrip_->palette();
  strip.setColor(QPalette::Window, background);
  strip.setColor(QPalette::Button, background);
  toolStrip_->setPalette(strip);
  toolStrip_->setAutoFillBackground(true);
  ForEachPage([](setup::SetupPage& page) { page.UpdateColors(); });
  const QColor labels = util::ToQColor(ui::SchemeColour(config::kAppStatusLabelColor));
  QPalette text = caption_->palette();
  text.setColor(QPalette::WindowText, labels);
  caption_->setPalette(text);
  QPalette button = restart_->palette();
  button.setColor(QPalette::ButtonText, labels);
  restart_->setPalette(button);
}

void TSetupMainSetupForm::DestroyPages() {
  // Each page leaves at once and is deleted by the event loop (or with the panel, if that goes
  // first); nothing refers to it any more.
  ForEachPage([](setup::SetupPage& page) {
    page.FreeLists();
    page.hide();
    page.deleteLater();
  });
  std_ = nullptr;
  fine_ = nullptr;
  outputs_ = nullptr;
  combiner_ = nullptr;
}

void TSetupMainSetupForm::SetCombinerTabVisible(bool visible) {
  for (int index = 0; index < tabs_->count(); ++index) {
    if (tabs_->widget(index)->isAncestorOf(panelCombiner_)) tabs_->setTabVisible(index, visible);
  }
}

void TSetupMainSetupForm::ButtonRxRestartAquisition1Click() {
  if (gKr20SetMgr == nullptr) return;
  gKr20SetMgr->RestartAcquisition(card_, channel_);
  if (config::gApp.gControlBothChannels.load() != 0) gKr20SetMgr->RestartAcquisition(card_, otherChannel_);
}
