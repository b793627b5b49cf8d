// A look at a DirectX .x mesh before the mesh importer reads it. The importer
// trusts the element counts a file declares and allocates for them at once, so
// a 70-byte file declaring two billion vertices would take gigabytes before it
// failed, and it uses the indices a file gives without checking them. The look
// reads the file token for token as the importer does (what it reads and what
// it steps over), and wherever it cannot be sure to follow, refuses the file.
// Every count must be one the file can hold (as many numbers follow as it
// declares) and within sane limits; every index must name an element there is;
// frames may not nest without end; compressed files, whose expansion cannot be
// bounded beforehand, are not read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The most elements any one count may declare: far above what a 16-bit index
// buffer can draw, far below what could exhaust memory.
inline constexpr uint64_t kMaxXFileCount = uint64_t(1) << 20;
// Deeper nesting of objects than this is treated as damage.
inline constexpr int kMaxXFileDepth = 256;

// True when the text or binary .x data may be handed to the importer; false
// with the reason otherwise.
bool CheckXFileLimits(const uint8_t* data, size_t size, std::string* pWhy = nullptr);
