// Small file utilities shared by the whole program: the program folder every
// data file lives in, whole-file reading and safe writing, setup logs,
// time stamps, MD5 digests and the resource scrambler.
//
// Paths: callers write '/' as the folder separator. A path whose first
// character is '/' or whose second character is ':' is absolute; any other path
// is taken relative to the program folder (ResolvePath).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The folder of the running executable, with its trailing '/', unless
// SetProgramDir chose another one. Every file the game reads or writes lives
// under it.
const std::string& GetProgramDir();

// The folder of the running executable itself, with its trailing '/' ("./"
// when the system cannot tell).
std::string GetExecutableDir();

// Points every program-relative path at dir (the game's --home option, tests).
// A relative dir is made absolute against the current directory; a trailing
// '/' is added. An empty dir restores the executable's folder.
void SetProgramDir(const std::string& dir);

// True for "/x..." and for names whose second character is ':'.
bool IsAbsolutePath(std::string_view path);

// path itself when absolute, else GetProgramDir() + path.
std::string ResolvePath(std::string_view path);

// The folder part of path including its last '/', or "" when it has none.
std::string DirName(std::string_view path);

// True when the file (or folder) exists. Relative paths are resolved.
bool FileExists(std::string_view path);

// Creates dir and any missing parents; an existing folder is not an error.
// Relative paths are resolved. False when a part cannot be created (for example
// because it is a file).
bool CreateDirectories(std::string_view dir);

// True when path (links followed) is a regular file. Relative paths are resolved.
bool IsRegularFile(std::string_view path);

// What a read of a file found.
enum class EReadResult {
    Ok,
    Missing,   // no such file
    NotAFile,  // a folder, pipe, device or socket: never read, so never a hang
    TooLarge,  // more bytes than the caller allows for this kind of file
    Failed,    // no permission, a read error
};
// The reason in a few words ("is not a file", "is larger than 4096 bytes").
std::string ReadResultText(EReadResult result, std::size_t maxBytes);

// A file's whole path (relative ones resolved) in quotes and escaped to one
// line, to begin a message about it.
std::string QuotedPath(std::string_view path);

// Why a read of path that gave result failed, in words that follow the file's
// name: "does not exist", "is a folder", "is not a regular file (a pipe, device
// or socket)", "is larger than N bytes", "cannot be read: <the system's
// reason>". Call it straight after the read: errno still tells why a Failed
// read failed.
std::string ReadFaultText(std::string_view path, EReadResult result, std::size_t maxBytes);

// Why a file could not be written at path, in words that follow its name, or
// "" when it can: "is a folder", "is not a regular file ...", "cannot be
// written: its folder \"...\" does not exist", "cannot be written: <the
// system's reason>". A link is followed. Looks only: nothing is created,
// opened for writing or changed.
std::string WriteFaultText(std::string_view path);

// Upper bounds per kind of file: more than any genuine file of the kind holds,
// little enough that a hostile one cannot exhaust memory.
inline constexpr std::size_t kMaxSettingsFileBytes = std::size_t(4) << 20;
inline constexpr std::size_t kMaxScriptFileBytes = std::size_t(16) << 20;
inline constexpr std::size_t kMaxReplayFileBytes = std::size_t(256) << 20;
inline constexpr std::size_t kMaxOverrideFileBytes = std::size_t(64) << 20;
inline constexpr std::size_t kMaxLibraryFileBytes = std::size_t(256) << 20;

// Reads a regular file (links followed) whole into out, at most maxBytes.
// Anything else is refused without being read or waited on. out is empty
// unless the result is Ok; after Failed, errno tells why. Relative paths are
// resolved.
EReadResult ReadRegularFile(std::string_view path, std::vector<std::uint8_t>& out,
                            std::size_t maxBytes);

// Opens a regular file of at most maxBytes for reading, refusing anything else
// as ReadRegularFile does, and gives its descriptor (the caller closes it) and
// its size.
EReadResult OpenRegularFile(std::string_view path, std::size_t maxBytes, int& fd, std::uint64_t& size);

// The first bytes of a regular file, at most maxBytes of them (a header); a
// longer file is not an error here.
EReadResult ReadRegularFileHead(std::string_view path, std::vector<std::uint8_t>& out,
                                std::size_t maxBytes);

// ReadRegularFile with the bound for override files and the like; true when Ok.
bool ReadWholeFile(std::string_view path, std::vector<std::uint8_t>& out,
                   std::size_t maxBytes = kMaxOverrideFileBytes);

// The file a write to path really lands in: path itself, or the end of its
// chain of symbolic links (which may not exist yet). Relative paths are
// resolved; "" when the chain loops.
std::string WriteTarget(std::string_view path);

// Replaces the file at path with exactly these bytes, or leaves it as it was:
// the bytes go to a new file beside the file (the end of path's symbolic links,
// so a link stays a link), are flushed to disk, that file is renamed over it and
// the folder is flushed, so the rename survives a power loss. A folder, pipe or
// device at the target is never replaced. False on any failure; the temporary
// file is removed then, and errno tells why. The folder must exist. Relative
// paths are resolved.
bool WriteFileAtomic(std::string_view path, const void* data, std::size_t size);

// Renames from over to (both resolved) and flushes the folder, so that the move
// survives a power loss. False when the rename fails.
bool RenameDurably(std::string_view from, std::string_view to);

// Warnings about the game's files (one that is not a file, a save that failed)
// go to a sink: standard error unless the program sets another. The same text
// is passed on once per run only.
using FileWarningSink = void (*)(const char* text);
void SetFileWarningSink(FileWarningSink sink);
void WarnAboutFile(const std::string& text);
// Forgets which warnings were given (tests).
void ResetFileWarnings();

// Appends text to a log file relative to the program folder (for example
// "log/dsound.txt"), creating its folder first. A null text creates or empties
// the file. False when the file cannot be written.
bool WriteLog(const char* file, const char* text);

// The local time as "%Y%m%d%H%M%S" (names of screenshots).
std::string MakeTimestamp();
std::string MakeTimestamp(std::time_t t);

// MD5 (RFC 1321) of the bytes as 32 lowercase hex characters.
std::string Md5Hex(std::string_view bytes);

// Conversion of a decimal prefix, as the C library's atoi reads it (leading
// blanks, an optional sign, digits; anything else gives 0), saturated to the
// 32-bit range instead of overflowing.
std::int32_t ParseDecimal(std::string_view text);

// a + b held to the 32-bit range (counts that must never wrap).
std::int32_t AddSaturated(std::int32_t a, std::int32_t b);

// A whole number 0 ... INT32_MAX written in decimal digits only (no sign, no
// blank, at most ten digits); false for any other text.
bool ParseWholeNumber(std::string_view text, std::int32_t& out);

// Little-endian words, as every file of the game and its library stores them.
inline std::uint16_t LoadLe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Library resources are stored scrambled. Descrambling XORs each whole 32-bit
// little-endian word with a running sum of a ten-word table derived from a
// built-in key, and a 1-3 byte tail with the table word alone. The operation is
// its own inverse; ScrambleResource is the name the resource packer uses.
// out and in may be the same buffer.
void DescrambleResource(std::uint8_t* out, const std::uint8_t* in, std::size_t size);
void ScrambleResource(std::uint8_t* out, const std::uint8_t* in, std::size_t size);

// The parts of the scrambler, for tests: the table derived from a key, and the
// transform with a given table.
void MakeScrambleTable(const std::uint8_t* key, std::size_t keySize, std::uint32_t table[10]);
void ScrambleWithTable(const std::uint32_t table[10], std::uint8_t* out,
                       const std::uint8_t* in, std::size_t size);
