// The operating system as the program uses it: files, folders, the process's
// command line and the terminal, behind one small interface with one
// implementation per platform (PlatformPosix.cpp, PlatformWin32.cpp). Paths
// are the program's 8-bit strings; on Windows they reach the system as UTF-16.
#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace trovex::platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Names one file however its path is spelled: device and inode on POSIX,
// volume serial number and file index on Windows.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  auto operator<=>(const FileId&) const = default;
};

struct FileStatus {
  bool exists = false;
  bool directory = false;
  bool regular = false;
  std::int64_t size = 0;
  FileId id;
  unsigned permissions = 0;  // POSIX mode bits, which a replaced file keeps
};

// The file a path names, links followed; exists is false when there is none.
FileStatus StatusOf(const std::string& path);
FileStatus StatusOf(FileHandle file);
// Anything at all at path, a dangling link included.
bool Exists(const std::string& path);

enum class Access { Read, ReadWrite };

enum class OpenRefusal { Other, ReadOnly, NotRegularFile };

// Opens an existing regular file, or gives kNoFile and why. A file without
// write permission is not opened for writing even where the process could
// (as the superuser can), and a FIFO is refused rather than waited on.
// Other openers may read, write, rename and delete it meanwhile, as on POSIX.
FileHandle OpenExisting(const std::string& path, Access access, OpenRefusal& refusal);
// Creates a file that must not exist yet, for reading and writing; kNoFile
// when that fails, with nameTaken telling whether the name was in use.
FileHandle CreateNew(const std::string& path, bool& nameTaken);
// Opens an existing file for reading through the C library's buffered
// streams (null when that fails, errno telling why).
std::FILE* OpenReadStream(const std::string& path);
// A file without a name in the folder dir, where the system offers such
// files (kNoFile elsewhere), and the name it gets once complete.
FileHandle CreateUnnamed(const std::string& dir);
bool NameUnnamed(FileHandle file, const std::string& path);
// A path by which a library that opens files by name reads the open file;
// empty where the system offers none.
std::string PathOfOpenFile(FileHandle file);
// False when the system reports a failure (of a delayed write, say).
bool CloseFile(FileHandle file);

// The only two calls that move file bytes into and out of the program:
// count bytes at offset; the count transferred (0 at the end of the file on
// reading), or -1 when the system fails.
std::int64_t ReadAt(FileHandle file, void* buffer, std::size_t count, std::int64_t offset);
std::int64_t WriteAt(FileHandle file, const void* buffer, std::size_t count, std::int64_t offset);

// The error number (errno's values) of the last call here that failed.
int LastError();

bool Truncate(FileHandle file, std::int64_t size);
bool SetPermissions(FileHandle file, unsigned permissions);
// Lets the file's writes go straight to the disk, past the system's file
// cache (true), or through it again; false where the system or the file
// system cannot. Such writes take a buffer, an offset and a count that are
// all multiples of kUncachedAlignment, and a write that breaks that rule
// may fail where another file system would take it.
inline constexpr std::size_t kUncachedAlignment = 4096;
bool BypassCache(FileHandle file, bool bypass);
// Copies up to count bytes from source at sourceOffset to dest at
// destOffset inside the kernel and moves both offsets on. Gives the count
// copied: 0 where the kernel cannot copy between these files (the caller
// copies the rest itself), -1 when the system fails.
std::int64_t KernelCopy(FileHandle source, std::int64_t& sourceOffset, FileHandle dest, std::int64_t& destOffset,
                        std::int64_t count);

// Gives the closed, complete file at from the name to, replacing a file of
// that name, durably where the system offers it.
bool MoveOver(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Creates one folder whose parent exists.
bool MakeDirectory(const std::string& path);
// The path made absolute against the current folder and lexically
// normalised, without a trailing separator except at a root.
std::string FullPath(const std::string& path);
// The path as the file system compares names: as it stands where names keep
// their letter case, upper-cased (into UTF-8) on Windows, whose file systems
// take "INTRO.MVE" and "intro.mve" for one file.
std::string NameCompareKey(const std::string& path);
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);
unsigned long ProcessId();
// False only when no process of that id runs.
bool ProcessRunning(unsigned long id);
// Bytes free for this process on the file system of the folder dir, or -1
// when unknown.
std::int64_t FreeSpace(const std::string& dir);

// Shared libraries: the loaded library, or null with the loader's
// explanation in error (no dialog of the system's for a missing one). A bare
// file name is looked for through the system's library search on POSIX
// (which the program's run path leads), and in the program's own folder only
// on Windows, whose search would try the current folder and PATH as well.
void* OpenLibrary(const std::string& path, std::string& error);
void* LibraryExport(void* library, const std::string& name);
void CloseLibrary(void* library);
// The file name of a library called name ("libNAME.so", "libNAME.dll").
std::string LibraryFileName(const std::string& name);

// Code pages (Windows numbers, 65001 for UTF-8): the character that each of
// sequences stands for in page, when the sequence is exactly one whole
// character there, else kNoCharacter. One system converter per call, strict:
// no best-fit or substitute characters.
inline constexpr char32_t kNoCharacter = 0xFFFFFFFF;
std::vector<char32_t> CodePageCharacters(unsigned page, const std::vector<std::string>& sequences);

// The program's arguments as 8-bit strings, argv[1] on.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Lets stream write "\n" as it stands, as on POSIX (Windows would write
// CR LF in text mode).
void SetBinaryOutput(std::FILE* stream);
bool IsTerminal(std::FILE* stream);
// Columns of the terminal behind stream, or 0 when unknown.
int TerminalColumns(std::FILE* stream);
// Lets the terminal behind stream obey the cursor and erase sequences of a
// status line; false when it cannot.
bool EnableTerminalControl(std::FILE* stream);
// Calls handler on the first Ctrl-C, from a signal handler or a system
// thread, so it may only set a lock-free atomic flag; a second Ctrl-C ends
// the program at once.
void OnInterrupt(void (*handler)());

}  // namespace trovex::platform
