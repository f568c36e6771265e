// --list and --find: answers for scripts on standard output, nothing written
// to disk, every other message on standard error.
#include "archive/BiffItemNames.hpp"
#include "archive/BiffListing.hpp"
#include "cli/CommandLine.hpp"
#include "framework/Errors.hpp"

namespace trovex {

namespace {

// The listing of one archive, or nothing with the reason on err.
bool ListArchive(const CliOptions& options, const std::string& path, std::FILE* out, std::FILE* err) {
  try {
    std::optional<TArchiveNames> names;
    if (!options.keyPath.empty()) {
      KeyNamesOfArchive key = ReadKeyNamesOfArchive(options.keyPath, path);
      if (!key.note.empty()) std::fprintf(err, "trovex-cli: %s\n", key.note.c_str());
      names = std::move(key.names);
    }
    const std::string text = BiffListing(path, names ? &*names : nullptr);
    std::fprintf(out, "%s\n", path.c_str());
    std::fputs(text.c_str(), out);
    return true;
  } catch (const std::exception& error) {
    std::fflush(out);
    std::fprintf(err, "trovex-cli: error: %s\n", error.what());
    return false;
  }
}

}  // namespace

int RunListing(const CliOptions& options, std::FILE* out, std::FILE* err) {
  bool listedAll = true;
  for (const std::string& path : options.files) listedAll = ListArchive(options, path, out, err) && listedAll;
  return listedAll ? csSuccess : csError;
}

int RunFind(const CliOptions& options, std::FILE* out, std::FILE* err) {
  const std::string& keyPath = options.files.front();
  try {
    const std::string found = FindKeyResources(keyPath, options.findName);
    if (found.empty()) {
      std::fprintf(err, "trovex-cli: no resource named %s in %s\n", options.findName.c_str(), keyPath.c_str());
      return csError;
    }
    std::fputs(found.c_str(), out);
    return csSuccess;
  } catch (const std::exception& error) {
    std::fprintf(err, "trovex-cli: error: %s\n", error.what());
    return csError;
  }
}

}  // namespace trovex
