#include "ui/cards/status_independent_form.h"

#include <QLabel>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/setup_routines.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "settings/set_manager.h"
#include "ui/cards/strip_routines.h"
#include "ui/scheme_colours.h"
#include "util/gui/status_lamp.h"
#include "util/number_text.h"

namespace {
constexpr int kLampTop = 5;
constexpr int kLampTopDual = 0;
constexpr int kSecondLampTop = 11;
}  // namespace

TSM_Status_IndependentForm::TSM_Status_IndependentForm(QWidget* host, int channel, int card)
    : QWidget(host), card_(card), channel_(channel) {
  resize(120, 20);
  LabelStrength = ui::MakeStripLabel(this, "LabelStrength", "Strength dBm", 2);
  ShapeCarrierLock = ui::MakeStripLamp(this, "ShapeCarrierLock", "IF Detect", 44, kLampTop, 10);
  ShapeBsLock = ui::MakeStripLamp(this, "ShapeBsLock", "Bitsync Lock", 76, kLampTop, 10);
  ShapeBsLock2 = ui::MakeStripLamp(this, "ShapeBsLock2", "Bitsync 2 Lock", 76, kSecondLampTop, 8);
  ShapeBsLock2->hide();
}

void TSM_Status_IndependentForm::UpdateDisplay() {
  if (card_ < 0 || card_ >= card::SystemCardCount() || gKr20SetMgr == nullptr) return;
  const settings::ChannelStatusRecord& status = gKr20SetMgr->StatusRecord(card_, channel_);
  ui::SetTextColour(this, ui::SchemeColour(config::kAppStatusDataColor));

  const QString hint = ui::StreamHint(card::StreamDesignationName(card_, channel_), card_, channel_);
  if (toolTip() != hint) setToolTip(hint);

  LabelStrength->setVisible(card::HasDownConverter(card_, channel_));
  LabelStrength->setText(QString::fromStdString(util::FloatToFixedText(4, 0, status.DnCvt.SignalStrength)));

  ShapeCarrierLock->show();
  ShapeCarrierLock->SetColour(util::LampColour(status.Receiver.CarrierLocked != 0));
  ShapeBsLock->SetColour(util::LampColour(status.BitSync1.Locked != 0));
  ShapeBsLock->setVisible(!card::IsPmChannel(card_, channel_));

  const std::string_view receiver = ui::FieldText(status.Receiver.ReceiverName);
  if (card::CardHasDualTransmit(card_) && (receiver == "UAQPSK" || receiver == "AUQPSK")) {
    ShapeBsLock->move(ShapeBsLock->x(), kLampTopDual);
    ShapeBsLock2->show();
    ShapeBsLock2->SetColour(util::LampColour(status.BitSync2.Locked != 0));
  } else {
    ShapeBsLock->move(ShapeBsLock->x(), ShapeCarrierLock->y());
    ShapeBsLock2->hide();
  }
}
