#include "ui/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "card/dncvt_manager.h"
#include "card/hwcfg_manager.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/bert/card_bert_windows.h"
#include "ui/factory/factory_windows.h"
#include "ui/main_menus.h"
#include "ui/modulator/test_modulator_windows.h"
#include "ui/pass_end_save_queue.h"
#include "util/error_log.h"
#include "util/hires_clock.h"
#include "util/process_globals.h"
#include "settings/window_messages.h"

namespace {

// A window message travelling through Qt's event queue. A synchronous Send from another thread
// carries a reply slot and waits for it.
struct SendReply {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;  // the sender gave up waiting: the message must not run any more
};

const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WindowMessageEvent final : public QEvent {
 public:
  WindowMessageEvent(std::uint32_t message, platform::WParam wParam, platform::LParam lParam,
                     std::shared_ptr<SendReply> reply)
      : QEvent(kWindowMessageEvent), message_(message), wParam_(wParam), lParam_(lParam), reply_(std::move(reply)) {}
  ~WindowMessageEvent() override {
    // Also when the event is dropped unhandled (the window went away): the sender must not hang.
    if (reply_) {
      const std::lock_guard lock(reply_->mutex);
      reply_->finished = true;
      reply_->done.notify_all();
    }
  }
  WindowMessageEvent(const WindowMessageEvent&) = delete;
  WindowMessageEvent& operator=(const WindowMessageEvent&) = delete;

  std::uint32_t message_;
  platform::WParam wParam_;
  platform::LParam lParam_;
  std::shared_ptr<SendReply> reply_;
};

// How long a Send from another thread waits at most for the user-interface thread.
constexpr auto kCrossThreadSendLimit = std::chrono::seconds(30);
constexpr auto kCrossThreadSendSlice = std::chrono::milliseconds(50);

}  // namespace

TQuorxLMainForm::TQuorxLMainForm(QWidget* parent)
    : QMainWindow(parent),
      schedule_(ui::MasterTimerHooks{
          [] { return util::ClockNow(util::gHiresTimer.get()); },
          [] { return gRtl20Mgr != nullptr && gRtl20Mgr->FpgaCmdLock(); },
          [] {
            if (gRtl20Mgr != nullptr) gRtl20Mgr->FpgaCmdUnlock();
          },
          [] { return gNetMgr != nullptr ? gNetMgr->BcRateHz() : net::kMinBcRateHz; },
          [this] { DoOneSecondTasks(); },
          [this] { DoFiveHzTasks(); },
          [this] { DoTenHzTasks(); },
          [this] { DoTwentyFiveHzTasks(); },
          [this] { DoBroadcastTasks(); },
          [this] { RefreshNextCardWindow(); },
      }) {
  setObjectName("QuorxLMainForm");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  PanelMainStatus = new QFrame(central);
  PanelMainStatus->setObjectName("PanelMainStatus");
  PanelMainStatus->setAutoFillBackground(true);
  panelMainStatusLabel_ = new QLabel(PanelMainStatus);
  panelMainStatusLabel_->setObjectName("PanelMainStatusCaption");
  panelMainStatusLabel_->setAlignment(Qt::AlignCenter);
  for (int i = 0; i < ui::kStatusPanelCount; ++i) {
    auto* panel = new QFrame(PanelMainStatus);
    panel->setObjectName(QStringLiteral("PanelDg%1").arg(i + 1));
    panel->setAutoFillBackground(true);
    PanelDg[static_cast<std::size_t>(i)] = panel;
  }
  layout->addWidget(PanelMainStatus);
  setCentralWidget(central);
  menus_ = std::make_unique<ui::MainMenus>(*this);
  ui::InstallFactoryMenuOpeners(*menus_, this);
  menus_->SetCardWindowOpener(ui::CardMenuWindow::Bert, [this](int card) { ui::ShowCardBertForm(card, this); });
  menus_->SetCardWindowOpener(ui::CardMenuWindow::TestModulator,
                              [this](int card) { ui::ShowTestModulatorForm(card, this); });
  resize(640, 120);

  // The timer runs from creation to the end; its guard keeps it idle until the start-up is done.
  masterTimer_ = new QTimer(this);
  masterTimer_->setObjectName("MasterTimer");
  masterTimer_->setInterval(ui::kMasterTimerIntervalMs);
  // A coarse timer may fire up to 5% late, which would drop the 0.04 s task below its rate.
  masterTimer_->setTimerType(Qt::PreciseTimer);
  connect(masterTimer_, &QTimer::timeout, this, &TQuorxLMainForm::MasterTimerTimer);
  masterTimer_->start();

  saveQueue_ = std::make_unique<ui::PassEndSaveQueue>();
  config::gApp.QuorxLMainForm = this;
}

TQuorxLMainForm::~TQuorxLMainForm() {
  masterTimer_->stop();
  // A save still waiting for its pass end needs the managers.
  saveQueue_.reset();
  if (!closeProgramRan_) DeleteManagers(false);
  platform::MessageTarget* self = this;
  util::MainWindowHandle.compare_exchange_strong(self, nullptr);
  if (config::gApp.QuorxLMainForm == this) config::gApp.QuorxLMainForm = nullptr;
  if (config::gApp.Options == options_.get()) config::gApp.Options = nullptr;
}

ui::SingleInstanceResult TQuorxLMainForm::FormCreate(const ui::SingleInstanceSettings& settings) {
  instanceSettings_ = settings;
  ui::SingleInstanceResult result = ui::RunSingleInstanceTest(settings);
  if (result.conflict != ui::InstanceConflict::None) return result;
  // Held while this window exists: a restarting copy looks for it.
  mainWindowLock_ = ui::ClaimMainWindowLock(settings);
  schedule_.SetStartupBegun(false);
  startupComplete_ = false;
  config::gApp.SetupEdited = 0;
  config::gApp.gControlBothChannels = 0;
  return result;
}

bool TQuorxLMainForm::Post(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
  // Once the shut-down began nothing new is queued: what was queued before still runs.
  if (util::ClosingFlag.load()) return false;
  // Qt takes ownership of a posted event.
  QCoreApplication::postEvent(this, std::make_unique<WindowMessageEvent>(message, wParam, lParam, nullptr).release());
  return true;
}

platform::LParam TQuorxLMainForm::Send(std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
  if (QThread::currentThread() == thread()) {
    Dispatch(message, wParam, lParam);
    return 0;
  }
  if (util::ClosingFlag.load()) return 0;
  auto reply = std::make_shared<SendReply>();
  QCoreApplication::postEvent(this, std::make_unique<WindowMessageEvent>(message, wParam, lParam, reply).release());
  const auto limit = std::chrono::steady_clock::now() + kCrossThreadSendLimit;
  std::unique_lock lock(reply->mutex);
  while (!reply->finished) {
    // Once the program closes the user-interface thread may never come back to the queue.
    if (util::ClosingFlag.load() || std::chrono::steady_clock::now() >= limit) {
      reply->abandoned = true;
      util::WriteErrorLogLine("Window message " + std::to_string(message) + " not delivered: the main window did not answer", 0);
      return 0;
    }
    reply->done.wait_for(lock, kCrossThreadSendSlice);
  }
  return 0;
}

bool TQuorxLMainForm::event(QEvent* event) {
  if (event->type() == kWindowMessageEvent) {
    const auto* message = static_cast<WindowMessageEvent*>(event);
    if (message->reply_ != nullptr) {
      const std::lock_guard lock(message->reply_->mutex);
      if (message->reply_->abandoned) return true;
    }
    Dispatch(message->message_, message->wParam_, message->lParam_);
    return true;
  }
  return QMainWindow::event(event);
}

void TQuorxLMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Once per window: the start-up-begun flag is also cleared while the option dialogs are open.
  if (schedule_.StartupBegun() || startUpRan_) return;
  startUpRan_ = true;
  ShowPanelCaption(ui::kLoadingText);
  QCoreApplication::processEvents();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  StartUp();
  Post(settings::kWmDeferredStartup, 0, 0);
}

void TQuorxLMainForm::closeEvent(QCloseEvent* event) {
  if (fpgaLoadDepth_ > 0) {
    // A card operation is still on the stack below this event: close once it has returned.
    event->ignore();
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  // A close that follows a shut-down already under way (a session end, a restart) only lets the
  // window go.
  if (!util::ClosingFlag.load() && !closeProgramRan_) {
    util::LogInfoText("at FormCloseQuery", 0, false);
    CloseProgram();
  }
  event->accept();
}

QString TQuorxLMainForm::PanelMainStatusCaption() const { return panelMainStatusLabel_->text(); }

void TQuorxLMainForm::ShowPanelCaption(const char* text) {
  panelMainStatusLabel_->setText(QString::fromUtf8(text));
  panelMainStatusLabel_->resize(PanelMainStatus->size());
  PanelMainStatus->repaint();
}
