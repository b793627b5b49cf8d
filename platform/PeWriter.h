// Writer of a resource-only PE32 DLL (no code, one .rsrc section), the form of
// data.dll. Used by the resource packer and by tests that need a library.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PeResourceItem {
    std::string strType;        // stored upper-case as a named type ("TEXTURE")
    uint16_t nId = 0;           // integer name: "#109" is 109
    std::vector<uint8_t> data;  // stored as given
};

// Builds the whole image. Types are sorted without case (a prefix first), IDs
// ascending, one language entry (1033) per resource, so that a binary search
// by the system loader finds every entry. Output depends only on the items:
// no time stamp. False when two items share a type and ID or the image would
// not fit in 32 bits.
bool BuildResourceDll(const std::vector<PeResourceItem>& items, std::vector<uint8_t>* pOut,
                      std::string* pError = nullptr);
