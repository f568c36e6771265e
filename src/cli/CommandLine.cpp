#include "cli/CommandLine.hpp"

#include <CLI/CLI.hpp>

#include "app/MainForm.hpp"
#include "cli/TerminalWindow.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"
#include "run/Formats.hpp"

namespace trovex {

namespace {

std::string TypeWords() {
  std::string words;
  for (const auto& type : kInputTypes) words += std::string(words.empty() ? "" : ", ") + type.cliName;
  return words;
}

}  // namespace

namespace {

// --help and --version answer before anything else is looked at, as long as
// they come before "--".
std::optional<CliAction> ActionOf(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return CliAction::Help;
    if (arg == "--version") return CliAction::Version;
  }
  return std::nullopt;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions options;
  if (const auto action = ActionOf(args)) {
    options.action = *action;
    return {options, ""};
  }
  std::string type;
  std::string kinds;
  CLI::App app("trovex-cli");
  app.set_help_flag();
  // An option given twice takes its last value.
  const auto last = CLI::MultiOptionPolicy::TakeLast;
  CLI::Option* typeOption = app.add_option("--type", type)->multi_option_policy(last);
  CLI::Option* outputOption = app.add_option("--output", options.output)->multi_option_policy(last);
  CLI::Option* kindsOption = app.add_option("--kinds", kinds)->multi_option_policy(last);
  app.add_flag("--verbose", options.verbose);
  app.add_option("FILE", options.files);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    return {std::nullopt, error.what()};
  }
  if (typeOption->count() == 0) return {std::nullopt, "--type is required"};
  options.filterIndex = FilterIndexOfCliName(type);
  if (options.filterIndex == 0) return {std::nullopt, "unknown type '" + type + "' (types: " + TypeWords() + ")"};
  if (outputOption->count() == 0 || options.output.empty()) return {std::nullopt, "--output is required"};
  if (kindsOption->count() != 0) {
    const auto parsed = ParseKinds(kinds);
    if (!parsed) return {std::nullopt, "unknown kind in '" + kinds + "' (kinds: wav, bmp, mve, image, mos)"};
    options.kinds = *parsed;
  }
  if (options.files.empty()) return {std::nullopt, "no FILE given"};
  return {options, ""};
}

std::string CliHelpText() {
  return std::string(kCliUsage) +
         "\n       trovex-cli --help | --version\n\n"
         "Extracts game files into editable files, or puts edited files back by\n"
         "replaying a job log, as the Trovex window does.\n\n"
         "  --type TYPE    one of: " + TypeWords() + "\n"
         "  --output DIR   output directory, created when missing\n"
         "  --kinds LIST   archive kinds to extract, comma-separated:\n"
         "                 wav, bmp, mve, image, mos (default: all)\n"
         "  --verbose      say on standard error what each input wrote, and where\n\n"
         "Exit status: 0 success, 1 error, 2 usage, 3 a message was shown,\n"
         "130 stopped by Ctrl-C.\n";
}

int RunCommandLine(const CliOptions& options, std::FILE* out, std::FILE* err) {
  OpenDialogResult answer;
  answer.confirmed = true;
  answer.filterIndex = options.filterIndex;
  for (const auto& file : options.files) answer.paths.push_back(AbsolutePath(file));
  const bool drawStatus = platform::IsTerminal(err) && platform::EnableTerminalControl(err);
  TTerminalWindow window(answer, AbsolutePath(options.output), out, err, drawStatus);
  window.verbose = options.verbose;
  TMainForm form(window);
  window.onInterrupt = [&form] { form.StopClick(); };
  TTerminalWindow::ResetInterrupt();
  platform::OnInterrupt(TTerminalWindow::RequestInterrupt);
  form.FormCreate();
  form.Run().ExtractKinds = options.kinds;
  try {
    form.BAddLogClick();
    form.BProcessClick();
  } catch (const std::exception& error) {
    window.ClearStatus();
    std::fflush(out);
    std::fprintf(err, "trovex-cli: error: %s\n", error.what());
    form.FormDestroy();
    return csError;
  }
  window.ClearStatus();
  form.FormDestroy();
  if (form.Run().StopRequested()) return csInterrupted;
  return window.ShowedOtherMessage() ? csMessage : csSuccess;
}

}  // namespace trovex
