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

// Reads the whole file into out. False (and out empty) when the file cannot be
// opened or read. Relative paths are resolved.
bool ReadWholeFile(std::string_view path, std::vector<std::uint8_t>& out);

// Replaces the file at path with exactly these bytes, or leaves it as it was:
// the bytes go to a new file in the same folder, are flushed to disk, and that
// file is renamed over path. False on any failure; the temporary file is
// removed then. The folder must exist. Relative paths are resolved.
bool WriteFileAtomic(std::string_view path, const void* data, std::size_t size);

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
