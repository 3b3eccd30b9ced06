#pragma once
// Pushing a card setup record to a card, family by family, through the card object's setters.
// What the card's running personality does not have is skipped: the receiver of each channel is
// driven by its family (PSK, PCM/FM, PM or multi-h CPM), BERTs, transmit BERTs, FFT and IQ
// channels, combiners and the test modulator only as far as the card info block counts them.
// Empty texts in the record mean "leave the library's own setting" and are not sent.
#include <string>

#include "card/records/card_setup_record.h"

namespace card {

class kr20cardclass;

// The personality the card runs: derived from its info block and chip-variant flag, else the
// load state's current mode; kNoFpgaMode when neither says.
int RunningPersonality(const kr20cardclass& card);

// Sends every setting of `setup` the card has a home for. False (nothing sent) when the card is
// not ready.
bool PushCardSetup(kr20cardclass& card, const CardSetupRecord& setup);

// The post-D combiner's diversity output; false when the card has no post-D combiner, is not
// ready or the name is empty.
bool PushPostDDiversityOutput(kr20cardclass& card, const std::string& name);

}  // namespace card
