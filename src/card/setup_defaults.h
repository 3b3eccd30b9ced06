#pragma once
// The setup a card starts from before any setup file is recalled: a working independent
// configuration on the 70 MHz IF, every name field holding a name the device library takes or
// left empty where the library's own default is the right one.
#include "card/records/card_setup_record.h"

namespace card {

// The IF the receivers, combiners, FFT displays and the test modulator start on.
inline constexpr double kDefaultIfMhz = 70.0;
// The bit rate the bit synchronisers and transmit BERTs start with.
inline constexpr int kDefaultBitRate = 1'000'000;

CardSetupRecord DefaultCardSetup();

}  // namespace card
