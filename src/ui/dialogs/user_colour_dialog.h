#pragma once
// "Display Colors": one control per colour of the option record's colour block. A click opens the
// colour dialog on that colour; a chosen colour goes into the block at once and every open window
// re-colours (message 30000), so the operator sees it while choosing. Anything but "Accept" puts
// the colours of the moment the dialog opened back.
#include <QDialog>

#include <array>

#include "config/options_record.h"

class QPushButton;

class TVexaCmnUserColorDlg final : public QDialog {
 public:
  explicit TVexaCmnUserColorDlg(QWidget* owner);

  // Runs the dialog modally on the record's colour block.
  void EditColours(config::kr20optinfo& record);
  bool Accepted() const { return accepted_; }

  void OKBtnClick();
  // Every colour panel and label: the colour dialog for colour `index` of the block.
  void PanelServerMainClick(int index);
  // The control that shows colour `index` (none for colour 20).
  QWidget* Control(int index) const;

  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowColour(int index);
  void ShowBlock();
  void StoreControls();

  config::kr20optinfo* record_ = nullptr;
  config::ColorBlock backup_{};
  config::ColorBlock shown_{};  // the colour each control shows
  std::array<QWidget*, config::kColorSchemeSize> controls_{};
  bool accepted_ = false;
};
