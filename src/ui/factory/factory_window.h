#pragma once
// What the three factory windows of a card share: their card, the shown and updating flags,
// their placement record (restored at the first show only, saved when they are deleted), the
// card's FPGA information and the caption's " NO FPGA LOADED " while FPGA 1 holds no image.
#include <QWidget>

#include <string>

#include "config/window_placement.h"

namespace card {
class kr20cardclass;
struct FpgaInfoRecord;
}  // namespace card

namespace ui {

inline constexpr const char* kNoFpgaLoadedSuffix = " NO FPGA LOADED ";

class FactoryWindow : public QWidget {
 public:
  FactoryWindow(QWidget* owner, int card, config::CardWindowKind kind);

  int Card() const { return card_; }
  bool Shown() const { return shown_; }

  // Stores visible, left, top, width and height into the card's placement record of this kind.
  void SaveWindowState();

 protected:
  // The card's object, looked up at each use; nullptr when the card has none.
  card::kr20cardclass* CardObject() const;
  // The card's FPGA 0 or 1 holds a loaded image.
  bool FpgaPresent(int fpga) const;
  // The record of FPGA 0 or 1; nullptr without a card object.
  const card::FpgaInfoRecord* FpgaInfo(int fpga) const;
  // `title` followed by the card number, and by kNoFpgaLoadedSuffix while FPGA 1 is not present.
  void SetCardCaption(const std::string& title);
  void RestorePlacement();

  bool shown_ = false;
  bool updating_ = false;

 private:
  int card_;
  config::CardWindowKind kind_;
};

}  // namespace ui
