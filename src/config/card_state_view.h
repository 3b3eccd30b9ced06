#pragma once
// What the configuration core needs to know of the cards. The card layer sits above this one, so
// it installs its implementation here at start-up; until then there are no cards.
namespace config {

class CardStateView {
 public:
  virtual ~CardStateView() = default;
  virtual int CardCount() const = 0;
  virtual bool IsCardOpen(int card) const = 0;
  // The hardware configuration has the card type set to simulated.
  virtual bool IsSimulatedCardTypeConfigured(int card) const = 0;
  // An FPGA load runs on the card, or its current FPGA mode differs from the desired one.
  virtual bool IsFpgaLoading(int card) const = 0;
  virtual bool IsModulatorOutputOn(int card) const = 0;
  virtual int RouteMode(int card) const = 0;
};

// nullptr removes the view.
void SetCardStateView(const CardStateView* view);
const CardStateView* GetCardStateView();

}  // namespace config
