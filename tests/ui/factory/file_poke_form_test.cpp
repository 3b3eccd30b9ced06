// The file poke window: poke files read in both radices and poked into a virtual card.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "card/kr20card.h"
#include "factory_fixture.h"
#include "support/log_capture.h"
#include "ui/factory/factory_windows.h"
#include "ui/factory/file_poke_form.h"
#include "ui/factory/poke_file.h"

namespace factorytest {
namespace {

using factory::PokePair;

class FilePokeTest : public FactoryTest {
 protected:
  TDbg_FilePokeForm& Open(int mode = 0, const std::string& extra = "") {
    Start(mode, extra);
    ui::ShowFilePokeForm(0, nullptr);
    form_ = config::gApp.FilePokeForms[0];
    EXPECT_NE(form_, nullptr);
    return *form_;
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = program_ / name;
    EXPECT_TRUE(testsupport::WriteWholeFile(path, text));
    return path;
  }
  // "Read File" with the file chosen in the dialog.
  void ReadFile(const std::string& path) {
    dialogs_->AnswerFile(path);
    form_->ButtonReadFile->click();
  }
  TDbg_FilePokeForm* form_ = nullptr;
};

TEST(PokeLine, FieldsRadicesAndSeparators) {
  const struct {
    const char* line;
    int radix;
    bool parses;
    std::uint32_t reg;
    std::uint32_t value;
  } rows[] = {
      {"10 ff", 16, true, 16, 255},
      {"10\tff", 16, true, 16, 255},
      {"0x10\t0xFF", 16, true, 16, 255},
      {"10 ff", 10, false, 0, 0},
      {"10 20", 10, true, 10, 20},
      {"70000 1", 10, true, 4464, 1},
      {"10", 16, false, 0, 0},
      {"10\t20 30", 10, false, 0, 0},
      {"x 1", 16, false, 0, 0},
      {"5 4294967295", 10, true, 5, 4294967295u},
      {"5 4294967296", 10, false, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.line) + " radix " + std::to_string(row.radix));
    std::uint32_t reg = 0;
    std::uint32_t value = 0;
    EXPECT_EQ(factory::ParsePokeLine(row.line, row.radix, reg, value), row.parses);
    if (row.parses) {
      EXPECT_EQ(reg, row.reg);
      EXPECT_EQ(value, row.value);
    }
  }
}

TEST_F(FilePokeTest, ReadingListsThePairsAndPokingWritesThemInOrder) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(form.windowTitle().toStdString(), "File POKE for Card 1");
  EXPECT_EQ(Text(form.LabelPokeFile), "UserPokeList");
  EXPECT_EQ(Text(form.LabelNumPokeLocations), "0");
  EXPECT_EQ(Text(form.LabelFpgaAddress), "0xa0000");
  EXPECT_FALSE(form.ButtonPoke->isVisible());
  const std::string path = Write("regs.poke", "64 1\r\n\r\n65\t0x2\r\n64 abcdef01\r\n");
  ReadFile(path);
  ASSERT_EQ(dialogs_->FileRequests().size(), 1u);
  EXPECT_EQ(dialogs_->FileRequests()[0].title, "Open File");
  EXPECT_EQ(dialogs_->FileRequests()[0].initialFolder, program_.Path() + "/");
  EXPECT_EQ(dialogs_->FileRequests()[0].filter, "File Type (*.poke)|*.poke");
  EXPECT_EQ(dialogs_->FileRequests()[0].proposedName, "UserPokeList");
  EXPECT_EQ(form.Pairs(), (std::vector<PokePair>{{0x64, 1}, {0x65, 2}, {0x64, 0xABCDEF01}}));
  EXPECT_EQ(Lines(form.MemoDump), (std::vector<std::string>{"Poke File -> " + path, "--------------------------",
                                                            "0x0064    0x00000001", "0x0065    0x00000002",
                                                            "0x0064    0xabcdef01"}));
  EXPECT_EQ(Text(form.LabelPokeFile), "regs");
  EXPECT_EQ(Text(form.LabelNumPokeLocations), "3");
  EXPECT_TRUE(form.ButtonPoke->isVisible());
  form.ButtonPoke->click();
  EXPECT_EQ(Register(0, 0x64), 0xABCDEF01u);  // the later pair of the same register wins
  EXPECT_EQ(Register(0, 0x65), 2u);
  const std::vector<platform::Tone> tones = sounds_.Take();
  ASSERT_EQ(tones.size(), 4u);
  EXPECT_LT(tones[0].frequencyHz, tones[3].frequencyHz);
  // The next dialog starts in the folder of the file read last.
  dialogs_->AnswerFile(std::nullopt);
  form.ButtonReadFile->click();
  // The file read last, as it is named on disk, so that the open dialog can open it as offered.
  EXPECT_EQ(dialogs_->FileRequests()[1].proposedName, "regs.poke");
  EXPECT_EQ(form.EntryCount(), 3);
}

TEST_F(FilePokeTest, DecimalFilesAndTheListingInDecimal) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  form.CheckBoxCmdHex->click();
  form.CheckBoxMemoHex->click();
  ReadFile(Write("dec.poke", "100 7\n70000 9\n101\t4294967295\n"));
  EXPECT_EQ(form.Pairs(), (std::vector<PokePair>{{100, 7}, {4464, 9}, {101, 4294967295u}}));
  EXPECT_EQ(Lines(form.MemoDump).at(2), "100    7");
  // 70000 is register 4464, which the FPGA does not have: listed, logged, not poked.
  EXPECT_EQ(Lines(form.MemoDump).at(3), "4464    9    NOT POKED: NO SUCH REGISTER");
  EXPECT_EQ(Lines(form.MemoDump).at(4), "101    4294967295");
  form.ButtonPoke->click();
  EXPECT_EQ(Register(0, 100), 7u);
  EXPECT_EQ(Register(0, 101), 4294967295u);
  EXPECT_TRUE(Logged("File poke: register 4464 (0x1170) is not one of the FPGA's registers, not poked"));
  EXPECT_EQ(sounds_.Take().size(), 4u);
}

TEST_F(FilePokeTest, TheListEndsAtTheFirstLineThatDoesNotParse) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  const struct {
    const char* name;
    std::string text;
    std::size_t pairs;
  } rows[] = {
      {"third line bad", "1 2\n3 4\nzz 5\n6 7\n", 2},
      {"decimal reading of hex", "1 2\n3 ff\n", 1},
      // The tail of a line longer than the read buffer is never a pair of its own.
      {"overlong line", "1 2\n3 " + std::string(90, ' ') + "4\n5 6\n", 1},
      {"overlong tail that parses", "1 2\n" + std::string(76, ' ') + "1 2 3 4\n5 6\n", 1},
      {"79 characters fit", "1 2\n" + std::string(76, ' ') + "3 4\n5 6\n", 3},
      {"blank lines are passed over", "1 2\n\n\n   \n3 4\n", 2},
      {"no line end at the end", "1 2\n3 4", 2},
  };
  form.CheckBoxCmdHex->click();  // decimal
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ReadFile(Write("list.poke", row.text));
    EXPECT_EQ(form.Pairs().size(), row.pairs);
    EXPECT_EQ(Lines(form.MemoDump).size(), row.pairs + 2);
  }
  EXPECT_TRUE(dialogs_->Messages().empty());
}

TEST_F(FilePokeTest, AFileOfFiveThousandLinesLoadsFourThousandAndNinetySixPairs) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i % 4096) + "\t" + std::to_string(i) + "\n";
  form.CheckBoxCmdHex->click();
  ReadFile(Write("big.poke", text));
  ASSERT_EQ(form.EntryCount(), 4096);
  EXPECT_EQ(form.Pairs().back(), (PokePair{4095, 4095}));
  EXPECT_EQ(Text(form.LabelNumPokeLocations), "4096");
  EXPECT_EQ(Lines(form.MemoDump).size(), 4098u);
  form.ButtonPoke->click();
  EXPECT_EQ(Register(0, 4000), 4000u);
}

TEST_F(FilePokeTest, AFileWithoutAParsableFirstLineIsRefused) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  const std::string good = Write("good.poke", "1 2\n");
  ReadFile(good);
  ASSERT_EQ(form.EntryCount(), 1);
  for (const std::string& text : {std::string("nonsense\n1 2\n"), std::string(), std::string("\n\n")}) {
    SCOPED_TRACE(text);
    sounds_.Take();
    ReadFile(Write("bad.poke", text));
    EXPECT_EQ(form.EntryCount(), 0);
    EXPECT_FALSE(form.ButtonPoke->isVisible());
    EXPECT_EQ(form.FileName(), good);
    EXPECT_EQ(Text(form.LabelPokeFile), "good");
    ASSERT_FALSE(dialogs_->Messages().empty());
    EXPECT_EQ(dialogs_->Messages().back().title, "ERROR");
    EXPECT_EQ(dialogs_->Messages().back().text, "INVALID SETUP FILE..ABORT LOAD");
    EXPECT_EQ(sounds_.Take(), testsupport::kErrorTones);
  }
  ReadFile(program_ / "missing.poke");
  EXPECT_EQ(dialogs_->Messages().size(), 4u);
  bool numbered = false;
  for (const std::string& line : program_.LogLines()) {
    const bool match = line.find("000001") != std::string::npos && line.find("INVALID SETUP FILE") != std::string::npos;
    numbered = numbered || match;
  }
  EXPECT_TRUE(numbered);
}

// A FIFO or a device chosen as poke file would hold the interface thread, and with it the whole
// program: waiting in the open for a writer, or reading /dev/zero for ever. Only regular files of
// a bounded size are read; anything else is refused at once with a line that says why.
TEST_F(FilePokeTest, OnlyRegularFilesOfBoundedSizeAreRead) {
  const std::string fifo = program_ / "pipe.poke";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A writer that puts a good line into the FIFO as soon as a reader opens it.
  std::thread writer([&fifo] {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);  // a reader that opened and closed at once: the write fails, no more
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(fd, "10 ff\n", 6);
    ::close(fd);
  });
  const factory::PokeFileRead fromFifo = factory::ReadPokeFile(fifo, 16);
  // The writer waits for a reader no longer.
  const int unblock = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  writer.join();
  if (unblock >= 0) ::close(unblock);
  ASSERT_TRUE(fromFifo.pairs.empty());
  EXPECT_EQ(fromFifo.why, fifo + " is not a regular file");

  const std::string zero = program_ / "zero.poke";
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  const factory::PokeFileRead fromZero = factory::ReadPokeFile(zero, 16);
  EXPECT_TRUE(fromZero.pairs.empty());
  EXPECT_EQ(fromZero.why, zero + " is not a regular file");

  std::string big = "10 ff\n";
  big.resize(factory::kMaxPokeFileBytes + 1, '\n');
  const factory::PokeFileRead fromBig = factory::ReadPokeFile(Write("big.poke", big), 16);
  EXPECT_TRUE(fromBig.pairs.empty());
  EXPECT_EQ(fromBig.why, program_ / "big.poke" + " is 1048577 bytes, more than the 1048576 allowed");
  big.resize(factory::kMaxPokeFileBytes);
  const factory::PokeFileRead atTheBound = factory::ReadPokeFile(Write("bound.poke", big), 16);
  EXPECT_EQ(atTheBound.pairs, (std::vector<PokePair>{{16, 255}}));
  EXPECT_EQ(atTheBound.why, "");

  // Through the window: refused as any unusable file, the reason in the log.
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ReadFile(zero);
  EXPECT_EQ(form.EntryCount(), 0);
  ASSERT_EQ(dialogs_->Messages().size(), 1u);
  EXPECT_EQ(dialogs_->Messages().back().text, "INVALID SETUP FILE..ABORT LOAD");
  const std::vector<std::string> lines = program_.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].substr(0, 6), "000001");
  EXPECT_EQ(lines[lines.size() - 2].substr(29), zero + " is not a regular file");
  EXPECT_EQ(lines.back().substr(29), "INVALID SETUP FILE..ABORT LOAD");
}

TEST_F(FilePokeTest, PokesOnACardThatIsNotReadyAreReportedNotSounded) {
  TDbg_FilePokeForm& form = Open();
  ASSERT_FALSE(HasFatalFailure());
  ReadFile(Write("two.poke", "10 1\n11 2\n"));
  Card().Close();
  sounds_.Take();
  form.ButtonPoke->click();
  EXPECT_EQ(Lines(form.MemoDump).back(), "FILE POKE FAILED: 2 of 2 registers not written, card not ready");
  EXPECT_TRUE(Logged("FILE POKE FAILED: 2 of 2 registers not written, card not ready"));
  EXPECT_EQ(sounds_.Take(), testsupport::kErrorTones);
}

TEST_F(FilePokeTest, FpgaTwoThroughTheSetupMenu) {
  {
    TDbg_FilePokeForm& form = Open();
    ASSERT_FALSE(HasFatalFailure());
    dialogs_->AnswerMenu("FPGA Number");
    dialogs_->AnswerInput("2");
    form.PanelSetupPopup();
    EXPECT_EQ(Text(form.LabelFpgaNumber), "2");
    EXPECT_EQ(Text(form.LabelFpgaAddress), "0x00000");
    ReadFile(Write("f2.poke", "20 99\n"));
    form.ButtonPoke->click();
    EXPECT_EQ(Register(1, 0x20), 0x99u);
  }
}

TEST_F(FilePokeTest, WithoutAnFpgaPokeItRests) {
  TDbg_FilePokeForm& form = Open(-1);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(form.windowTitle().toStdString(), "File POKE for Card 1 NO FPGA LOADED ");
  ReadFile(Write("one.poke", "1 2\n"));
  EXPECT_TRUE(form.ButtonPoke->isVisible());
  EXPECT_FALSE(form.ButtonPoke->isEnabled());
  form.PanelSetupPopup();
  EXPECT_TRUE(dialogs_->MenuRequests().empty());
}

}  // namespace
}  // namespace factorytest
