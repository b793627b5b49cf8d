#include "core/Util.h"

#include <md5.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

std::string ExecutableDir()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return "./";
    return WithTrailingSlash(exe.parent_path().string());
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

const std::string& GetProgramDir()
{
    std::string& dir = ProgramDirStorage();
    if (dir.empty())
        dir = ExecutableDir();
    return dir;
}

void SetProgramDir(const std::string& dir)
{
    if (dir.empty()) {
        ProgramDirStorage() = ExecutableDir();
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

bool ReadWholeFile(std::string_view path, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::FILE* fp = std::fopen(ResolvePath(path).c_str(), "rb");
    if (!fp)
        return false;
    bool bOk = true;
    std::uint8_t chunk[16384];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, sizeof chunk, fp);
        out.insert(out.end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            bOk = !std::ferror(fp);
            break;
        }
    }
    std::fclose(fp);
    if (!bOk)
        out.clear();
    return bOk;
}

bool WriteFileAtomic(std::string_view path, const void* data, std::size_t size)
{
    const std::string full = ResolvePath(path);
    if (full.empty() || full.back() == '/')
        return false;

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
    struct stat st;
    if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);

    bool bOk = WriteAll(fd, static_cast<const std::uint8_t*>(data), size);
    if (bOk && ::fsync(fd) != 0)
        bOk = false;
    if (::close(fd) != 0)
        bOk = false;
    if (bOk && std::rename(tmp.c_str(), full.c_str()) != 0)
        bOk = false;
    if (!bOk) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; failing that is not a failed write.
    std::string dir = DirName(full);
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
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
        std::uint32_t w = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
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
