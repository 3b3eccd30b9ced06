#include "settings/last_setup_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "config/general_routines.h"
#include "config/globals.h"
#include "util/ini_routines.h"
#include "util/number_text.h"

namespace settings {

namespace {
constexpr const char* kFolder = "HARDWARECONFIGURATION";

std::string InFolder(const std::string& name) { return config::SystemFolder(std::string(kFolder) + "/" + name); }
}  // namespace

std::string LastSetupFolder() { return config::SystemFolder(kFolder); }
std::string LastSetupFilePath() { return InFolder(kLastSetupFileName); }
std::string LastStateFilePath() { return InFolder(kLastStateFileName); }
std::string CardStateFilePath(int card) { return InFolder(kLastStateFileName + std::to_string(card)); }

void MakeLastSetupFolder() {
  std::error_code ignored;  // a folder that cannot be made shows up as a failed write
  std::filesystem::create_directories(LastSetupFolder(), ignored);
}

std::string CardListSection(int card) { return "KR20_" + std::to_string(card); }

bool IsValidCardCount(int count) { return count >= 0 && count <= config::kMaxCards; }

util::IniFileCheck CheckCardListKeys(const std::string& file) {
  std::string text;
  if (!util::IniReadString(file, kCardListSection, kCardCountKey, text)) return {util::IniFileState::kWhole, {}};
  std::int32_t count = 0;
  if (!util::TextToInt(text, count)) return {util::IniFileState::kDamaged, std::string(kCardCountKey) + " is not a number"};
  // A list is only ever written for at least one card.
  if (count < 1 || count > config::kMaxCards) {
    return {util::IniFileState::kDamaged, std::string(kCardCountKey) + " " + std::to_string(count) + " is outside 1.." +
                                              std::to_string(config::kMaxCards)};
  }
  std::vector<util::IniKeyName> keys;
  for (int card = 0; card < count; ++card) keys.push_back({CardListSection(card), kCardFileKey});
  return util::FirstMissingKey(file, keys);
}

bool WriteCardList(const std::string& file, const std::vector<std::string>& files) {
  bool ok = util::IniWriteInt(file, kCardListSection, kCardCountKey, static_cast<std::int64_t>(files.size()));
  for (std::size_t card = 0; card < files.size(); ++card) {
    ok = util::IniWriteString(file, CardListSection(static_cast<int>(card)), kCardFileKey, files[card]) && ok;
  }
  return ok;
}

bool ReadCardList(const std::string& file, int cardCount, std::vector<std::optional<std::string>>& files) {
  files.clear();
  std::int32_t listed = 0;
  if (!util::IniReadInt(file, kCardListSection, kCardCountKey, listed)) return false;
  // Cards beyond either count are left alone; a negative count lists none.
  const int cards = std::clamp(std::min<int>(listed, cardCount), 0, config::kMaxCards);
  for (int card = 0; card < cards; ++card) {
    std::string name;
    if (util::IniReadString(file, CardListSection(card), kCardFileKey, name)) {
      files.emplace_back(std::move(name));
    } else {
      files.emplace_back(std::nullopt);
    }
  }
  return true;
}

}  // namespace settings
