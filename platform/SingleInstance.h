// The per-user single-instance guard "KorvoZeta": an abstract Unix socket bound
// for the life of the process. The kernel frees it when the process ends, however
// it ends, so a crashed copy leaves no stale lock behind.
#pragma once

#include <string>

class CSingleInstance {
public:
    CSingleInstance() = default;
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Takes the lock named name (for this user). Returns false when another
    // process holds it. scope, when not empty, is made part of the name, so that
    // games with different program folders (tests) do not exclude each other.
    bool Acquire(const char* name, const std::string& scope);
    void Release();
    bool IsHeld() const { return m_nSocket >= 0; }

    // The scope of a game's program folder: the folder as the file system
    // resolves it (links, ".", ".." and repeated separators), so that every
    // spelling of one folder gives one lock. dir itself when it cannot be
    // resolved.
    static std::string FolderScope(const std::string& dir);

    // The abstract socket name used for name and scope (without the leading NUL).
    static std::string LockName(const char* name, const std::string& scope);

private:
    int m_nSocket = -1;
};
