// The program folder as run.sh prepares it: the same script, run on a test's folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/log_capture.h"

namespace uitest {

// Prepares `root` with run.sh's script and makes it the current folder and the virtual hardware's
// folder; returns what the script printed. A failing script fails the test.
inline std::string PrepareFolderAsRunShDoes(const std::string& root) {
  const std::string output = root + "/prepare.txt";
  const std::string command = std::string("bash '") + QUORX_PREPARE_SCRIPT + "' '" + QUORX_BUILD_FOLDER + "' '" + root +
                              "' >'" + output + "' 2>&1";
  const int status = std::system(command.c_str());
  std::string printed = testsupport::ReadWholeFile(output);
  EXPECT_EQ(status, 0) << printed;
  std::filesystem::create_directories(root + "/locks");
  setenv("QUORX_SIM_FOLDER", root.c_str(), 1);
  std::filesystem::current_path(root);
  return printed;
}

}  // namespace uitest
