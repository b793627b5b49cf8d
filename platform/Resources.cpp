#include "platform/Resources.h"

#include <cstdio>

#include "core/Util.h"
#include "platform/PeResources.h"

const char* const kResourceLibraryName = "data.dll";

namespace {

CPeResourceFile g_ResourceLibrary;

void StderrSink(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

ResourceMessageSink g_MessageSink = StderrSink;

} // namespace

bool OpenResourceLibraryFile(const std::string& path, std::string* pMessage)
{
    std::string why;
    if (g_ResourceLibrary.Open(path, &why)) return true;
    if (pMessage) {
        std::string dir = DirName(path);
        std::string file = path.substr(dir.size());
        *pMessage = "The resource library \"" + file + "\" could not be loaded from the folder \"" +
                    (dir.empty() ? std::string(".") : dir) + "\": " + why + ".";
    }
    return false;
}

bool OpenResourceLibrary(std::string* pMessage)
{
    return OpenResourceLibraryFile(GetProgramDir() + kResourceLibraryName, pMessage);
}

void CloseResourceLibrary()
{
    g_ResourceLibrary.Close();
}

bool IsResourceLibraryOpen()
{
    return g_ResourceLibrary.IsOpen();
}

const CPeResourceFile* GetResourceLibrary()
{
    return g_ResourceLibrary.IsOpen() ? &g_ResourceLibrary : nullptr;
}

std::string GetOverridePath(const char* name, const char* type, const char* ext)
{
    std::string path = GetProgramDir();
    path += type ? type : "";
    path += '/';
    if (name && name[0]) path += name + 1;
    path += ext ? ext : "";
    return path;
}

EResourceOrigin LoadResourceBytes(const char* name, const char* type, const char* ext,
                                  std::vector<uint8_t>& out, std::string* pOverridePath)
{
    out.clear();
    if (!name || !type) return RESOURCE_MISSING;
    if (ext) {
        std::string path = GetOverridePath(name, type, ext);
        const EReadResult read = ReadRegularFile(path, out, kMaxOverrideFileBytes);
        if (read == EReadResult::NotAFile) {
            // A folder, pipe or device of that name is no override (and is never
            // waited on): the library's copy serves.
            WarnAboutFile("\"" + path + "\" is not a file; the resource library's " + type + " " + name +
                          " is used instead");
        } else if (read != EReadResult::Missing) {
            if (pOverridePath) *pOverridePath = path;
            if (read == EReadResult::Ok) return RESOURCE_OVERRIDE;
            WarnAboutFile("The override file \"" + path + "\" " + ReadResultText(read, kMaxOverrideFileBytes));
            return RESOURCE_MISSING;
        }
    }
    if (pOverridePath) pOverridePath->clear();
    const CPeResourceFile::Entry* e = g_ResourceLibrary.Find(type, name);
    if (!e) return RESOURCE_MISSING;
    out.resize(e->nSize);
    if (!g_ResourceLibrary.Read(*e, out.data())) {
        out.clear();
        return RESOURCE_MISSING;
    }
    DescrambleResource(out.data(), out.data(), e->nSize);
    return RESOURCE_LIBRARY;
}

void ReportUndefinedResource(const char* type, const char* name)
{
    char text[256];
    std::snprintf(text, sizeof text, "Undefined Resource %s %s", type ? type : "", name ? name : "");
    ShowResourceMessage(text);
}

void SetResourceMessageSink(ResourceMessageSink sink)
{
    g_MessageSink = sink ? sink : StderrSink;
}

void ShowResourceMessage(const char* text)
{
    g_MessageSink(text);
}
