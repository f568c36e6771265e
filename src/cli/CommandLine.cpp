#include "cli/CommandLine.hpp"

#include "app/MainForm.hpp"
#include "cli/TerminalWindow.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"
#include "run/Formats.hpp"

namespace trovex {

namespace {

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
               std::string& problem) {
  const std::string& arg = args[i];
  if (arg.rfind(name + "=", 0) == 0) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (arg != name) return false;
  if (i + 1 >= args.size()) {
    problem = name + " needs a value";
    return true;
  }
  value = args[++i];
  return true;
}

std::string TypeWords() {
  std::string words;
  for (const auto& type : kInputTypes) words += std::string(words.empty() ? "" : ", ") + type.cliName;
  return words;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CliOptions options;
  std::string problem;
  std::string type;
  std::string kinds;
  bool typeGiven = false;
  bool onlyFiles = false;
  for (std::size_t i = 0; i < args.size() && problem.empty(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--help" || arg == "-h") {
      options.action = CliAction::Help;
      return {options, ""};
    } else if (arg == "--version") {
      options.action = CliAction::Version;
      return {options, ""};
    } else if (TakeValue(args, i, "--type", type, problem)) {
      typeGiven = true;
    } else if (TakeValue(args, i, "--output", options.output, problem)) {
    } else if (TakeValue(args, i, "--kinds", kinds, problem)) {
      const auto parsed = ParseKinds(kinds);
      if (!parsed) problem = "unknown kind in '" + kinds + "' (kinds: wav, bmp, mve, image, mos)";
      else options.kinds = *parsed;
    } else {
      problem = "unknown option " + arg;
    }
  }
  if (problem.empty() && !typeGiven) problem = "--type is required";
  if (problem.empty() && (options.filterIndex = FilterIndexOfCliName(type)) == 0)
    problem = "unknown type '" + type + "' (types: " + TypeWords() + ")";
  if (problem.empty() && options.output.empty()) problem = "--output is required";
  if (problem.empty() && options.files.empty()) problem = "no FILE given";
  if (!problem.empty()) return {std::nullopt, problem};
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
         "                 wav, bmp, mve, image, mos (default: all)\n\n"
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
