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

// What --list, --find and --key ask of the other options; empty when the
// options go together.
std::string QueryProblem(const CliOptions& options, bool outputGiven) {
  const bool biff = options.filterIndex == FilterIndexOfCliName("biff");
  if (!options.keyPath.empty() && !biff) return "--key goes with --type biff";
  if (options.action == CliAction::List) {
    if (!biff) return "--list goes with --type biff";
    if (outputGiven) return "--list writes no files; it takes no --output";
  }
  if (options.action == CliAction::Find) {
    if (options.filterIndex != FilterIndexOfCliName("key")) return "--find goes with --type key";
    if (outputGiven) return "--find writes no files; it takes no --output";
    if (options.files.size() > 1) return "--find searches one index";
  }
  return "";
}

// The string table options: text form, code page, language and earlier
// translations. An empty text when they are sound, else the problem.
struct TalkOptionTexts {
  std::string form;
  std::string codePage;
};
std::string ParseTalkOptions(const TalkOptionTexts& texts, TalkChoices& talk) {
  if (!texts.form.empty()) {
    if (texts.form != "po" && texts.form != "dump") return "unknown text form '" + texts.form + "' (forms: dump, po)";
    talk.form = texts.form == "po" ? TextForm::Po : TextForm::Dump;
  }
  if (!texts.codePage.empty()) {
    const auto page = CodePageOfName(texts.codePage);
    if (!page) return "unknown code page '" + texts.codePage + "' (code pages: " + SupportedCodePageNames() + ")";
    talk.codePage = *page;
  }
  if (!talk.translation.empty()) talk.translation = AbsolutePath(talk.translation);
  if (!talk.translationSource.empty()) talk.translationSource = AbsolutePath(talk.translationSource);
  if (!talk.translationSource.empty() && talk.translation.empty()) return "--translation-source needs --translation";
  return "";
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
  app.add_option("--key", options.keyPath)->multi_option_policy(last);
  CLI::Option* listOption = app.add_flag("--list");
  CLI::Option* findOption = app.add_option("--find", options.findName)->multi_option_policy(last);
  TalkOptionTexts talkTexts;
  app.add_option("--text", talkTexts.form)->multi_option_policy(last);
  app.add_option("--code-page", talkTexts.codePage)->multi_option_policy(last);
  app.add_option("--language", options.talk.language)->multi_option_policy(last);
  app.add_option("--translation", options.talk.translation)->multi_option_policy(last);
  app.add_option("--translation-source", options.talk.translationSource)->multi_option_policy(last);
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
  if (listOption->count() != 0 && findOption->count() != 0) return {std::nullopt, "--list and --find exclude each other"};
  if (listOption->count() != 0) options.action = CliAction::List;
  if (findOption->count() != 0) options.action = CliAction::Find;
  if (const std::string problem = QueryProblem(options, outputOption->count() != 0); !problem.empty()) {
    return {std::nullopt, problem};
  }
  const bool writes = options.action == CliAction::Run;
  if (writes && (outputOption->count() == 0 || options.output.empty())) return {std::nullopt, "--output is required"};
  if (kindsOption->count() != 0) {
    const auto parsed = ParseKinds(kinds);
    if (!parsed) return {std::nullopt, "unknown kind in '" + kinds + "' (kinds: wav, bmp, mve, image, mos)"};
    options.kinds = *parsed;
  }
  if (std::string problem = ParseTalkOptions(talkTexts, options.talk); !problem.empty()) return {std::nullopt, problem};
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
         "  --verbose      say on standard error what each input wrote, and where\n"
         "  --key PATH     name archive items by the resource names of this KEY index\n"
         "  --list         list each archive's entries, tab-separated: entry, name,\n"
         "                 type, kind, stored size, stored form, data offset\n"
         "  --find NAME    list the resources of that name in the KEY index FILE:\n"
         "                 name, type, archive, entry\n"
         "  --text FORM    string tables as: dump (default) or po\n"
         "  --code-page PAGE  a PO file's string table code page: 1250 to 1258,\n"
         "                 874, 932, 936, 949, 950 or UTF-8 (default: 1252)\n"
         "  --language CODE   the PO file's language (default: none)\n"
         "  --translation OLD.tlk  fills the PO file from an earlier translation,\n"
         "                 marked fuzzy unless --translation-source names the\n"
         "                 table it was made from and that string is unchanged\n\n"
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
  if (!options.keyPath.empty()) form.Run().KeyPath = AbsolutePath(options.keyPath);
  form.Run().Talk = options.talk;
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
