// The trovex-cli command line: parsing and the run it describes.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "run/Kinds.hpp"
#include "run/TalkChoices.hpp"

namespace trovex {

inline constexpr const char* kCliUsage =
    "usage: trovex-cli --type TYPE --output DIR [--kinds LIST] [--key PATH] [--verbose] FILE...\n"
    "       trovex-cli --type biff --list [--key PATH] FILE...\n"
    "       trovex-cli --type key --find NAME FILE";

enum class CliAction { Run, Help, Version, List, Find };

struct CliOptions {
  CliAction action = CliAction::Run;
  int filterIndex = 0;  // the open dialog's filter of --type
  std::string output;
  KindSet kinds = kAllKinds;
  bool verbose = false;  // what each input wrote, on standard error
  TalkChoices talk;
  std::vector<std::string> files;
  // The KEY index that names archive items (--key); empty: none.
  std::string keyPath;
  // The resource name that --find looks for.
  std::string findName;
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

// --list: the entries of each archive on out, problems on err.
int RunListing(const CliOptions& options, std::FILE* out, std::FILE* err);
// --find: the resources of that name in the index on out.
int RunFind(const CliOptions& options, std::FILE* out, std::FILE* err);

}  // namespace trovex
