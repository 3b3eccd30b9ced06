// The whole card setup file: the sections in file order, written through one batch (the file
// reaches the disk once, whole) and read into copies that replace the records only when the file
// turned out to be a setup file.
#include "settings/setup_file.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "card/card_routines.h"
#include "card/dncvt_manager.h"
#include "card/records/card_setup_record.h"
#include "card/records/dncvt_channel_record.h"
#include "card/rtl20_manager.h"
#include "config/globals.h"
#include "config/options_store.h"
#include "platform/path_resolve.h"
#include "platform/profile_file.h"
#include "platform/profile_store.h"
#include "platform/regular_file.h"
#include "settings/last_setup.h"
#include "settings/set_manager.h"
#include "settings/setup_file_sections.h"
#include "util/error_log.h"
#include "util/file_routines.h"
#include "util/ini_read_report.h"
#include "util/ini_routines.h"
#include "util/process_globals.h"

namespace settings {

namespace {

using namespace setupfile;

constexpr const char* kSetupFolder = "/USER/SETUPFILES/";

constexpr int kStreams = static_cast<int>(card::kSetupChannels);
constexpr int kFfts = static_cast<int>(card::kSetupFftBlocks);

void WriteAllSections(SectionWriter& out, int card, const card::CardSetupRecord& setup,
                      const card::DnCvtSetupRecord& dnCvtA, const card::DnCvtSetupRecord& dnCvtB) {
  WriteDesignationSection(out, card);
  WriteRouteInfoSection(out, setup.RouteInfo);
  for (int n = 0; n < kStreams; ++n) WriteReceiverSections(out, n, setup.Receiver[n]);
  for (int n = 0; n < kStreams; ++n) WriteRxBertSection(out, RxBertSectionName(n), setup.RxBert[n]);
  for (int n = 0; n < kStreams; ++n) WriteTxBertSection(out, TxBertSectionName(n), setup.TxBert[n]);
  WritePreDSection(out, kPreDSection, setup.PreD);
  WritePostDSection(out, kPostDSection, setup.PostD);
  WriteModulatorSections(out, setup.Modulator);
  for (int n = 0; n < kFfts; ++n) WriteFftSection(out, FftSectionName(n), setup.Fft[n]);
  for (int n = 0; n < kStreams; ++n) WriteIqSection(out, IqSectionName(n), setup.Iq[n]);
  WriteBasebandSection(out, kBasebandSection, setup.BasebandSources);
  WriteDownConverterSection(out, DownConverterSectionName(0), dnCvtA);
  WriteDownConverterSection(out, DownConverterSectionName(1), dnCvtB);
}

// The card setup sections; the down-converter sections are read by the caller.
void ReadCardSections(SectionReader& in, card::CardSetupRecord& setup) {
  ReadRouteInfoSection(in, setup.RouteInfo);
  for (int n = 0; n < kStreams; ++n) ReadReceiverSections(in, n, setup.Receiver[n]);
  for (int n = 0; n < kStreams; ++n) ReadRxBertSection(in, RxBertSectionName(n), setup.RxBert[n]);
  for (int n = 0; n < kStreams; ++n) ReadTxBertSection(in, TxBertSectionName(n), setup.TxBert[n]);
  ReadPreDSection(in, kPreDSection, setup.PreD);
  ReadPostDSection(in, kPostDSection, setup.PostD);
  ReadModulatorSections(in, setup.Modulator);
  for (int n = 0; n < kFfts; ++n) ReadFftSection(in, FftSectionName(n), setup.Fft[n]);
  for (int n = 0; n < kStreams; ++n) ReadIqSection(in, IqSectionName(n), setup.Iq[n]);
  ReadBasebandSection(in, kBasebandSection, setup.BasebandSources);
}

ReadOptions CurrentReadOptions() {
  config::kr20optinfo defaults{};
  const config::kr20optinfo* options = nullptr;
  if (config::gApp.Options != nullptr) {
    options = &config::gApp.Options->Info();
  } else {
    config::SetDefaultOptions(defaults);
    options = &defaults;
  }
  ReadOptions read;
  read.RecallTestModOutputState = options->RecallTestModOutputState != 0;
  read.UseDirectCifTuningMode = options->UseDirectCifTuningMode != 0;
  read.NoiseFilterGainValue = options->NoiseFilterGainValue;
  return read;
}

// Why `path` cannot take a setup file: what is there is no profile file that can be read (a FIFO,
// a folder, a device, a link loop, a file too large); empty when nothing is there yet or it can.
std::string NotAFileToWrite(const std::string& path) {
  platform::ReadFileStatus status = platform::ReadFileStatus::kOk;
  std::string why;
  const int fd = platform::OpenRegularFile(path, platform::kProfileFileLimit, status, why);
  if (fd >= 0) ::close(fd);
  return status == platform::ReadFileStatus::kOk || status == platform::ReadFileStatus::kMissing ? std::string() : why;
}

// The slot may hold a bare base name or a whole file name (the last-setup list and the file
// dialogs give paths, possibly with Windows separators): the file always lives in the setup
// folder, under its base name. Only the setup extension is dropped, so "TRACK.V2" stays whole.
std::string SetupBaseName(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  const std::string extension = std::string(".") + kSetupFileExtension;
  if (base.size() >= extension.size()) {
    const std::string tail = base.substr(base.size() - extension.size());
    const bool same = std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    if (same) base.resize(base.size() - extension.size());
  }
  if (base == "." || base == "..") return {};
  return base;
}

}  // namespace

bool WriteCardSetup(int card, const std::string& fileName, const card::CardSetupRecord& setup,
                    const card::DnCvtChannelRecord& dnCvtA, const card::DnCvtChannelRecord& dnCvtB) {
  const std::string path = platform::ResolvePath(fileName);
  // Something in the file's place that is no file refuses every key: one line for the save.
  if (const std::string why = NotAFileToWrite(path); !why.empty()) {
    util::LogError("Setup file " + path + " not saved: " + why, 0, false);
    return false;
  }
  // Saving over an older file that holds a key this setup must not have: the keys go onto a copy
  // without it, which then replaces the file whole.
  const std::optional<std::string> preimage = WithoutStaleModeKeys(path, setup.RouteInfo);
  const std::string target = preimage ? path + ".new" : path;
  if (preimage && !WriteFileBytes(target, *preimage)) {
    ::unlink(target.c_str());
    util::LogError("Setup file " + path + " not saved: cannot write " + target, 0, false);
    return false;
  }

  bool ok = false;
  {
    platform::ProfileBatch batch(target);
    SectionWriter out(target);
    WriteAllSections(out, card, setup, dnCvtA.Setup, dnCvtB.Setup);
    ok = batch.Commit() && out.Ok();
  }
  if (target != path) {
    if (ok && ::rename(target.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(target.c_str());
  }
  if (!ok) util::LogError("Setup file " + path + " not saved", 0, false);
  return ok;
}

bool ReadCardSetup(int card, const std::string& fileName, card::CardSetupRecord& setup,
                   card::DnCvtChannelRecord& dnCvtA, card::DnCvtChannelRecord& dnCvtB, std::string* whyNot) {
  if (!util::FileExists(fileName)) {
    if (whyNot != nullptr) *whyNot = "is missing";
    return false;
  }
  const platform::ProfileReadScope scope(fileName);
  util::IniReadReport report("Setup file " + fileName);
  SectionReader in(fileName, CurrentReadOptions());

  // Everything goes into copies first: a file that turns out not to be a setup file changes
  // nothing. One converter tied to both channels takes both sections, the second one last.
  card::CardSetupRecord readSetup = setup;
  card::DnCvtSetupRecord readA = dnCvtA.Setup;
  card::DnCvtSetupRecord readB = dnCvtB.Setup;
  const bool sameConverter = &dnCvtA == &dnCvtB;
  const DesignationTexts designations = ReadDesignationSection(in, card);
  ReadCardSections(in, readSetup);
  ReadDownConverterSection(in, DownConverterSectionName(0), readA);
  if (sameConverter) readB = readA;
  ReadDownConverterSection(in, DownConverterSectionName(1), readB);

  if (in.KeysFound() == 0) {
    if (whyNot != nullptr) {
      *whyNot = "holds no setup";
    } else {
      util::WriteErrorLogLine("Setup file " + fileName + " holds no setup; not loaded", 0);
    }
    return false;
  }
  // A cut file loads its first part: say how much of it was not there.
  report.SetMissingKeys(in.KeysMissing());
  setup = readSetup;
  dnCvtA.Setup = readA;
  dnCvtB.Setup = readB;
  StoreDesignations(card, designations);
  // The next mode application loads the personality the setup asks for.
  if (gRtl20Mgr != nullptr && card >= 0 && card < card::kMaxReceiverCards) {
    gRtl20Mgr->LoadState(card).DesiredFpgaMode = readSetup.RouteInfo.FpgaMasterMode;
  }
  return true;
}

std::string CardSetupFilePath(int card) {
  if (gKr20SetMgr == nullptr || card < 0 || card >= kCards) return {};
  const std::string baseName = SetupBaseName(gKr20SetMgr->SetupFileNames[static_cast<std::size_t>(card)]);
  if (baseName.empty()) return {};
  return platform::ResolvePath(util::ProgramFolder() + kSetupFolder + baseName + "." + kSetupFileExtension);
}

std::array<card::DnCvtChannelRecord*, 2> CardDnCvtRecords(int card, card::DnCvtChannelRecord& spare) {
  if (gDnCvtMgr == nullptr) return {&spare, &spare};
  const auto valid = [](int index) {
    return index >= 0 && static_cast<std::size_t>(index) < card::kDnCvtRecords ? index : -1;
  };
  int first = valid(card::GetDownConverterIndex(card, 0));
  if (first < 0) first = 0;
  int second = valid(card::GetDownConverterIndex(card, 1));
  if (second < 0) second = first;
  auto& records = gDnCvtMgr->Records;
  return {&records[static_cast<std::size_t>(first)], &records[static_cast<std::size_t>(second)]};
}

bool SaveCardSetupFile(int card) {
  const std::string path = CardSetupFilePath(card);
  if (path.empty() || card::CardObject(card) == nullptr) return false;
  // A fresh installation may not have the folder yet.
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  return WriteCardSetupSections(card, path);
}

bool LoadCardSetupFile(int card) {
  const std::string path = CardSetupFilePath(card);
  return !path.empty() && ReadCardSetupSections(card, path);
}

}  // namespace settings
