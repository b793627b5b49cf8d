#include "platform/PeResources.h"

#include <sys/mman.h>
#include <unistd.h>

#include "core/Util.h"

#include <cstdio>
#include <cstring>

namespace {

// A hostile directory can make every entry point at the same large
// subdirectory; walking stops after this many entries in all.
constexpr uint32_t kMaxWalkedEntries = 1u << 20;

template <class Bytes>
uint16_t U16(const Bytes& b, uint32_t off)
{
    return LoadLe16(&b[off]);
}

template <class Bytes>
uint32_t U32(const Bytes& b, uint32_t off)
{
    return LoadLe32(&b[off]);
}

// True when [off, off + len) lies inside a buffer of the given size, without
// overflowing 32 bits.
bool InRange(uint64_t off, uint64_t len, uint64_t size)
{
    return off <= size && len <= size - off;
}

void SetError(std::string* pError, const char* text)
{
    if (pError) *pError = text;
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool KeysEqual(const CPeResourceFile::Key& a, const CPeResourceFile::Key& b)
{
    if (a.bIsId != b.bIsId) return false;
    return a.bIsId ? a.nId == b.nId : a.strName == b.strName;
}

} // namespace

bool CPeResourceFile::Open(const std::string& path, std::string* pError)
{
    Close();
    // Only a regular file of a sane size: a pipe or a device in its place
    // would block or never end.
    int fd = -1;
    uint64_t size = 0;
    const EReadResult opened = OpenRegularFile(path, kMaxLibraryFileBytes, fd, size);
    if (opened != EReadResult::Ok) {
        if (pError) *pError = "the file " + ReadResultText(opened, kMaxLibraryFileBytes);
        return false;
    }
    if (size == 0) {
        ::close(fd);
        return OpenMemory({}, pError);
    }
    // The directories are read from a mapping of the file, which touches only
    // their pages; the resources are read from the file when they are wanted, so
    // the library costs no memory while the game runs.
    void* pMap = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (pMap == MAP_FAILED) {
        ::close(fd);
        SetError(pError, "the file cannot be read");
        return false;
    }
    m_Bytes = {static_cast<const uint8_t*>(pMap), static_cast<size_t>(size)};
    const bool bOk = Index(pError);
    ::munmap(pMap, static_cast<size_t>(size));
    m_Bytes = {nullptr, bOk ? static_cast<size_t>(size) : 0};
    if (bOk) m_nFd = fd;
    else ::close(fd);
    return bOk;
}

bool CPeResourceFile::OpenMemory(std::vector<uint8_t> bytes, std::string* pError)
{
    Close();
    if (bytes.size() > 0xFFFFFFFFull) {
        SetError(pError, "the file is too large to be a PE image");
        return false;
    }
    m_Owned = std::move(bytes);
    m_Bytes = {m_Owned.data(), m_Owned.size()};
    return Index(pError);
}

bool CPeResourceFile::Index(std::string* pError)
{
    if (!Parse(pError)) {
        Close();
        return false;
    }
    m_bOpen = true;
    return true;
}

bool CPeResourceFile::Read(const Entry& e, uint8_t* pOut) const
{
    if (!m_bOpen) return false;
    if (e.nSize == 0) return true;  // an empty resource may come with no buffer at all
    if (m_nFd < 0) {
        std::memcpy(pOut, m_Bytes.pData + e.nOffset, e.nSize);
        return true;
    }
    // The file may have changed since it was opened: a short read fails the
    // resource, nothing else.
    size_t nDone = 0;
    while (nDone < e.nSize) {
        const ssize_t n = ::pread(m_nFd, pOut + nDone, e.nSize - nDone, static_cast<off_t>(e.nOffset + nDone));
        if (n <= 0) return false;
        nDone += static_cast<size_t>(n);
    }
    return true;
}

void CPeResourceFile::Close()
{
    if (m_nFd >= 0) ::close(m_nFd);
    m_nFd = -1;
    m_Owned.clear();
    m_Owned.shrink_to_fit();
    m_Bytes = SView{};
    m_Sections.clear();
    m_Entries.clear();
    m_nRsrcBase = m_nRsrcSize = 0;
    m_nSkipped = 0;
    m_bOpen = false;
}

bool CPeResourceFile::ParseKey(const char* text, Key* pKey)
{
    if (!text || !pKey) return false;
    Key k;
    if (text[0] == '#') {
        // Decimal digits only; the loader takes the ID as a 16-bit value.
        if (text[1] == '\0') return false;
        uint32_t v = 0;
        for (const char* p = text + 1; *p; ++p) {
            if (*p < '0' || *p > '9') return false;
            v = v * 10 + static_cast<uint32_t>(*p - '0');
            if (v > 0xFFFF) return false;
        }
        k.bIsId = true;
        k.nId = v;
    } else {
        if (text[0] == '\0') return false;
        k.bIsId = false;
        for (const char* p = text; *p; ++p) k.strName.push_back(Upper(*p));
    }
    *pKey = std::move(k);
    return true;
}

const CPeResourceFile::Entry* CPeResourceFile::Find(const char* type, const char* name) const
{
    if (!m_bOpen) return nullptr;
    Key t, n;
    if (!ParseKey(type, &t) || !ParseKey(name, &n)) return nullptr;
    for (const Entry& e : m_Entries) {
        if (KeysEqual(e.type, t) && KeysEqual(e.name, n)) return &e;  // first language
    }
    return nullptr;
}

bool CPeResourceFile::RvaToOffset(uint32_t rva, uint32_t size, uint32_t* pOffset) const
{
    for (const Section& s : m_Sections) {
        uint32_t span = s.nVirtualSize > s.nRawSize ? s.nVirtualSize : s.nRawSize;
        if (rva < s.nVirtualAddress || rva - s.nVirtualAddress >= span) continue;
        uint64_t delta = rva - s.nVirtualAddress;
        // Bytes beyond the raw data would be zero-filled by a loader; a file
        // that ends before its data is damaged, so require them on disk.
        if (!InRange(delta, size, s.nRawSize)) return false;
        uint64_t off = static_cast<uint64_t>(s.nRawOffset) + delta;
        if (!InRange(off, size, m_Bytes.size())) return false;
        *pOffset = static_cast<uint32_t>(off);
        return true;
    }
    return false;
}

// The entries of the directory at dirOffset (relative to the resource base).
bool CPeResourceFile::ReadDirectory(uint32_t dirOffset, uint32_t* pFirstEntry, uint32_t* pCount) const
{
    if (!InRange(dirOffset, 16, m_nRsrcSize)) return false;
    uint32_t at = m_nRsrcBase + dirOffset;
    uint32_t count = static_cast<uint32_t>(U16(m_Bytes, at + 12)) + U16(m_Bytes, at + 14);
    if (!InRange(static_cast<uint64_t>(dirOffset) + 16, static_cast<uint64_t>(count) * 8, m_nRsrcSize))
        return false;
    *pFirstEntry = at + 16;
    *pCount = count;
    return true;
}

bool CPeResourceFile::ReadKey(uint32_t nameField, Key* pKey) const
{
    Key k;
    if (nameField & 0x80000000u) {
        uint32_t off = nameField & 0x7FFFFFFFu;
        if (!InRange(off, 2, m_nRsrcSize)) return false;
        uint32_t len = U16(m_Bytes, m_nRsrcBase + off);
        if (!InRange(static_cast<uint64_t>(off) + 2, static_cast<uint64_t>(len) * 2, m_nRsrcSize)) return false;
        k.bIsId = false;
        for (uint32_t i = 0; i < len; ++i) {
            uint16_t c = U16(m_Bytes, m_nRsrcBase + off + 2 + 2 * i);
            // Our type names are ASCII; other characters cannot match any query.
            k.strName.push_back(c < 0x80 ? Upper(static_cast<char>(c)) : '\x7F');
        }
    } else {
        if (nameField > 0xFFFF) return false;
        k.bIsId = true;
        k.nId = nameField;
    }
    *pKey = std::move(k);
    return true;
}

bool CPeResourceFile::Parse(std::string* pError)
{
    const SView& b = m_Bytes;
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') {
        SetError(pError, "not a PE image (no MZ header)");
        return false;
    }
    uint32_t pe = U32(b, 0x3C);
    if (!InRange(pe, 24, b.size()) || std::memcmp(&b[pe], "PE\0\0", 4) != 0) {
        SetError(pError, "not a PE image (no PE signature)");
        return false;
    }
    uint32_t nSections = U16(b, pe + 6);
    uint32_t optSize = U16(b, pe + 20);
    uint32_t opt = pe + 24;
    if (!InRange(opt, optSize, b.size()) || optSize < 2) {
        SetError(pError, "the optional header is cut off");
        return false;
    }
    uint16_t magic = U16(b, opt);
    uint32_t countAt, dirsAt;
    if (magic == 0x10B) {
        countAt = 92;
        dirsAt = 96;
    } else if (magic == 0x20B) {
        countAt = 108;
        dirsAt = 112;
    } else {
        SetError(pError, "unknown optional header");
        return false;
    }
    if (optSize < countAt + 4 || U32(b, opt + countAt) < 3 || optSize < dirsAt + 3 * 8) {
        SetError(pError, "the image has no resource directory");
        return false;
    }
    uint32_t rsrcRva = U32(b, opt + dirsAt + 2 * 8);
    uint32_t rsrcSize = U32(b, opt + dirsAt + 2 * 8 + 4);
    if (rsrcRva == 0 || rsrcSize == 0) {
        SetError(pError, "the image has no resource directory");
        return false;
    }

    uint32_t secTable = opt + optSize;
    if (!InRange(secTable, static_cast<uint64_t>(nSections) * 40, b.size())) {
        SetError(pError, "the section table is cut off");
        return false;
    }
    for (uint32_t i = 0; i < nSections; ++i) {
        uint32_t s = secTable + 40 * i;
        Section sec{U32(b, s + 12), U32(b, s + 8), U32(b, s + 16), U32(b, s + 20)};
        m_Sections.push_back(sec);
    }

    // The directory area: from the resource RVA to the end of its section's
    // raw data, as far as the file holds it.
    const Section* pRsrc = nullptr;
    for (const Section& s : m_Sections) {
        uint32_t span = s.nVirtualSize > s.nRawSize ? s.nVirtualSize : s.nRawSize;
        if (rsrcRva >= s.nVirtualAddress && rsrcRva - s.nVirtualAddress < span) {
            pRsrc = &s;
            break;
        }
    }
    if (!pRsrc) {
        SetError(pError, "the resource directory lies in no section");
        return false;
    }
    uint64_t delta = rsrcRva - pRsrc->nVirtualAddress;
    uint64_t base = static_cast<uint64_t>(pRsrc->nRawOffset) + delta;
    if (delta >= pRsrc->nRawSize || base >= b.size()) {
        SetError(pError, "the resource directory is not in the file");
        return false;
    }
    uint64_t avail = pRsrc->nRawSize - delta;
    if (avail > b.size() - base) avail = b.size() - base;
    m_nRsrcBase = static_cast<uint32_t>(base);
    m_nRsrcSize = static_cast<uint32_t>(avail);

    uint32_t typeFirst, typeCount;
    if (!ReadDirectory(0, &typeFirst, &typeCount)) {
        SetError(pError, "the resource directory is cut off");
        return false;
    }

    // Three fixed levels: type, name, language. A subdirectory that points back
    // at one of its ancestors (a loop), an entry of the wrong kind for its level
    // or bytes outside the file make that branch unreadable; the rest stays.
    uint32_t walked = 0;
    for (uint32_t ti = 0; ti < typeCount && walked < kMaxWalkedEntries; ++ti, ++walked) {
        uint32_t te = typeFirst + 8 * ti;
        Key type;
        uint32_t typeTarget = U32(b, te + 4);
        uint32_t nameDir = typeTarget & 0x7FFFFFFFu;
        uint32_t nameFirst, nameCount;
        if (!ReadKey(U32(b, te), &type) || !(typeTarget & 0x80000000u) || nameDir == 0 ||
            !ReadDirectory(nameDir, &nameFirst, &nameCount)) {
            ++m_nSkipped;
            continue;
        }
        for (uint32_t ni = 0; ni < nameCount && walked < kMaxWalkedEntries; ++ni, ++walked) {
            uint32_t ne = nameFirst + 8 * ni;
            Key name;
            uint32_t nameTarget = U32(b, ne + 4);
            uint32_t langDir = nameTarget & 0x7FFFFFFFu;
            uint32_t langFirst, langCount;
            if (!ReadKey(U32(b, ne), &name) || !(nameTarget & 0x80000000u) || langDir == 0 ||
                langDir == nameDir || !ReadDirectory(langDir, &langFirst, &langCount)) {
                ++m_nSkipped;
                continue;
            }
            bool bFound = false;
            for (uint32_t li = 0; li < langCount && !bFound && walked < kMaxWalkedEntries; ++li, ++walked) {
                uint32_t le = langFirst + 8 * li;
                uint32_t lang = U32(b, le);
                uint32_t leaf = U32(b, le + 4);
                if ((leaf & 0x80000000u) || lang > 0xFFFF || !InRange(leaf, 16, m_nRsrcSize)) {
                    ++m_nSkipped;
                    continue;
                }
                uint32_t rva = U32(b, m_nRsrcBase + leaf);
                uint32_t size = U32(b, m_nRsrcBase + leaf + 4);
                uint32_t offset;
                if (!RvaToOffset(rva, size, &offset)) {
                    ++m_nSkipped;
                    continue;
                }
                Entry e;
                e.type = type;
                e.name = name;
                e.nLanguage = lang;
                e.nRva = rva;
                e.nOffset = offset;
                e.nSize = size;
                m_Entries.push_back(std::move(e));
                bFound = true;  // the loader settles for the first usable language
            }
            if (!bFound && langCount == 0) ++m_nSkipped;
        }
    }
    return true;
}
