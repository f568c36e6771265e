// Path helpers. Paths are byte strings joined with the native separator; the
// file name part of a path is the text after its last separator (on Windows
// also after its last "/" or ":").
#pragma once

#include <string>

namespace trovex {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);
// The text after the last separator.
std::string FileNamePart(const std::string& path);
// The text before the last separator ("." when there is none).
std::string DirectoryPart(const std::string& path);
// The file name with its extension (from its last ".") replaced by ext, or
// with ext appended when it has none. ext includes its ".".
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// The path made absolute against the current directory, lexically normalised,
// without a trailing separator.
std::string AbsolutePath(const std::string& path);
// Two paths give the same key when the system takes them for one name:
// separators as the system reads them, and on Windows letter case ignored.
// Lexical only: the path is not made absolute.
std::string PathKey(const std::string& path);

// Anything, of any kind, at that path.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);
// Creates the directory with its missing parents; false when that fails.
bool ForceDirectories(const std::string& path);
// Removes a file; the result is ignored by callers that only tidy up.
bool DeleteFile(const std::string& path);
std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& path);

}  // namespace trovex
