#include "core/Util.h"

#include "core/Text.h"

#include <md5.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string& ProgramDirStorage()
{
    static std::string s_strDir;
    return s_strDir;
}

std::string WithTrailingSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

// Writes everything or fails; retries short writes and interrupted calls.
bool WriteAll(int fd, const std::uint8_t* p, std::size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (w == 0)
            return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

std::string GetExecutableDir()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return "./";
    return WithTrailingSlash(exe.parent_path().string());
}

const std::string& GetProgramDir()
{
    std::string& dir = ProgramDirStorage();
    if (dir.empty())
        dir = GetExecutableDir();
    return dir;
}

void SetProgramDir(const std::string& dir)
{
    if (dir.empty()) {
        ProgramDirStorage() = GetExecutableDir();
        return;
    }
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(dir, ec);
    ProgramDirStorage() = WithTrailingSlash(ec ? dir : abs.string());
}

bool IsAbsolutePath(std::string_view path)
{
    return (!path.empty() && path[0] == '/') || (path.size() >= 2 && path[1] == ':');
}

std::string ResolvePath(std::string_view path)
{
    if (IsAbsolutePath(path))
        return std::string(path);
    return GetProgramDir() + std::string(path);
}

std::string DirName(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    return std::string(path.substr(0, slash + 1));
}

bool FileExists(std::string_view path)
{
    struct stat st;
    return ::stat(ResolvePath(path).c_str(), &st) == 0;
}

bool CreateDirectories(std::string_view dir)
{
    std::string full = ResolvePath(dir);
    std::error_code ec;
    std::filesystem::create_directories(full, ec);
    if (ec)
        return false;
    return std::filesystem::is_directory(full, ec);
}

bool IsRegularFile(std::string_view path)
{
    struct stat st;
    return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadResultText(EReadResult result, std::size_t maxBytes)
{
    switch (result) {
    case EReadResult::Ok: return "was read";
    case EReadResult::Missing: return "does not exist";
    case EReadResult::NotAFile: return "is not a file";
    case EReadResult::TooLarge: return "is larger than " + std::to_string(maxBytes) + " bytes";
    case EReadResult::Failed: break;
    }
    return "cannot be read";
}

namespace {

// What stands at a path that is there but no regular file.
const char* NotRegularText(const struct stat& st)
{
    return S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file (a pipe, device or socket)";
}

std::string SystemReason(const char* what, int err)
{
    return std::string(what) + ": " + std::strerror(err);
}

} // namespace

std::string QuotedPath(std::string_view path)
{
    return "\"" + EscapeForDisplay(ResolvePath(path)) + "\"";
}

std::string ReadFaultText(std::string_view path, EReadResult result, std::size_t maxBytes)
{
    const int err = errno;
    if (result == EReadResult::NotAFile) {
        struct stat st;
        if (::stat(ResolvePath(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return NotRegularText(st);
    }
    if (result == EReadResult::Failed)
        return SystemReason("cannot be read", err);
    return ReadResultText(result, maxBytes);
}

std::string WriteFaultText(std::string_view path)
{
    const std::string target = WriteTarget(path);
    if (target.empty())
        return SystemReason("cannot be written", ELOOP);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return NotRegularText(st);
        // Opened without creating or emptying it, so the file stays as it is.
        const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return SystemReason("cannot be written", errno);
        ::close(fd);
        return std::string();
    }
    if (errno != ENOENT)
        return SystemReason("cannot be written", errno);
    // A new file: its folder must be there and take it.
    const std::string dir = DirName(target);
    if (::stat(dir.c_str(), &st) != 0)
        return "cannot be written: its folder \"" + EscapeForDisplay(dir) + "\" " +
               (errno == ENOENT ? std::string("does not exist") : SystemReason("cannot be reached", errno));
    if (::access(dir.c_str(), W_OK | X_OK) != 0)
        return SystemReason("cannot be written", errno);
    return std::string();
}

namespace {

// bHead: a file longer than maxBytes is not refused (its head is read).
EReadResult OpenRegular(std::string_view path, std::size_t maxBytes, bool bHead, int& fd, struct stat& st)
{
    fd = -1;
    const std::string full = ResolvePath(path);
    // Look before opening: opening a device can have effects of its own.
    if (::stat(full.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EReadResult::Missing : EReadResult::Failed;
    if (!S_ISREG(st.st_mode))
        return EReadResult::NotAFile;
    // Non-blocking, so that a pipe swapped in since the look cannot hang us.
    fd = ::open(full.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? EReadResult::Missing : EReadResult::Failed;
    EReadResult result = EReadResult::Ok;
    if (::fstat(fd, &st) != 0)
        result = EReadResult::Failed;
    else if (!S_ISREG(st.st_mode))
        result = EReadResult::NotAFile;
    else if (!bHead && static_cast<std::uint64_t>(st.st_size) > maxBytes)
        result = EReadResult::TooLarge;
    if (result != EReadResult::Ok) {
        const int why = errno;  // for the caller's message
        ::close(fd);
        fd = -1;
        errno = why;
    }
    return result;
}

// bHead: stop at maxBytes instead of refusing a longer file.
EReadResult ReadRegular(std::string_view path, std::vector<std::uint8_t>& out, std::size_t maxBytes,
                        bool bHead)
{
    out.clear();
    int fd = -1;
    struct stat st;
    EReadResult result = OpenRegular(path, maxBytes, bHead, fd, st);
    if (result == EReadResult::Ok) {
        int readErrno = 0;
        out.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
        std::uint8_t chunk[65536];
        for (;;) {
            const std::size_t want = bHead ? std::min(sizeof chunk, maxBytes - out.size()) : sizeof chunk;
            if (want == 0)
                break;
            const ssize_t n = ::read(fd, chunk, want);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                result = EReadResult::Failed;
                readErrno = errno;
                break;
            }
            if (n == 0)
                break;
            // The file may grow while it is read: the bound holds all the same.
            if (static_cast<std::size_t>(n) > maxBytes - out.size()) {
                result = EReadResult::TooLarge;
                break;
            }
            out.insert(out.end(), chunk, chunk + n);
        }
        ::close(fd);
        if (result == EReadResult::Failed)
            errno = readErrno;
    }
    if (result != EReadResult::Ok) {
        out.clear();
        out.shrink_to_fit();
    }
    return result;
}

} // namespace

EReadResult OpenRegularFile(std::string_view path, std::size_t maxBytes, int& fd, std::uint64_t& size)
{
    struct stat st;
    const EReadResult result = OpenRegular(path, maxBytes, false, fd, st);
    size = result == EReadResult::Ok ? static_cast<std::uint64_t>(st.st_size) : 0;
    return result;
}

EReadResult ReadRegularFile(std::string_view path, std::vector<std::uint8_t>& out,
                            std::size_t maxBytes)
{
    return ReadRegular(path, out, maxBytes, false);
}

EReadResult ReadRegularFileHead(std::string_view path, std::vector<std::uint8_t>& out,
                                std::size_t maxBytes)
{
    return ReadRegular(path, out, maxBytes, true);
}

bool ReadWholeFile(std::string_view path, std::vector<std::uint8_t>& out, std::size_t maxBytes)
{
    return ReadRegularFile(path, out, maxBytes) == EReadResult::Ok;
}

std::string WriteTarget(std::string_view path)
{
    std::string target = ResolvePath(path);
    // The kernel's own bound on a chain of links.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::vector<char> buf(PATH_MAX + 1);
        const ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size())
            return std::string();
        std::string link(buf.data(), static_cast<std::size_t>(n));
        target = link[0] == '/' ? link : DirName(target) + link;
    }
    return std::string();
}

namespace {

void SyncFolderOf(const std::string& file)
{
    const std::string dir = DirName(file);
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

bool RenameDurably(std::string_view from, std::string_view to)
{
    const std::string src = ResolvePath(from);
    const std::string dst = ResolvePath(to);
    if (std::rename(src.c_str(), dst.c_str()) != 0)
        return false;
    // A failed flush of the folder is not a failed move.
    SyncFolderOf(dst);
    if (DirName(src) != DirName(dst))
        SyncFolderOf(src);
    return true;
}

bool WriteFileAtomic(std::string_view path, const void* data, std::size_t size)
{
    // Through a symbolic link to its target: replacing the link itself would
    // leave the target with the old contents.
    const std::string full = WriteTarget(path);
    if (full.empty() || full.back() == '/') {
        errno = full.empty() ? ELOOP : EISDIR;
        return false;
    }
    struct stat st;
    const bool bExists = ::stat(full.c_str(), &st) == 0;
    if (bExists && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }

    // A name of our own beside the target, so that the final rename stays on
    // the same file system and never meets another writer's file.
    static unsigned s_nSerial = 0;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = full + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(s_nSerial++);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    // Keep the permissions of the file being replaced.
    if (bExists)
        ::fchmod(fd, st.st_mode & 07777);

    bool bOk = WriteAll(fd, static_cast<const std::uint8_t*>(data), size);
    if (bOk && ::fsync(fd) != 0)
        bOk = false;
    if (::close(fd) != 0)
        bOk = false;
    if (bOk && !RenameDurably(tmp, full))
        bOk = false;
    if (!bOk) {
        const int why = errno;  // for the caller's message
        ::unlink(tmp.c_str());
        errno = why;
        return false;
    }
    return true;
}

bool WriteLog(const char* file, const char* text)
{
    if (!file)
        return false;
    std::string full = ResolvePath(file);
    std::string dir = DirName(full);
    if (!dir.empty())
        CreateDirectories(dir);
    std::FILE* fp = std::fopen(full.c_str(), text ? "a" : "w");
    if (!fp)
        return false;
    bool bOk = true;
    if (text) {
        std::size_t n = std::strlen(text);
        bOk = std::fwrite(text, 1, n, fp) == n;
    }
    if (std::fclose(fp) != 0)
        bOk = false;
    return bOk;
}

namespace {

void StderrWarning(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

FileWarningSink g_FileWarningSink = StderrWarning;

std::set<std::string>& GivenWarnings()
{
    static std::set<std::string> s_Given;
    return s_Given;
}

} // namespace

void SetFileWarningSink(FileWarningSink sink)
{
    g_FileWarningSink = sink ? sink : StderrWarning;
}

void WarnAboutFile(const std::string& text)
{
    if (GivenWarnings().insert(text).second)
        g_FileWarningSink(text.c_str());
}

void ResetFileWarnings()
{
    GivenWarnings().clear();
}

std::string MakeTimestamp()
{
    return MakeTimestamp(std::time(nullptr));
}

std::string MakeTimestamp(std::time_t t)
{
    struct tm local;
    if (!::localtime_r(&t, &local))
        return "00000000000000";
    char buf[64];
    std::size_t n = std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &local);
    return std::string(buf, n);
}

std::string Md5Hex(std::string_view bytes)
{
    MD5_CTX ctx;
    MD5Init(&ctx);
    MD5Update(&ctx, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::uint8_t digest[MD5_DIGEST_LENGTH];
    MD5Final(digest, &ctx);
    static const char kHex[] = "0123456789abcdef";
    std::string hex(MD5_DIGEST_LENGTH * 2, '0');
    for (int i = 0; i < MD5_DIGEST_LENGTH; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 15];
    }
    return hex;
}

std::int32_t ParseDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        bNegative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= static_cast<long long>(INT32_MAX) + 1)
            value = value * 10 + (text[i] - '0');
    }
    if (bNegative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t AddSaturated(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(sum);
}

bool ParseWholeNumber(std::string_view text, std::int32_t& out)
{
    if (text.empty() || text.size() > 10)
        return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

void MakeScrambleTable(const std::uint8_t* key, std::size_t keySize, std::uint32_t table[10])
{
    std::string hex = Md5Hex(std::string_view(reinterpret_cast<const char*>(key), keySize));
    auto group = [&hex](std::size_t start) {
        std::uint32_t v = 0;
        for (std::size_t i = start; i < start + 8; ++i) {
            char c = hex[i];
            v = (v << 4) | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        }
        return v;
    };
    static const std::size_t kStart[10] = {0, 8, 16, 24, 2, 10, 18, 2, 10, 18};
    for (int i = 0; i < 10; ++i)
        table[i] = group(kStart[i]);
}

void ScrambleWithTable(const std::uint32_t table[10], std::uint8_t* out,
                       const std::uint8_t* in, std::size_t size)
{
    std::size_t k = size % 10;
    std::uint32_t s = static_cast<std::uint32_t>(size);
    std::size_t words = size / 4;
    for (std::size_t i = 0; i < words; ++i) {
        const std::uint8_t* p = in + 4 * i;
        std::uint32_t w = LoadLe32(p);
        s += table[k];
        std::uint32_t o = s ^ w;
        std::uint8_t* q = out + 4 * i;
        q[0] = static_cast<std::uint8_t>(o);
        q[1] = static_cast<std::uint8_t>(o >> 8);
        q[2] = static_cast<std::uint8_t>(o >> 16);
        q[3] = static_cast<std::uint8_t>(o >> 24);
        k = k == 9 ? 0 : k + 1;
    }
    std::size_t tail = size % 4;
    if (tail) {
        std::uint32_t t = table[k];
        for (std::size_t j = 0; j < tail; ++j)
            out[4 * words + j] = static_cast<std::uint8_t>(in[4 * words + j] ^ (t >> (8 * j)));
    }
}

namespace {

// The key is assembled byte by byte so that it never appears in the binary as a
// string of its own.
void BuiltInTable(std::uint32_t table[10])
{
    std::uint8_t key[6];
    key[0] = 0x9c;
    key[1] = static_cast<std::uint8_t>(0x41 ^ 0x54);
    key[2] = 0xe7;
    key[3] = static_cast<std::uint8_t>(0x03 + 0x80);
    key[4] = 0x5e ^ 0xff;
    key[5] = 0x1b;
    MakeScrambleTable(key, sizeof key, table);
}

} // namespace

void DescrambleResource(std::uint8_t* out, const std::uint8_t* in, std::size_t size)
{
    std::uint32_t table[10];
    BuiltInTable(table);
    ScrambleWithTable(table, out, in, size);
}

void ScrambleResource(std::uint8_t* out, const std::uint8_t* in, std::size_t size)
{
    DescrambleResource(out, in, size);
}
