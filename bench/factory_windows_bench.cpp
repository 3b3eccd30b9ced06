// The factory windows on a virtual card, on the interface thread (goal: each under 20 ms).
//
// "PeekIntoTheDump": "Peek At It" of 4096 registers from register 0, the dump cleared before
// each run: the card's registers read through the device library and 4097 dump lines appended.
// "ReadPokeFile": "Read File" of a poke file of 4096 pairs (the open-file dialog answered at once)
// with its listing of 4098 lines. "PokeFile": "Poke It" of those 4096 pairs.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "config/globals.h"
#include "running_program.h"
#include "ui/factory/factory_windows.h"
#include "ui/factory/file_poke_form.h"
#include "ui/factory/peek_poke_form.h"
#include "util/dialog_service.h"

namespace {

// Answers every prompt with `answer`, every popup menu with the item captioned `item` and every
// open-file dialog with `file`.
class AnsweringDialogs final : public util::DialogService {
 public:
  std::string answer;
  std::string item;
  std::string file;
  void ShowMessage(const std::string&, const std::string&) override {}
  bool InputQuery(const std::string&, const std::string&, std::string& text) override {
    text = answer;
    return true;
  }
  bool OpenFile(const util::FileDialogRequest&, std::string& path) override {
    path = file;
    return true;
  }
  bool SaveFile(const util::FileDialogRequest&, std::string&) override { return false; }
  bool PickColour(util::TColor&) override { return false; }
  int ChooseMenuItem(const util::MenuChoiceRequest& request) override {
    for (std::size_t i = 0; i < request.items.size(); ++i) {
      if (request.items[i].caption == item) return static_cast<int>(i);
    }
    return -1;
  }
  util::Answer AskYesNoCancel(const std::string&, const std::string&) override { return util::Answer::Cancel; }
};

std::unique_ptr<benchprogram::RunningProgram> gProgram;
std::shared_ptr<AnsweringDialogs> gDialogs;

benchprogram::RunningProgram& Program() {
  if (gProgram == nullptr) {
    gProgram = std::make_unique<benchprogram::RunningProgram>();
    const std::string hardware =
        "[General]\nCards=1\nSeed=3\n[Card_0]\nFpgaMode=0\n[DownConverters]\nKr12Cards=0\nKr14Cards=0\n";
    if (!gProgram->Start(hardware, 1)) {
      std::abort();
    }
    // Nothing periodic runs between the measured clicks.
    gProgram->Form().MasterTimer()->stop();
    gDialogs = std::make_shared<AnsweringDialogs>();
    util::SetDialogService(gDialogs);
  }
  return *gProgram;
}

void PeekIntoTheDump(benchmark::State& state) {
  Program();
  ui::ShowPeekPokeForm(0, &Program().Form());
  TDbg_PeekPokeForm& form = *config::gApp.PeekPokeForms[0];
  gDialogs->item = "Num Regs To Peek";
  gDialogs->answer = "4096";
  form.PanelSetupPopup();
  if (form.PeekCount() != 4096) state.SkipWithError("peek count not set");
  for (auto _ : state) {
    state.PauseTiming();
    form.ButtonClearMemoClick();
    state.ResumeTiming();
    form.ButtonPeekClick();
  }
  if (form.DumpLineCount() != 4097) state.SkipWithError("the dump is not 4097 lines");
}
BENCHMARK(PeekIntoTheDump)->Unit(benchmark::kMillisecond);

std::string WritePokeFile() {
  const std::string path = Program().Folder() + "/Bench4096.poke";
  std::ofstream file(path);
  for (int i = 0; i < 4096; ++i) file << std::hex << i << '\t' << (0x10000000 + i) << "\r\n";
  return path;
}

void ReadPokeFile(benchmark::State& state) {
  Program();
  ui::ShowFilePokeForm(0, &Program().Form());
  TDbg_FilePokeForm& form = *config::gApp.FilePokeForms[0];
  gDialogs->file = WritePokeFile();
  for (auto _ : state) form.ButtonReadFileClick();
  if (form.EntryCount() != 4096) state.SkipWithError("the file did not give 4096 pairs");
}
BENCHMARK(ReadPokeFile)->Unit(benchmark::kMillisecond);

void PokeFile(benchmark::State& state) {
  Program();
  ui::ShowFilePokeForm(0, &Program().Form());
  TDbg_FilePokeForm& form = *config::gApp.FilePokeForms[0];
  gDialogs->file = WritePokeFile();
  form.ButtonReadFileClick();
  if (form.EntryCount() != 4096) state.SkipWithError("the file did not give 4096 pairs");
  for (auto _ : state) form.ButtonPokeClick();
}
BENCHMARK(PokeFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  util::SetDialogService(nullptr);
  if (gProgram != nullptr) gProgram->End();
  gProgram.reset();
  return 0;
}
