#include "util/file_routines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/log_capture.h"
#include "support/scratch_folder.h"
#include "support/scripted_dialogs.h"

namespace util {
namespace {

using testsupport::ReadWholeFile;
using testsupport::WriteWholeFile;

TEST(FileBaseName, DropsFolderAndLastExtension) {
  EXPECT_EQ(FileBaseName("C:\\Quorx\\USER\\SETUPFILES\\A_DEFAULT.VexA"), "A_DEFAULT");
  EXPECT_EQ(FileBaseName("archive.tar.gz"), "archive.tar");
  // Only the first 259 characters of a path count.
  EXPECT_EQ(FileBaseName("/" + std::string(254, 'd') + "/name.ext"), "nam");
}

TEST(Files, BackupCopiesWholeAndLeavesNoTemporary) {
  testsupport::ScratchFolder folder;
  const std::string file = folder / "Kr20Last.last";
  EXPECT_FALSE(BackupFile(file));
  EXPECT_FALSE(FileExists(file + ".BAK"));
  ASSERT_TRUE(WriteWholeFile(file, std::string("new\r\ncontent\0with nul", 21)));
  ASSERT_TRUE(WriteWholeFile(file + ".BAK", "an older and much longer backup that must go entirely"));
  EXPECT_TRUE(FileExists(folder / "KR20LAST.LAST"));  // letter case does not matter
  EXPECT_TRUE(BackupFile(file));
  EXPECT_EQ(ReadWholeFile(file + ".BAK"), ReadWholeFile(file));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), std::filesystem::directory_iterator()),
            2);
  // A FIFO in a file's place is refused at once rather than waited on.
  ASSERT_EQ(::mkfifo((folder / "Kr20Last.pos").c_str(), 0600), 0);
  EXPECT_FALSE(BackupFile(folder / "Kr20Last.pos"));
  EXPECT_FALSE(FileExists(folder / "Kr20Last.pos.BAK"));
}

TEST(Files, ListBaseNamesByExtension) {
  testsupport::ScratchFolder folder;
  for (const char* name : {"Viewer.Exe", "calc.EXE", "notes.txt", "exe", ".Exe"}) WriteWholeFile(folder / name, "x");
  std::filesystem::create_directory(folder / "tools.exe");
  std::vector<std::string> list{"stale"};
  ListFileBaseNames(folder.Path(), "Exe", list);
  EXPECT_EQ(list, (std::vector<std::string>{"Viewer", "calc"}));
  ListFileBaseNames(folder / "missing", "Exe", list);
  EXPECT_TRUE(list.empty());
}

TEST(Files, ReadTextLineTrimsSkipsBlanksAndSplitsLongLines) {
  testsupport::ScratchFolder folder;
  const std::string path = folder / "UserPokeList.poke";
  ASSERT_TRUE(WriteWholeFile(path, "  0x10\t0xFF  \r\n\r\n\n   \r\n" + std::string(100, 'a') + "\nlast"));
  std::FILE* f = std::fopen(path.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string text;
  for (const std::string& expected : {std::string("0x10\t0xFF"), std::string(79, 'a'), std::string(21, 'a'),
                                      std::string("last")}) {
    EXPECT_TRUE(ReadTextLine(f, text, 80));
    EXPECT_EQ(text, expected);
  }
  EXPECT_FALSE(ReadTextLine(f, text, 80));
  EXPECT_EQ(text, "");
  std::fclose(f);
  EXPECT_FALSE(ReadTextLine(nullptr, text, 80));
}

TEST(Files, DialogsAskWithTheFileType) {
  testsupport::ScopedScriptedDialogs dialogs;
  dialogs->AnswerFile("/tmp/chosen.VexA");
  dialogs->AnswerFile(std::nullopt);
  std::string chosen = "previous";
  EXPECT_TRUE(OpenFileDialog("/setups", "VexA", chosen, "C:\\old\\TRACK.VexA"));
  EXPECT_FALSE(SaveFileDialog("/setups", "VexA", chosen, "TRACK"));
  EXPECT_EQ(chosen, "/tmp/chosen.VexA");  // a cancelled dialog keeps it
  ASSERT_EQ(dialogs->FileRequests().size(), 2u);
  const FileDialogRequest& open = dialogs->FileRequests()[0];
  EXPECT_EQ(open.title, "Open File");
  EXPECT_EQ(open.filter, "File Type (*.VexA)|*.VexA");
  EXPECT_EQ(open.initialFolder, "/setups");
  EXPECT_EQ(open.proposedName, "TRACK");
}

// The open dialog opens only what exists: it proposes the file as named on disk, found whatever
// the letter case of the name the program holds.
TEST(Files, OpenDialogProposesTheFileAsNamedOnDisk) {
  testsupport::ScratchFolder folder;
  ASSERT_TRUE(testsupport::WriteWholeFile(folder.Path() + "/MyTest.vexa", "x\n"));
  testsupport::ScopedScriptedDialogs dialogs;
  dialogs->AnswerFile(std::nullopt);
  dialogs->AnswerFile(std::nullopt);
  std::string chosen;
  EXPECT_FALSE(OpenFileDialog(folder.Path(), "VexA", chosen, folder.Path() + "/MYTEST.VEXA"));
  EXPECT_FALSE(OpenFileDialog(folder.Path(), "VexA", chosen, folder.Path() + "/NEWONE.VEXA"));
  ASSERT_EQ(dialogs->FileRequests().size(), 2u);
  EXPECT_EQ(dialogs->FileRequests()[0].proposedName, "MyTest.vexa");
  EXPECT_EQ(dialogs->FileRequests()[1].proposedName, "NEWONE");  // none on disk: the base name
}

}  // namespace
}  // namespace util
