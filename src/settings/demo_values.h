#pragma once
// Status values shown for simulated (demo) cards. Random, from one seeded generator that tests
// re-seed to get a known sequence. r below is DemoRandom(10), drawn once per block filled.
#include <cstdint>
#include <random>

#include "settings/channel_status_record.h"

namespace settings {

// The generator behind DemoRandom; seed it for a repeatable sequence.
std::mt19937& DemoRandomEngine();
// A random integer 0 .. n - 1; 0 when n is not positive.
int DemoRandom(int n);

enum class DemoFamily : std::uint8_t { Psk, PcmFm, Pm, MhCpm };

// Receiver block: locked when DemoRandom(100) is above 30; PSK "SOQPSK" at 70.2 MHz, signal
// -(44 + r), total -(33 + r), filter ratio 0.1 r; PM "PM" at 70.3 MHz, -(54 + r), -(43 + r); the
// actual, highest and lowest frequencies 70 MHz. PCM/FM shows as "PCM_FM" and multi-h CPM as
// "MH_CPM" with the PSK values (their demo values are ours).
void FillDemoReceiver(ReceiverStatusBlock& block, DemoFamily family);
// Bit sync: locked like the receiver, Eb/No 0.5 r + 15, measured rate r + 1,000,000, the bit rate
// shown doubled for `doubleRate`, input code "RNRZ-15". The Eb/No qualification is the caller's.
void FillDemoBitSync(BitSyncStatusBlock& block, bool doubleRate);
// Post-D: mode byte 1 when r > 4, second byte 1 when r > 8, gain r / 9 + 1, Eb/No 0.5 r + 15,
// scales 0.5 r + 75 and 0.5 r + 76.
void FillDemoPostD(PostDStatusBlock& block);
// Pre-D: the two bytes as post-D, measured noise 0.5 r + 15 on both channels.
void FillDemoPreD(PreDStatusBlock& block);
// BERT (ours): locked like the receiver, not inverted, bit rate r + 1,000,000, BER 10^-(r + 3).
void FillDemoBert(BertStatusBlock& block);

}  // namespace settings
