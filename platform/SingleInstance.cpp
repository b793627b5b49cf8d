#include "platform/SingleInstance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CSingleInstance::~CSingleInstance() { Release(); }

std::string CSingleInstance::LockName(const char* name, const std::string& scope)
{
    std::string s = std::string(name ? name : "") + "-" + std::to_string(static_cast<unsigned long>(getuid()));
    if (!scope.empty()) {
        // FNV-1a keeps the name short whatever the folder's length.
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : scope) {
            h ^= c;
            h *= 1099511628211ull;
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
        s += "-";
        s += hex;
    }
    return s;
}

std::string CSingleInstance::FolderScope(const std::string& dir)
{
    char* real = ::realpath(dir.c_str(), nullptr);
    if (!real) return dir;
    std::string scope = real;
    std::free(real);
    return scope;
}

bool CSingleInstance::Acquire(const char* name, const std::string& scope)
{
    Release();
    const std::string lock = LockName(name, scope);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;  // no sockets at all: nothing can guard, let the game run
    sockaddr_un addr;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    // Abstract namespace: the name starts with a NUL byte and is no file.
    const size_t len = std::min(lock.size(), sizeof(addr.sun_path) - 1);
    std::memcpy(addr.sun_path + 1, lock.data(), len);
    const socklen_t addrLen = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), addrLen) != 0) {
        close(fd);
        return false;
    }
    m_nSocket = fd;
    return true;
}

void CSingleInstance::Release()
{
    if (m_nSocket >= 0) {
        close(m_nSocket);
        m_nSocket = -1;
    }
}
