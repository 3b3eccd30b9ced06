#pragma once
// A card's receive-BERT window: the BERT panels of its two channels side by side, refreshed ten
// times a second while shown.
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QFrame;
class QLabel;
class TSM_BertControlForm;

class TCardBertForm final : public QWidget {
 public:
  static constexpr int kSingleChannelWidth = 429;
  static constexpr int kTwoChannelWidth = 826;

  // `clock` gives the program time in seconds (the error log's clock when empty).
  explicit TCardBertForm(int card, QWidget* owner = nullptr, std::function<double()> clock = {});
  ~TCardBertForm() override;
  TCardBertForm(const TCardBertForm&) = delete;
  TCardBertForm& operator=(const TCardBertForm&) = delete;

  int Card() const { return card_; }
  bool Shown() const { return shown_; }
  TSM_BertControlForm* Panel(int channel) const;

  void Refresh10Hz();
  void UpdateDisplay();
  void UpdateColors();
  void UpdateCardMode();
  void SaveWindowState();
  void ClosePanels();

  // Components by the names the operator's tools and tests know them by.
  std::array<QFrame*, 2> PanelChannel{};
  std::array<QLabel*, 2> LabelChannel{};

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormShow();

  int card_ = 0;
  std::function<double()> clock_;
  bool shown_ = false;
  bool updating_ = false;
  std::array<TSM_BertControlForm*, 2> panels_{};
  // Panels taken out while one of their handlers waits for the operator; they free themselves.
  std::vector<QPointer<TSM_BertControlForm>> closingPanels_;
};
