#pragma once
// The setup panel of one receiver channel in a card window: a tool strip with the channel caption
// and "Restart Acq" above four tabs, "Rcvr", "Signal", "Output" and "Combiner", each holding one
// setup page for the same card and channel. The card window creates it for (card, channel) and
// drives it: RefreshPages from its 0.2 s task, UpdatePagesVisibility after a mode change,
// ReloadPages when the card's mode or setup changed, UpdateColors on a new colour scheme, and
// DestroyPages before it closes.
#include <QWidget>

class QLabel;
class QTabWidget;
class QToolBar;
class QToolButton;
class QShowEvent;
class TSM_StdSetupForm;
class TSM_FineSetupForm;
class TSM_OutputsSetupForm;
class TSM_CombinerSetupForm;

namespace setup {
class SetupPage;
}

class TSetupMainSetupForm final : public QWidget {
  Q_OBJECT

 public:
  // Fills `host`, stores the card (0..5) and channel (0, 1) and shows itself; the pages are made
  // at the first showing.
  TSetupMainSetupForm(QWidget* host, int card, int channel);
  ~TSetupMainSetupForm() override;
  TSetupMainSetupForm(const TSetupMainSetupForm&) = delete;
  TSetupMainSetupForm& operator=(const TSetupMainSetupForm&) = delete;

  int Card() const { return card_; }
  int Channel() const { return channel_; }
  bool Built() const { return built_; }

  void FormShow();
  void CreatePages();
  void UpdatePagesVisibility();
  void RefreshPages();
  void ReloadPages();
  void UpdateColors();
  void DestroyPages();
  void ButtonRxRestartAquisition1Click();
  // The card window shows the "Combiner" tab only where the channel carries the combined data.
  void SetCombinerTabVisible(bool visible);

  TSM_StdSetupForm* StdPage() const { return std_; }
  TSM_FineSetupForm* FinePage() const { return fine_; }
  TSM_OutputsSetupForm* OutputsPage() const { return outputs_; }
  TSM_CombinerSetupForm* CombinerPage() const { return combiner_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The existing pages in the order Rcvr, Signal, Output, Combiner.
  template <class Each>
  void ForEachPage(Each each);

  int card_;
  int channel_;
  int otherChannel_;
  bool built_ = false;
  QToolBar* toolStrip_ = nullptr;
  QLabel* caption_ = nullptr;
  QToolButton* restart_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QWidget* panelStandard_ = nullptr;
  QWidget* panelFine_ = nullptr;
  QWidget* panelOutput_ = nullptr;
  QWidget* panelCombiner_ = nullptr;
  TSM_StdSetupForm* std_ = nullptr;
  TSM_FineSetupForm* fine_ = nullptr;
  TSM_OutputsSetupForm* outputs_ = nullptr;
  TSM_CombinerSetupForm* combiner_ = nullptr;
};
