// Finding a resource by type and name ("TEXTURE", "#123"): a loose file beside
// the program ("TEXTURE/123.png") always wins and is used exactly as it is;
// otherwise the resource comes from the library data.dll, where it is stored
// scrambled, and is descrambled here. Textures, meshes and sounds all load
// through this, so sound never depends on the graphics code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/GameFolder.h"  // kResourceLibraryName and the folders it may lie in

class CPeResourceFile;

// Opens "data.dll" once at start from the first of ResourceLibraryFolders()
// that has it. On failure *pMessage gets a message for the player that names
// the file, the folders searched and why.
bool OpenResourceLibrary(std::string* pMessage = nullptr);
// The same over the given folders (each with a trailing '/').
bool OpenResourceLibraryFrom(const std::vector<std::string>& folders, std::string* pMessage = nullptr);
// Opens another file as the library (tests, tools).
bool OpenResourceLibraryFile(const std::string& path, std::string* pMessage = nullptr);
void CloseResourceLibrary();
// The whole path of the open library ("" when none is open).
const std::string& GetResourceLibraryPath();
bool IsResourceLibraryOpen();
// The open library (null when none), for tools and checks.
const CPeResourceFile* GetResourceLibrary();

// Program folder + type + "/" + the name without its "#" + ext:
// ("#7", "TEXTURE", ".png") -> "<program folder>TEXTURE/7.png".
std::string GetOverridePath(const char* name, const char* type, const char* ext);

enum EResourceOrigin {
    RESOURCE_MISSING = 0,   // neither an override file nor a library resource
    RESOURCE_OVERRIDE = 1,  // out holds the file's bytes, untouched
    RESOURCE_LIBRARY = 2,   // out holds the library bytes, descrambled
};

// Loads the bytes of a resource. ext is the override extension (".png", ".x",
// ".ogg"); a null ext means the type has no override files ("TEXTUREM"). An
// override file that exists but cannot be read (or is larger than
// kMaxOverrideFileBytes) counts as missing (it is not silently replaced by the
// library copy); a folder, pipe or device of the override's name is no
// override, and the library's copy is used. Either is named in a file warning.
// Shows nothing else; see ReportUndefinedResource.
EResourceOrigin LoadResourceBytes(const char* name, const char* type, const char* ext,
                                  std::vector<uint8_t>& out, std::string* pOverridePath = nullptr);

// "Undefined Resource %s %s" (type, then name) in an information message box
// (standard error when no display exists). The program goes on.
void ReportUndefinedResource(const char* type, const char* name);

// Where messages of this layer go. The default writes to standard error; the
// program entry points it at its message box once the window exists.
using ResourceMessageSink = void (*)(const char* text);
void SetResourceMessageSink(ResourceMessageSink sink);
// Sends a text through the current sink.
void ShowResourceMessage(const char* text);
