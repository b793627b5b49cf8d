#include "platform/PeWriter.h"

#include <algorithm>
#include <cstddef>
#include <map>

namespace {

constexpr uint32_t kFileAlign = 0x200;
constexpr uint32_t kSectionAlign = 0x1000;
constexpr uint32_t kRsrcRva = 0x1000;
constexpr uint32_t kHeadersSize = 0x200;
constexpr uint32_t kLanguage = 1033;

uint32_t AlignUp(uint64_t v, uint32_t a)
{
    return static_cast<uint32_t>((v + a - 1) / a * a);
}

void Put16(std::vector<uint8_t>& b, size_t off, uint32_t v)
{
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& b, size_t off, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string UpperAscii(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

} // namespace

bool BuildResourceDll(const std::vector<PeResourceItem>& items, std::vector<uint8_t>* pOut, std::string* pError)
{
    // type -> id -> item; std::map orders upper-case ASCII names byte-wise,
    // which is the loader's case-insensitive order with a prefix first.
    std::map<std::string, std::map<uint16_t, const PeResourceItem*>> tree;
    for (const PeResourceItem& it : items) {
        std::string type = UpperAscii(it.strType);
        if (type.empty()) {
            if (pError) *pError = "empty resource type";
            return false;
        }
        auto& ids = tree[type];
        if (!ids.emplace(it.nId, &it).second) {
            if (pError) *pError = "duplicate resource " + type + " #" + std::to_string(it.nId);
            return false;
        }
    }

    // Layout inside .rsrc: directories breadth-first, then the type name
    // strings, then the data entries, then the raw data (8-byte aligned).
    const uint32_t nTypes = static_cast<uint32_t>(tree.size());
    uint32_t nResources = 0;
    for (auto& t : tree) nResources += static_cast<uint32_t>(t.second.size());

    uint32_t rootSize = 16 + 8 * nTypes;
    uint32_t nameDirsSize = 0;
    for (auto& t : tree) nameDirsSize += 16 + 8 * static_cast<uint32_t>(t.second.size());
    uint32_t langDirsSize = nResources * (16 + 8);
    uint32_t stringsAt = rootSize + nameDirsSize + langDirsSize;
    uint32_t stringsSize = 0;
    for (auto& t : tree) stringsSize += 2 + 2 * static_cast<uint32_t>(t.first.size());
    uint32_t dataEntriesAt = AlignUp(stringsAt + stringsSize, 8);
    uint64_t rawAt = dataEntriesAt + 16ull * nResources;
    uint64_t total = rawAt;
    for (auto& t : tree)
        for (auto& n : t.second) total = AlignUp(total, 8) + n.second->data.size();
    if (total > 0x7FFFFFFFull - kHeadersSize - kSectionAlign) {
        if (pError) *pError = "the resources do not fit in one image";
        return false;
    }
    const uint32_t rsrcSize = static_cast<uint32_t>(total);
    const uint32_t rawSize = AlignUp(rsrcSize, kFileAlign);

    std::vector<uint8_t> r(rawSize, 0);
    // Root directory.
    Put16(r, 12, nTypes);
    uint32_t nameDirAt = rootSize;
    uint32_t langDirAt = rootSize + nameDirsSize;
    uint32_t strAt = stringsAt;
    uint32_t entryAt = dataEntriesAt;
    uint64_t dataAt = rawAt;
    uint32_t ti = 0;
    for (auto& t : tree) {
        Put32(r, 16 + 8 * ti, 0x80000000u | strAt);
        Put32(r, 16 + 8 * ti + 4, 0x80000000u | nameDirAt);
        Put16(r, strAt, static_cast<uint32_t>(t.first.size()));
        for (size_t c = 0; c < t.first.size(); ++c)
            Put16(r, strAt + 2 + 2 * c, static_cast<uint8_t>(t.first[c]));
        strAt += 2 + 2 * static_cast<uint32_t>(t.first.size());

        uint32_t nIds = static_cast<uint32_t>(t.second.size());
        Put16(r, nameDirAt + 14, nIds);
        uint32_t ni = 0;
        for (auto& n : t.second) {
            Put32(r, nameDirAt + 16 + 8 * ni, n.first);
            Put32(r, nameDirAt + 16 + 8 * ni + 4, 0x80000000u | langDirAt);
            Put16(r, langDirAt + 14, 1);
            Put32(r, langDirAt + 16, kLanguage);
            Put32(r, langDirAt + 20, entryAt);  // leaf: bit 31 clear
            langDirAt += 24;

            const std::vector<uint8_t>& d = n.second->data;
            dataAt = AlignUp(dataAt, 8);
            Put32(r, entryAt, kRsrcRva + static_cast<uint32_t>(dataAt));  // an RVA, not a section offset
            Put32(r, entryAt + 4, static_cast<uint32_t>(d.size()));
            entryAt += 16;
            std::copy(d.begin(), d.end(), r.begin() + static_cast<std::ptrdiff_t>(dataAt));
            dataAt += d.size();
            ++ni;
        }
        nameDirAt += 16 + 8 * nIds;
        ++ti;
    }

    std::vector<uint8_t> out(kHeadersSize, 0);
    // DOS header: only the signature and the offset of the PE header matter.
    out[0] = 'M';
    out[1] = 'Z';
    Put32(out, 0x3C, 0x40);
    const size_t pe = 0x40;
    out[pe] = 'P';
    out[pe + 1] = 'E';
    // COFF header.
    Put16(out, pe + 4, 0x014C);   // i386
    Put16(out, pe + 6, 1);        // one section
    Put16(out, pe + 20, 0xE0);    // PE32 optional header with 16 directories
    Put16(out, pe + 22, 0x2102);  // executable image, 32-bit machine, DLL
    // Optional header.
    const size_t opt = pe + 24;
    Put16(out, opt + 0, 0x10B);
    Put32(out, opt + 8, rawSize);       // SizeOfInitializedData
    Put32(out, opt + 20, kRsrcRva);     // BaseOfCode
    Put32(out, opt + 24, kRsrcRva);     // BaseOfData
    Put32(out, opt + 28, 0x10000000);   // ImageBase
    Put32(out, opt + 32, kSectionAlign);
    Put32(out, opt + 36, kFileAlign);
    Put16(out, opt + 40, 4);            // OS version 4.0
    Put16(out, opt + 48, 4);            // subsystem version 4.0
    Put32(out, opt + 56, kRsrcRva + AlignUp(rsrcSize, kSectionAlign));  // SizeOfImage
    Put32(out, opt + 60, kHeadersSize);
    Put16(out, opt + 68, 2);            // Windows GUI
    Put32(out, opt + 72, 0x100000);
    Put32(out, opt + 76, 0x1000);
    Put32(out, opt + 80, 0x100000);
    Put32(out, opt + 84, 0x1000);
    Put32(out, opt + 92, 16);
    Put32(out, opt + 96 + 2 * 8, kRsrcRva);
    Put32(out, opt + 96 + 2 * 8 + 4, rsrcSize);
    // Section table.
    const size_t sec = opt + 0xE0;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, out.begin() + static_cast<std::ptrdiff_t>(sec));
    Put32(out, sec + 8, rsrcSize);
    Put32(out, sec + 12, kRsrcRva);
    Put32(out, sec + 16, rawSize);
    Put32(out, sec + 20, kHeadersSize);
    Put32(out, sec + 36, 0x40000040);  // initialised data, readable

    out.insert(out.end(), r.begin(), r.end());
    *pOut = std::move(out);
    return true;
}
