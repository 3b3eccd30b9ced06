#include "card/rtl20_manager.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "card/apply_card_setup.h"
#include "card/device_api.h"
#include "card/device_status.h"
#include "card/setup_defaults.h"
#include "config/general_routines.h"
#include "config/globals.h"
#include "platform/path_resolve.h"
#include "platform/profile_store.h"
#include "util/error_log.h"
#include "util/repeated_log_lines.h"
#include "util/ini_read_report.h"
#include "util/file_routines.h"
#include "util/ini_file_check.h"
#include "util/ini_rewrite.h"
#include "util/ini_routines.h"

using namespace card;

namespace {

constexpr const char* kFpgaConfigFileName = "Kr20FpgaCfg.cfg";
constexpr const char* kHardwareFolder = "HARDWARECONFIGURATION";
constexpr const char* kImageFolder = "HARDWARECONFIGURATION/KR20_BIN";

bool ValidCard(int card) { return card >= 0 && card < kMaxReceiverCards; }
std::size_t At(int card) { return static_cast<std::size_t>(card); }
std::string SectionOf(int card) { return "Card_" + std::to_string(card); }
// Every FPGA configuration file has the first card's section; any key may be missing.
constexpr std::array<const char*, 5> kFpgaConfigKeys{"ForceLoad", "DefaultFpgaMode", "DesiredFpgaMode",
                                                      "LastFpgaMode", "CurrentFpgaMode"};

// Every configuration file this program wrote holds every key of every card's section.
util::IniFileCheck CheckFpgaConfigKeys(const std::string& file) {
  std::vector<util::IniKeyName> keys;
  for (int card = 0; card < kMaxReceiverCards; ++card) {
    for (const char* key : kFpgaConfigKeys) keys.push_back({SectionOf(card), key});
  }
  return util::FirstMissingKey(file, keys);
}

constexpr util::IniFileShape kFpgaConfigFileShape{"Card_0", "", CheckFpgaConfigKeys};

bool HasImageExtension(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  const std::string wanted = kFpgaImageExtension;
  return extension.size() == wanted.size() &&
         std::equal(extension.begin(), extension.end(), wanted.begin(), [](char a, char b) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(a) == lower(b);
         });
}

// The counts a demo card shows when no image of its personality was scanned: PSK+PSK.
kr20cardinfo DemoPskPskCardInfo() {
  kr20cardinfo info{};
  info.NumModulators = 1;
  info.NumPskReceivers = 2;
  info.NumBerts = 2;
  info.NumTxBerts = 2;
  info.NumFftChannels = 2;
  info.NumIqChannels = 2;
  return info;
}

FpgaLoadState InitialLoadState() {
  FpgaLoadState state{};
  state.DefaultFpgaMode = 0;
  state.DesiredFpgaMode = 0;
  state.LastFpgaMode = kNoFpgaMode;
  state.CurrentFpgaMode = kNoFpgaMode;
  return state;
}

std::string MaskText(std::uint16_t mask) {
  std::string text = "0x0000";
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(5 - i)] = kDigits[(mask >> (4 * i)) & 0xF];
  return text;
}

}  // namespace

quorxrtl20mgrclass::quorxrtl20mgrclass(std::string libraryFolder) : libraryFolder_(std::move(libraryFolder)) {
  loadStates_.fill(InitialLoadState());
  for (kr20modefnavailstruct& images : modeImages_) {
    for (kr20modefnstruct& slot : images) slot.Mode = kNoFpgaMode;
  }
  for (kr20modefnavailstruct& images : imagesByVariant_) {
    for (kr20modefnstruct& slot : images) slot.Mode = kNoFpgaMode;
  }
}

quorxrtl20mgrclass::~quorxrtl20mgrclass() {
  // The operator asked for a forced load at the next start-up.
  if (config::gApp.ForceFpgaLoad != 0) {
    for (int card = 0; card < kMaxReceiverCards; ++card) LoadState(card).ForceLoad = 1;
  }
  SaveFpgaConfigFile();
  CloseCards();
}

void quorxrtl20mgrclass::SetCardCount(int count) { cardCount_ = std::clamp(count, 0, kMaxReceiverCards); }

card::kr20cardclass* quorxrtl20mgrclass::Card(int card) const {
  return ValidCard(card) ? cards_[At(card)].get() : nullptr;
}

bool quorxrtl20mgrclass::ChipVariant(int card) const { return ValidCard(card) && chipVariants_[At(card)]; }

card::FpgaLoadState& quorxrtl20mgrclass::LoadState(int card) {
  if (!ValidCard(card)) {
    noCardLoadState_ = FpgaLoadState{};
    return noCardLoadState_;
  }
  if (kr20cardclass* object = cards_[At(card)].get(); object != nullptr) return object->LoadState();
  return loadStates_[At(card)];
}

std::uint16_t quorxrtl20mgrclass::FunctionMask(int card) const {
  return ValidCard(card) ? functionMasks_[At(card)] : std::uint16_t{0};
}

const card::kr20modefnavailstruct& quorxrtl20mgrclass::ModeImages(int card) const {
  static const kr20modefnavailstruct kNone = [] {
    kr20modefnavailstruct none{};
    for (kr20modefnstruct& slot : none) slot.Mode = kNoFpgaMode;
    return none;
  }();
  return ValidCard(card) ? modeImages_[At(card)] : kNone;
}

card::FpgaModeSlotTable quorxrtl20mgrclass::ModeSlots(int card) const {
  FpgaModeSlotTable slots{};
  if (!ValidCard(card)) return slots;
  const kr20modefnavailstruct& images = modeImages_[At(card)];
  for (std::size_t mode = 0; mode < images.size(); ++mode) {
    if (images[mode].Mode != kNoFpgaMode) slots[mode] = SlotFromImageHeader(images[mode].Header);
  }
  return slots;
}

std::string quorxrtl20mgrclass::FpgaConfigFilePath() {
  return config::SystemFolder(kHardwareFolder) + "/" + kFpgaConfigFileName;
}

std::string quorxrtl20mgrclass::FpgaImageFolder() { return config::SystemFolder(kImageFolder); }

// ---- Binding, counting, scanning ------------------------------------------------------------------

bool quorxrtl20mgrclass::DoAfterHwCfgMgrLoaded() {
  LoadFpgaConfigFile();
  cardsFound_ = 0;
  if (!library_.Load(libraryFolder_)) {
    util::LogError("Receiver card library not loaded: no receiver cards", 0, false);
  } else if (library_.Fn().Card_GetCount == nullptr) {
    util::LogError("Receiver card library has no card count", 0, false);
  } else {
    int count = 0;
    const int status = library_.Fn().Card_GetCount(&count);
    if (status != kDevOk) {
      util::LogError(std::string("Receiver card count not read: ") + DeviceStatusText(status), 0, false);
      count = 0;
    } else if (count < 0 || count > kMaxReceiverCards) {
      util::WriteErrorLogLine("Receiver card library reports " + std::to_string(count) + " cards, using " +
                                  std::to_string(std::clamp(count, 0, kMaxReceiverCards)),
                              0);
    }
    cardsFound_ = std::clamp(count, 0, kMaxReceiverCards);
  }
  cardCount_ = cardsFound_;

  ScanFpgaImages();
  for (int card = 0; card < kMaxReceiverCards; ++card) {
    if (card >= cardsFound_) {
      ClearModeImages(card);
      continue;
    }
    const bool variant = ProbeChipVariant(card);
    AssignModeImages(card, variant);
    {
      int usable = 0;
      for (const kr20modefnstruct& slot : modeImages_[At(card)]) usable += slot.Mode != kNoFpgaMode ? 1 : 0;
      util::WriteErrorLogLine("Card " + std::to_string(card + 1) + (variant ? " chip variant" : " standard") +
                                  ", FPGA images " + std::to_string(usable) + ", function mask " +
                                  MaskText(functionMasks_[At(card)]),
                              card + 1);
    }
  }
  return library_.Loaded();
}

void quorxrtl20mgrclass::ScanFpgaImages() {
  for (kr20modefnavailstruct& images : imagesByVariant_) {
    for (kr20modefnstruct& slot : images) slot = kr20modefnstruct{};
  }
  const std::string folder = platform::ResolvePath(FpgaImageFolder());
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!HasImageExtension(it->path())) continue;
    std::error_code kind;
    if (it->is_regular_file(kind)) {
      files.push_back(it->path());
    } else {
      // A FIFO, folder or device under an image's name is never opened, but named.
      util::WriteErrorLogLine("FPGA image " + it->path().string() + " ignored: not a regular file", 0);
    }
  }
  if (error && files.empty()) {
    util::WriteErrorLogLine("FPGA image folder " + folder + " not readable: " + error.message(), 0);
    return;
  }
  // Sorted, so that the same folder always gives the same slots.
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& file : files) {
    FpgaImageHeader header{};
    if (!ReadFpgaImageHeader(file.string(), header)) {
      util::WriteErrorLogLine("FPGA image " + file.string() + " ignored: not an image of this format", 0);
      continue;
    }
    const std::int32_t mode = header.FpgaMode;  // checked by ReadFpgaImageHeader
    const std::uint8_t variant = header.ChipVariant;
    kr20modefnstruct& slot = imagesByVariant_[variant != 0 ? 1 : 0][static_cast<std::size_t>(mode)];
    if (slot.Mode != kNoFpgaMode) {
      util::WriteErrorLogLine("FPGA image " + file.string() + " ignored: mode " + std::to_string(mode) +
                                  " already served by " + slot.ImageFile,
                              0);
      continue;
    }
    slot.Mode = mode;
    slot.ImageFile = file.string();
    slot.Header = header;
  }
}

void quorxrtl20mgrclass::AssignModeImages(int card, bool chipVariant) {
  if (!ValidCard(card)) return;
  chipVariants_[At(card)] = chipVariant;
  modeImages_[At(card)] = imagesByVariant_[chipVariant ? 1 : 0];
  const FpgaModeSlotTable slots = ModeSlots(card);
  std::uint16_t mask = 0;
  for (int mode = 0; mode < kOperationModeCount; ++mode) {
    OperationModeChoice choice;
    if (ModeFeatureTest(mode, slots, chipVariant, choice)) mask = static_cast<std::uint16_t>(mask | (1u << mode));
  }
  functionMasks_[At(card)] = mask;
}

void quorxrtl20mgrclass::ClearModeImages(int card) {
  if (!ValidCard(card)) return;
  chipVariants_[At(card)] = false;
  for (kr20modefnstruct& slot : modeImages_[At(card)]) slot = kr20modefnstruct{};
  functionMasks_[At(card)] = 0;
}

// The variant is asked of the card itself; the library answers only for an open card, so a card
// that is still closed is opened for the question and closed again.
bool quorxrtl20mgrclass::ProbeChipVariant(int card) const {
  if (const kr20cardclass* object = Card(card); object != nullptr && object->IsOpen() && !object->IsSimulated()) {
    return object->ChipVariant();
  }
  const Zp90Functions& fn = library_.Fn();
  if (!library_.Loaded() || fn.Card_GetChipVariant == nullptr) return false;
  int variant = 0;
  if (fn.Card_GetChipVariant(card, &variant) == kDevOk) return variant != 0;
  if (fn.Card_Open == nullptr || fn.Card_Open(card) != kDevOk) return false;
  const bool ok = fn.Card_GetChipVariant(card, &variant) == kDevOk;
  if (fn.Card_Close != nullptr) fn.Card_Close(card);
  return ok && variant != 0;
}

// ---- Opening and closing ----------------------------------------------------------------------------

int quorxrtl20mgrclass::DetectedCardCount() { return cardsFound_; }

bool quorxrtl20mgrclass::OpenCards(bool simulated, int count) {
  CloseCards();
  if (count < 0 || count > kMaxReceiverCards) {
    util::WriteErrorLogLine("OpenCards: " + std::to_string(count) + " cards asked, using " +
                                std::to_string(std::clamp(count, 0, kMaxReceiverCards)),
                            0);
  }
  count = std::clamp(count, 0, kMaxReceiverCards);
  const int requested = count;
  if (!simulated && count > cardsFound_) {
    util::WriteErrorLogLine("OpenCards: " + std::to_string(count) + " cards asked, " + std::to_string(cardsFound_) +
                                " found",
                            0);
    count = cardsFound_;
  }
  // Demo cards run the standard board unless only chip-variant images exist.
  bool demoVariant = false;
  if (simulated) {
    const auto has = [](const kr20modefnavailstruct& images) {
      return std::any_of(images.begin(), images.end(),
                         [](const kr20modefnstruct& slot) { return slot.Mode != kNoFpgaMode; });
    };
    demoVariant = !has(imagesByVariant_[0]) && has(imagesByVariant_[1]);
  }

  bool allOpen = true;
  int opened = 0;
  for (int card = 0; card < count; ++card) {
    auto object = std::make_unique<kr20cardclass>(card, library_, simulated);
    if (!object->Open()) {
      allOpen = false;
      break;  // indices stay contiguous: cards after a failed one are not used
    }
    const bool variant = simulated ? demoVariant : object->ChipVariant();
    AssignModeImages(card, variant);
    for (const kr20modefnstruct& slot : modeImages_[At(card)]) {
      if (slot.Mode == kNoFpgaMode) continue;
      const std::uint8_t target = slot.Header.TargetFpga;
      object->SetFpgaImage(slot.Mode, target, slot.ImageFile);
    }
    FpgaLoadState state = loadStates_[At(card)];
    state.LoadingNow = 0;
    if (simulated) {
      // The demo personality: PSK+PSK (or the first image of a variant-only set).
      const int mode = demoVariant ? SelectAvailableImage(true, ModeSlots(card)) : 0;
      const kr20modefnstruct& slot = modeImages_[At(card)][static_cast<std::size_t>(mode == kNoFpgaMode ? 0 : mode)];
      object->SetSimulatedCardInfo(slot.Mode != kNoFpgaMode ? slot.Header.CardInfo : DemoPskPskCardInfo());
      state.CurrentFpgaMode = mode == kNoFpgaMode ? 0 : mode;
    } else if (object->FirstFpgaPresent()) {
      // What the card runs now counts more than what the file remembers.
      const int running = DeriveOperationalMode(object->CardInfo(), variant);
      if (running != kNoFpgaMode) state.CurrentFpgaMode = running;
    }
    object->LoadState() = state;
    object->Setup() = DefaultCardSetup();
    cards_[At(card)] = std::move(object);
    ++opened;
  }
  cardCount_ = opened;
  for (int card = opened; card < kMaxReceiverCards; ++card) ClearModeImages(card);
  util::WriteErrorLogLine("Receiver cards opened: " + std::to_string(opened) + (simulated ? " (simulated)" : ""), 0);
  return allOpen && opened == requested;
}

void quorxrtl20mgrclass::CloseCards() {
  for (int card = 0; card < kMaxReceiverCards; ++card) {
    std::unique_ptr<kr20cardclass>& object = cards_[At(card)];
    if (object == nullptr) continue;
    loadStates_[At(card)] = object->LoadState();
    loadStates_[At(card)].LoadingNow = 0;
    object->Close();
    object.reset();
  }
  cardCount_ = 0;
}

// ---- FPGA command lock --------------------------------------------------------------------------------

bool quorxrtl20mgrclass::FpgaCmdLock() {
  if (fpgaCommandMutex_.Wait(std::chrono::milliseconds(kFpgaCommandLockTimeoutMs)) == platform::MutexWait::Acquired) {
    return true;
  }
  util::WriteErrorLogLine("COULDN'T GET A FPGA COMMAND LOCK", 0);
  return false;
}

void quorxrtl20mgrclass::FpgaCmdUnlock() { fpgaCommandMutex_.Release(); }

// ---- FPGA configuration file --------------------------------------------------------------------------

bool quorxrtl20mgrclass::SaveFpgaConfigFile() {
  std::array<FpgaLoadState, kMaxReceiverCards> states{};
  for (int card = 0; card < kMaxReceiverCards; ++card) states[At(card)] = LoadState(card);
  const std::string path = platform::ResolvePath(FpgaConfigFilePath());
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  const bool saved = util::RewriteIniFile(path, kFpgaConfigFileShape, [&](const std::string& file) {
    bool ok = true;
    for (int card = 0; card < kMaxReceiverCards; ++card) {
      const FpgaLoadState& state = states[At(card)];  // a local array element, not a packed member
      const std::string section = SectionOf(card);
      const std::uint8_t force = state.ForceLoad;
      const std::int32_t modes[] = {state.DefaultFpgaMode, state.DesiredFpgaMode, state.LastFpgaMode,
                                    state.CurrentFpgaMode};
      ok = util::IniWriteInt(file, section, "ForceLoad", force != 0 ? 1 : 0) && ok;
      ok = util::IniWriteInt(file, section, "DefaultFpgaMode", modes[0]) && ok;
      ok = util::IniWriteInt(file, section, "DesiredFpgaMode", modes[1]) && ok;
      ok = util::IniWriteInt(file, section, "LastFpgaMode", modes[2]) && ok;
      ok = util::IniWriteInt(file, section, "CurrentFpgaMode", modes[3]) && ok;
    }
    return ok;
  });
  if (!saved) util::LogError("FPGA configuration file " + path + " not saved", 0, false);
  return saved;
}

bool quorxrtl20mgrclass::LoadFpgaConfigFile() {
  const std::string found = platform::ResolvePath(FpgaConfigFilePath());
  if (!util::IniFileOrBakPresent(found)) {
    util::WriteErrorLogLine("FPGA configuration file " + found + " not found, defaults kept", 0);
    return false;
  }
  // A damaged file is read from its ".BAK"; with neither readable the defaults stay.
  const std::string path = util::IniFileToRead(found, kFpgaConfigFileShape);
  if (path.empty()) return false;
  const platform::ProfileReadScope scope(path);
  const util::IniReadReport report(kFpgaConfigFileName);
  for (int card = 0; card < kMaxReceiverCards; ++card) {
    FpgaLoadState state = LoadState(card);
    const std::string section = SectionOf(card);
    const auto read = [&](const char* key, std::int32_t low, std::int32_t high, std::int32_t current) {
      std::int32_t value = current;
      if (!util::IniReadInt(path, section, key, value)) return current;
      if (value < low || value > high) {
        util::WriteErrorLogLineOnce("FPGA configuration " + section + " " + key + "=" + std::to_string(value) +
                                        " out of range, ignored",
                                    card + 1);
        return current;
      }
      return value;
    };
    state.ForceLoad = static_cast<std::uint8_t>(read("ForceLoad", 0, 1, state.ForceLoad));
    state.DefaultFpgaMode = read("DefaultFpgaMode", 0, kNoFpgaMode, state.DefaultFpgaMode);
    state.DesiredFpgaMode = read("DesiredFpgaMode", 0, kNoFpgaMode, state.DesiredFpgaMode);
    state.LastFpgaMode = read("LastFpgaMode", 0, kNoFpgaMode, state.LastFpgaMode);
    state.CurrentFpgaMode = read("CurrentFpgaMode", 0, kNoFpgaMode, state.CurrentFpgaMode);
    LoadState(card) = state;
  }
  return true;
}

// ---- Setups -----------------------------------------------------------------------------------------

bool quorxrtl20mgrclass::ApplyCardSetup(int card) {
  kr20cardclass* object = Card(card);
  if (object == nullptr || card >= cardCount_) return false;
  if (object->IsSimulated()) return true;  // a demo card has nothing to take the settings
  if (!PushCardSetup(*object, object->Setup())) {
    util::WriteErrorLogLine("Card " + std::to_string(card + 1) + " setup not applied: card not ready", card + 1);
    return false;
  }
  return true;
}

bool quorxrtl20mgrclass::ApplyPostDDiversityOutput(int card, const std::string& name) {
  kr20cardclass* object = Card(card);
  if (object == nullptr || card >= cardCount_ || object->IsSimulated()) return false;
  return PushPostDDiversityOutput(*object, name);
}
