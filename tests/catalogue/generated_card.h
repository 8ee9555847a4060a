#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mkcard/program_runner.h"

// Writes a card with the generator into `folder` and returns its recordings
// in name order.
inline std::vector<std::filesystem::path> GenerateRecordings(const std::filesystem::path& folder,
                                                             std::vector<std::string> options) {
  std::vector<std::string> argv = {KESTREL_MKCARD_PATH};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.push_back(folder.string());
  const mkcard::ProgramResult run = mkcard::RunProgram(argv);
  EXPECT_EQ(run.failure, "") << run.errors;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".MOV") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs a program, expecting it to succeed; what it printed, errors last.
inline std::string RunTool(const std::vector<std::string>& argv) {
  const mkcard::ProgramResult run = mkcard::RunProgram(argv);
  EXPECT_EQ(run.failure, "") << run.errors;
  return run.output + run.errors;
}

inline std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}
