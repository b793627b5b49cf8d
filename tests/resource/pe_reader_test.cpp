// The resource-only DLL: the writer's layout, the reader's lookups, and damaged
// libraries that must lose resources without ever reading outside the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/PeResources.h"
#include "platform/PeWriter.h"

namespace {

std::vector<uint8_t> Bytes(const char* s, size_t n)
{
    return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(s), reinterpret_cast<const uint8_t*>(s) + n);
}

// The three resources of the documented minimal library: "SE" #1 = "OggS",
// "TEXTURE" #109 = the PNG signature, "TEXTURE" #110 = "xyz".
std::vector<PeResourceItem> ExampleItems()
{
    std::vector<PeResourceItem> items(3);
    // Given out of order on purpose: the writer sorts.
    items[0] = {"TEXTURE", 110, Bytes("xyz", 3)};
    items[1] = {"SE", 1, Bytes("OggS", 4)};
    items[2] = {"texture", 109, Bytes("\x89PNG\r\n\x1a\n", 8)};
    return items;
}

void Put(std::vector<uint8_t>& b, size_t off, std::initializer_list<uint32_t> dwords)
{
    for (uint32_t v : dwords) {
        for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
        off += 4;
    }
}
void Put16(std::vector<uint8_t>& b, size_t off, uint16_t v)
{
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
}

// The documented 1024-byte image, written out field by field.
std::vector<uint8_t> ExpectedExampleImage()
{
    std::vector<uint8_t> b(1024, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put(b, 0x3C, {0x40});
    Put(b, 0x40, {0x00004550});
    Put16(b, 0x44, 0x014C);
    Put16(b, 0x46, 1);
    Put16(b, 0x54, 0xE0);
    Put16(b, 0x56, 0x2102);
    Put16(b, 0x58, 0x010B);
    Put(b, 0x5C, {0, 0x200, 0, 0, 0x1000, 0x1000, 0x10000000, 0x1000, 0x200});
    Put16(b, 0x80, 4);  // OS version 4.0
    Put16(b, 0x88, 4);  // subsystem version 4.0
    Put(b, 0x90, {0x2000, 0x200, 0});
    Put16(b, 0x9C, 2);
    Put(b, 0xA0, {0x100000, 0x1000, 0x100000, 0x1000, 0, 16});
    Put(b, 0xC8, {0x1000, 0xFB});
    std::memcpy(&b[0x138], ".rsrc\0\0\0", 8);
    Put(b, 0x140, {0xFB, 0x1000, 0x200, 0x200, 0, 0, 0, 0x40000040});
    const size_t r = 0x200;
    Put16(b, r + 0x0C, 2);
    Put(b, r + 0x10, {0x800000A0, 0x80000020, 0x800000A6, 0x80000038});
    Put16(b, r + 0x20 + 14, 1);
    Put(b, r + 0x30, {1, 0x80000058});
    Put16(b, r + 0x38 + 14, 2);
    Put(b, r + 0x48, {0x6D, 0x80000070, 0x6E, 0x80000088});
    for (uint32_t dir : {0x58u, 0x70u, 0x88u}) Put16(b, r + dir + 14, 1);
    Put(b, r + 0x68, {0x0409, 0xB8});
    Put(b, r + 0x80, {0x0409, 0xC8});
    Put(b, r + 0x98, {0x0409, 0xD8});
    const char se[] = {2, 0, 'S', 0, 'E', 0};
    std::memcpy(&b[r + 0xA0], se, 6);
    const char tex[] = {7, 0, 'T', 0, 'E', 0, 'X', 0, 'T', 0, 'U', 0, 'R', 0, 'E', 0};
    std::memcpy(&b[r + 0xA6], tex, 16);
    Put(b, r + 0xB8, {0x10E8, 4, 0, 0, 0x10F0, 8, 0, 0, 0x10F8, 3, 0, 0});
    std::memcpy(&b[r + 0xE8], "OggS", 4);
    std::memcpy(&b[r + 0xF0], "\x89PNG\r\n\x1a\n", 8);
    std::memcpy(&b[r + 0xF8], "xyz", 3);
    return b;
}

std::vector<uint8_t> ExampleImage()
{
    std::vector<uint8_t> dll;
    std::string error;
    EXPECT_TRUE(BuildResourceDll(ExampleItems(), &dll, &error)) << error;
    return dll;
}

std::string FoundData(const CPeResourceFile& f, const char* type, const char* name)
{
    const CPeResourceFile::Entry* e = f.Find(type, name);
    if (!e) return "<missing>";
    std::string bytes(e->nSize, '\0');
    if (!f.Read(*e, reinterpret_cast<uint8_t*>(bytes.data()))) return "<unreadable>";
    return bytes;
}

TEST(PeWriter, WritesTheDocumentedMinimalImageByteForByte)
{
    std::vector<uint8_t> dll = ExampleImage();
    std::vector<uint8_t> expected = ExpectedExampleImage();
    ASSERT_EQ(dll.size(), expected.size());
    for (size_t i = 0; i < dll.size(); ++i) ASSERT_EQ(dll[i], expected[i]) << "at offset 0x" << std::hex << i;
}

TEST(PeWriter, RefusesDuplicatesAndSortsTypesWithAPrefixFirst)
{
    std::vector<PeResourceItem> items = {{"TEXTUREM", 5, {1}}, {"TEXTURE", 5, {2}}, {"BGM", 1, {3}}};
    std::vector<uint8_t> dll;
    ASSERT_TRUE(BuildResourceDll(items, &dll));
    CPeResourceFile f;
    ASSERT_TRUE(f.OpenMemory(dll));
    ASSERT_EQ(f.Entries().size(), 3u);
    EXPECT_EQ(f.Entries()[0].type.strName, "BGM");
    EXPECT_EQ(f.Entries()[1].type.strName, "TEXTURE");
    EXPECT_EQ(f.Entries()[2].type.strName, "TEXTUREM");

    items.push_back({"texturem", 5, {4}});
    std::string error;
    EXPECT_FALSE(BuildResourceDll(items, &dll, &error));
    EXPECT_NE(error.find("TEXTUREM #5"), std::string::npos) << error;
}

TEST(PeReader, FindsByTypeAndNumberTheWayTheLoaderReadsNames)
{
    CPeResourceFile f;
    std::string error;
    ASSERT_TRUE(f.OpenMemory(ExampleImage(), &error)) << error;
    EXPECT_EQ(f.SkippedCount(), 0);
    struct Case {
        const char* type;
        const char* name;
        const char* expected;
    } cases[] = {
        {"SE", "#1", "OggS"},
        {"TEXTURE", "#109", "\x89PNG\r\n\x1a\n"},
        {"texture", "#110", "xyz"},      // type names compare without case
        {"TEXTURE", "#0110", "xyz"},     // a decimal number, leading zero allowed
        {"TEXTURE", "#111", "<missing>"},
        {"TEXTUREM", "#109", "<missing>"},  // a longer type is a different type
        {"TEXTUR", "#109", "<missing>"},
        {"SE", "1", "<missing>"},        // without '#' it is a string name
        {"SE", "#", "<missing>"},
        {"SE", "#1x", "<missing>"},
        {"SE", "#65537", "<missing>"},   // beyond 16 bits: not wrapped onto #1
        {"#1", "#1", "<missing>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FoundData(f, c.type, c.name), std::string(c.expected)) << c.type << " " << c.name;
}

TEST(PeReader, RefusesFilesThatAreNoResourceImage)
{
    std::vector<uint8_t> dll = ExampleImage();
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {"MZ signature", 0, 'X'},
        {"PE signature", 0x40, 'Q'},
        {"PE offset past the end", 0x3D, 0x7F},
        {"optional header magic", 0x58, 0x0C},
        {"resource directory RVA outside every section", 0xCA, 0x30},
        {"resource directory size zero", 0xCC, 0x00},
        {"section count beyond the file", 0x47, 0xFF},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = dll;
        bad[c.offset] = c.value;
        CPeResourceFile f;
        std::string error;
        EXPECT_FALSE(f.OpenMemory(bad, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(f.Find("SE", "#1"), nullptr) << c.what;
    }
    CPeResourceFile f;
    std::string error;
    EXPECT_FALSE(f.Open("/nonexistent/data.dll", &error));
    EXPECT_FALSE(error.empty());
}

TEST(PeReader, DamagedDirectoriesLoseOnlyWhatTheyNoLongerDescribe)
{
    const std::vector<uint8_t> dll = ExampleImage();
    const size_t r = 0x200;  // file offset of the resource section
    struct Case {
        const char* what;
        size_t offset;  // dword to overwrite
        uint32_t value;
        bool se1, tex109, tex110;  // still found afterwards
    } cases[] = {
        {"data RVA past the end of the file", r + 0xB8, 0x7FFFFFF0, false, true, true},
        {"data size past the end of the section", r + 0xC8 + 4, 0x200, true, false, true},
        {"data size of 4 GiB", r + 0xD8 + 4, 0xFFFFFFFF, true, true, false},
        {"data RVA wrapping around 32 bits", r + 0xC8, 0xFFFFFFFF, true, false, true},
        {"name directory offset past the end", r + 0x14, 0x80000FF0, false, true, true},
        {"type name string past the end", r + 0x18, 0x80007FF0, true, false, false},
        {"name entry looping back to the root", r + 0x4C, 0x80000000, true, false, true},
        {"name entry looping back to its own directory", r + 0x54, 0x80000038, true, true, false},
        {"language entry pointing at a directory (loop)", r + 0x6C, 0x80000058, false, true, true},
        {"language entry pointing at the root", r + 0x84, 0x80000000, true, false, true},
        {"type entry without a subdirectory", r + 0x14, 0x00000020, false, true, true},
        {"leaf entry past the end of the section", r + 0x9C, 0x000001F8, true, true, false},
        {"huge entry count in the root", r + 0x0C, 0xFFFFFFFF, false, false, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = dll;
        Put(bad, c.offset, {c.value});
        CPeResourceFile f;
        std::string error;
        if (!f.OpenMemory(bad, &error)) {
            // Refusing the whole file is acceptable only when nothing is readable.
            EXPECT_FALSE(c.se1 || c.tex109 || c.tex110) << c.what << ": " << error;
            continue;
        }
        EXPECT_EQ(f.Find("SE", "#1") != nullptr, c.se1) << c.what;
        EXPECT_EQ(f.Find("TEXTURE", "#109") != nullptr, c.tex109) << c.what;
        EXPECT_EQ(f.Find("TEXTURE", "#110") != nullptr, c.tex110) << c.what;
        if (c.se1) {
            EXPECT_EQ(FoundData(f, "SE", "#1"), "OggS") << c.what;
        }
        if (c.tex110) {
            EXPECT_EQ(FoundData(f, "TEXTURE", "#110"), "xyz") << c.what;
        }
    }
}

TEST(PeReader, TruncatedLibrariesNeverReadPastTheirEnd)
{
    const std::vector<uint8_t> dll = ExampleImage();
    for (size_t len = 0; len < dll.size(); ++len) {
        // A copy of exactly len bytes, so that the sanitizers see any overrun.
        std::vector<uint8_t> cut(dll.begin(), dll.begin() + static_cast<std::ptrdiff_t>(len));
        CPeResourceFile f;
        if (!f.OpenMemory(cut)) continue;
        for (const CPeResourceFile::Entry& e : f.Entries()) ASSERT_LE(e.nOffset + uint64_t(e.nSize), len);
        // Cut inside the data: the resources whose bytes are gone are missing.
        if (len < 0x200 + 0xEC) {
            EXPECT_EQ(f.Find("SE", "#1"), nullptr) << len;
        }
        if (len < 0x200 + 0xFB) {
            EXPECT_EQ(f.Find("TEXTURE", "#110"), nullptr) << len;
        } else {
            EXPECT_EQ(FoundData(f, "TEXTURE", "#110"), "xyz");
        }
    }
}

TEST(PeReader, SurvivesEveryHeaderAndDirectoryByteBeingCorrupted)
{
    const std::vector<uint8_t> dll = ExampleImage();
    const uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    for (size_t off = 0; off < 0x200 + 0xE8; ++off) {
        for (uint8_t v : values) {
            std::vector<uint8_t> bad = dll;
            bad[off] = v;
            CPeResourceFile f;
            if (!f.OpenMemory(bad)) continue;
            for (const CPeResourceFile::Entry& e : f.Entries()) {
                ASSERT_LE(e.nOffset + uint64_t(e.nSize), bad.size()) << "offset " << off;
                // Read every byte: an overrun shows under the sanitizers.
                std::vector<uint8_t> bytes(e.nSize);
                ASSERT_TRUE(f.Read(e, bytes.data()));
            }
            f.Find("TEXTURE", "#109");
        }
    }
}

} // namespace
