// The trovex-cli command line: parsing and the run it describes.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "run/Kinds.hpp"
#include "run/TalkChoices.hpp"

namespace trovex {

inline constexpr const char* kCliUsage = "usage: trovex-cli --type TYPE --output DIR [--kinds LIST] FILE...";

enum class CliAction { Run, Help, Version };

struct CliOptions {
  CliAction action = CliAction::Run;
  int filterIndex = 0;  // the open dialog's filter of --type
  std::string output;
  KindSet kinds = kAllKinds;
  TalkChoices talk;
  std::vector<std::string> files;
};

// Exit statuses.
enum CliStatus : int {
  csSuccess = 0,
  csError = 1,
  csUsage = 2,
  csMessage = 3,
  csInterrupted = 130,
};

// The options of args (without the program name), or the usage problem.
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  std::string problem;
};
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Add with the type and the files, then Process into the output directory.
int RunCommandLine(const CliOptions& options, std::FILE* out, std::FILE* err);

// The text of --help.
std::string CliHelpText();

}  // namespace trovex
