// Packs a folder in the override layout (TEXTURE/123.png, TEXTUREM/5.png,
// MODEL/101.x, BGM/109.ogg, SE/115.ogg) into the resource library: every file
// becomes the resource of its folder's type with its number as the ID, stored
// scrambled so that the game's descrambler gives the file's bytes back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PeWriter.h"

// The resource types of the game with the extension of their files.
struct ResourceTypeInfo {
    const char* pszType;
    const char* pszExt;
};
extern const ResourceTypeInfo kResourceTypes[5];

// Reads every resource file under dir (folders that do not exist are simply
// empty). A file whose name is not "<decimal ID up to 65535><extension>" is an
// error, so that a misnamed asset cannot silently go missing from the library.
// Items come out in a fixed order (type, then ID), scrambled.
bool CollectResourceFolder(const std::string& dir, std::vector<PeResourceItem>* pItems, std::string* pError);

// CollectResourceFolder followed by BuildResourceDll.
bool PackResourceFolder(const std::string& dir, std::vector<uint8_t>* pDll, std::string* pError);
