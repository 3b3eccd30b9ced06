#include "ui/cards/status_combiner_form.h"

#include <QLabel>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/mode_routines.h"
#include "config/globals.h"
#include "settings/set_manager.h"
#include "ui/cards/strip_routines.h"
#include "ui/scheme_colours.h"
#include "util/gui/status_lamp.h"
#include "util/number_text.h"

namespace {
constexpr int kLampTop = 5;

QString StrengthText(double dbm) { return QString::fromStdString(util::FloatToFixedText(4, 0, dbm)); }
}  // namespace

TSM_Status_CombinerForm::TSM_Status_CombinerForm(QWidget* host, int card) : QWidget(host), card_(card) {
  resize(187, 20);
  LabelStrengthChA = ui::MakeStripLabel(this, "LabelStrengthChA", "Strength dBm Ch 1", 2);
  LabelStrengthChB = ui::MakeStripLabel(this, "LabelStrengthChB", "Strength dBm Ch 2", 40);
  ShapeCarrierLockA = ui::MakeStripLamp(this, "ShapeCarrierLockA", "IF Detect Ch 1", 80, kLampTop, 10);
  ShapeBsLockChA = ui::MakeStripLamp(this, "ShapeBsLockChA", "Bitsync Lock Ch 1", 107, kLampTop, 10);
  ShapeCarrierLockB = ui::MakeStripLamp(this, "ShapeCarrierLockB", "IF Detect Ch 2", 134, kLampTop, 10);
  ShapeBsLockChB = ui::MakeStripLamp(this, "ShapeBsLockChB", "Bitsync Lock Ch 2", 161, kLampTop, 10);
  setToolTip(QStringLiteral("KR-20 Card %1").arg(card + 1));
}

void TSM_Status_CombinerForm::UpdateCombinerStatus() {
  if (card_ < 0 || card_ >= card::SystemCardCount() || gKr20SetMgr == nullptr) return;
  ui::SetTextColour(this, ui::SchemeColour(config::kAppStatusDataColor));
  const bool pskFm = card::IsPskPcmFmMode(card::CardFpgaMode(card_)) && card::GetCardRouteMode(card_) == 1;

  const QString hint = ui::StreamHint(card::CardDesignationName(card_), card_, 0);
  if (toolTip() != hint) setToolTip(hint);

  const bool combined =
      card::IsCombinedOutputOnCh2(card_) ? !card::IsCombinedOutputOnCh2Active(card_) : card::IsCardCombining(card_);
  ShapeCarrierLockA->setVisible(combined);
  ShapeBsLockChA->setVisible(combined);
  ShapeCarrierLockB->setVisible(!combined);
  ShapeBsLockChB->setVisible(!combined);

  // Only a converter that is there has a strength to show.
  LabelStrengthChA->setVisible(card::HasDownConverter(card_, 0));
  LabelStrengthChB->setVisible(card::HasDownConverter(card_, 1));

  for (int channel = 0; channel < 2; ++channel) {
    if (config::gApp.DeveloperMode != 0) {
      ShowCombinerLampsDeveloper(channel, pskFm);
    } else {
      ShowCombinerLamps(channel);
    }
  }
}

void TSM_Status_CombinerForm::ShowCombinerLamps(int channel) {
  const bool usable = card::IsCombinerUsable(card_);
  util::StatusLamp* carrier = channel == 0 ? ShapeCarrierLockA : ShapeCarrierLockB;
  util::StatusLamp* bitSync = channel == 0 ? ShapeBsLockChA : ShapeBsLockChB;
  QLabel* strength = channel == 0 ? LabelStrengthChA : LabelStrengthChB;
  if (usable) {
    carrier->setToolTip(QStringLiteral("IF Detect"));
    bitSync->setToolTip(QStringLiteral("Bitsync Lock"));
  } else {
    carrier->setToolTip(QStringLiteral("IF Detect Ch %1").arg(channel + 1));
    bitSync->setToolTip(QStringLiteral("Bitsync Lock Ch %1").arg(channel + 1));
  }
  const settings::ChannelStatusRecord& own = gKr20SetMgr->StatusRecord(card_, channel);
  const settings::ChannelStatusRecord& ch1 = gKr20SetMgr->StatusRecord(card_, 0);
  const settings::ChannelStatusRecord& ch2 = gKr20SetMgr->StatusRecord(card_, 1);
  strength->setText(StrengthText(own.DnCvt.SignalStrength));
  const bool detect = usable ? (ch1.Receiver.CarrierLocked != 0 || ch2.Receiver.CarrierLocked != 0)
                             : own.Receiver.CarrierLocked != 0;
  const bool locked = usable ? (ch1.BitSync1.Locked != 0 || ch2.BitSync1.Locked != 0) : own.BitSync1.Locked != 0;
  carrier->SetColour(util::LampColour(detect));
  bitSync->SetColour(util::LampColour(locked));
}

void TSM_Status_CombinerForm::ShowCombinerLampsDeveloper(int channel, bool pskFm) {
  util::StatusLamp* carrier = channel == 0 ? ShapeCarrierLockA : ShapeCarrierLockB;
  util::StatusLamp* bitSync = channel == 0 ? ShapeBsLockChA : ShapeBsLockChB;
  QLabel* strength = channel == 0 ? LabelStrengthChA : LabelStrengthChB;
  const settings::ChannelStatusRecord& ch1 = gKr20SetMgr->StatusRecord(card_, 0);
  const settings::ChannelStatusRecord& ch2 = gKr20SetMgr->StatusRecord(card_, 1);
  strength->setText(StrengthText(gKr20SetMgr->StatusRecord(card_, channel).DnCvt.SignalStrength));
  const bool detect = ch1.Receiver.CarrierLocked != 0 || ch2.Receiver.CarrierLocked != 0;
  const bool locked = pskFm ? ch2.BitSync1.Locked != 0 : (ch1.BitSync1.Locked != 0 || ch2.BitSync1.Locked != 0);
  carrier->SetColour(util::LampColour(detect));
  bitSync->SetColour(util::LampColour(locked));
}
