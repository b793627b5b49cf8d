// The resource library: the PE image's resource directory, then every
// resource it yields through the descrambler.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Util.h"
#include "platform/PeResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CPeResourceFile library;
    if (library.OpenMemory(std::vector<uint8_t>(data, data + size))) {
        std::vector<uint8_t> out;
        for (const CPeResourceFile::Entry& e : library.Entries()) {
            out.resize(e.nSize);
            if (library.Read(e, out.data())) DescrambleResource(out.data(), out.data(), e.nSize);
        }
        for (const char* type : {"TEXTURE", "MODEL", "BGM", "SE", "TEXTUREM"})
            for (const char* name : {"#1", "#101", "#342", "NAME"}) (void)library.Find(type, name);
    }
    std::vector<uint8_t> plain(size);
    if (size) DescrambleResource(plain.data(), data, size);
    return 0;
}
