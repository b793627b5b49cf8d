// Reader for the resources of a resource-only PE32 image (our data.dll), without
// any help from the operating system's loader. The directories are read once
// when the file is opened, the resources' bytes each time they are asked for;
// every directory offset, data address and size is checked against the file, so
// a damaged library loses the resources it can no longer describe and nothing
// else: a lookup never reads outside the file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CPeResourceFile {
public:
    // One readable resource. A type or name is either an integer ID (bIsId set,
    // nId valid) or a string (upper-case as stored, compared without case).
    struct Key {
        bool bIsId = true;
        uint32_t nId = 0;
        std::string strName;
    };
    struct Entry {
        Key type;
        Key name;
        uint32_t nLanguage = 0;
        uint32_t nRva = 0;      // as stored in the data entry
        uint32_t nOffset = 0;   // file offset of the bytes
        uint32_t nSize = 0;
    };

    CPeResourceFile() = default;
    ~CPeResourceFile() { Close(); }
    CPeResourceFile(const CPeResourceFile&) = delete;
    CPeResourceFile& operator=(const CPeResourceFile&) = delete;

    // Reads and indexes the file. False (with a reason in *pError) when the file
    // cannot be read or is no PE image with a resource directory.
    bool Open(const std::string& path, std::string* pError = nullptr);
    bool OpenMemory(std::vector<uint8_t> bytes, std::string* pError = nullptr);
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // Finds a resource the way the system loader reads its arguments: "#109" is
    // the integer ID 109, any other text a name compared without case. The first
    // language entry is taken. Null when absent or unreadable.
    const Entry* Find(const char* type, const char* name) const;
    // Copies the e.nSize bytes of a found entry to pOut; false when they cannot
    // be read (a file changed since it was opened).
    bool Read(const Entry& e, uint8_t* pOut) const;

    // Every readable resource, in directory order (types, names, languages).
    const std::vector<Entry>& Entries() const { return m_Entries; }
    // Directory entries that had to be skipped because they point outside the
    // file, into a loop, or at bytes that are not there.
    int SkippedCount() const { return m_nSkipped; }

    // "#N" -> integer key N (must fit in 16 bits); otherwise the upper-cased text.
    static bool ParseKey(const char* text, Key* pKey);

private:
    // The file's bytes while they are indexed (a mapping of the file), or for
    // good (OpenMemory: m_Owned).
    struct SView {
        const uint8_t* pData = nullptr;
        size_t nSize = 0;
        size_t size() const { return nSize; }
        const uint8_t& operator[](size_t i) const { return pData[i]; }
    };

    bool Index(std::string* pError);
    bool Parse(std::string* pError);
    bool RvaToOffset(uint32_t rva, uint32_t size, uint32_t* pOffset) const;
    bool ReadKey(uint32_t nameField, Key* pKey) const;
    bool ReadDirectory(uint32_t dirOffset, uint32_t* pFirstEntry, uint32_t* pCount) const;

    struct Section {
        uint32_t nVirtualAddress, nVirtualSize, nRawSize, nRawOffset;
    };

    SView m_Bytes;
    std::vector<uint8_t> m_Owned;
    int m_nFd = -1;  // the file, read when a resource is wanted
    std::vector<Section> m_Sections;
    std::vector<Entry> m_Entries;
    uint32_t m_nRsrcBase = 0;  // file offset of the resource directory
    uint32_t m_nRsrcSize = 0;  // bytes of the directory area readable in the file
    int m_nSkipped = 0;
    bool m_bOpen = false;
};
