#include "platform/Resources.h"

#include <cstdio>

#include "core/Util.h"
#include "platform/PeResources.h"

namespace {

CPeResourceFile g_ResourceLibrary;
std::string g_strLibraryPath;

void StderrSink(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
}

ResourceMessageSink g_MessageSink = StderrSink;

// path opened as the library; on failure the message names its file, its
// folder and the other folders searched.
bool OpenLibrary(const std::string& path, const std::vector<std::string>& searched, std::string* pMessage)
{
    std::string why;
    g_strLibraryPath.clear();
    if (g_ResourceLibrary.Open(path, &why)) {
        g_strLibraryPath = path;
        return true;
    }
    if (pMessage) {
        const std::string dir = DirName(path);
        *pMessage = "The resource library \"" + path.substr(dir.size()) + "\" could not be loaded from the folder \"" +
                    (dir.empty() ? std::string(".") : dir) + "\"";
        std::string others;
        for (const std::string& folder : searched)
            if (folder != dir) others += (others.empty() ? "\"" : ", \"") + folder + "\"";
        if (!others.empty()) *pMessage += " (nor from " + others + ")";
        *pMessage += ": " + why + ".";
    }
    return false;
}

}  // namespace

bool OpenResourceLibraryFile(const std::string& path, std::string* pMessage)
{
    return OpenLibrary(path, {}, pMessage);
}

bool OpenResourceLibrary(std::string* pMessage)
{
    return OpenResourceLibraryFrom(ResourceLibraryFolders(), pMessage);
}

bool OpenResourceLibraryFrom(const std::vector<std::string>& folders, std::string* pMessage)
{
    // The first folder that has the file serves, even when its copy turns out
    // damaged: that is the one to name. None has it: all are named.
    for (const std::string& dir : folders)
        if (FileExists(dir + kResourceLibraryName)) return OpenLibrary(dir + kResourceLibraryName, {}, pMessage);
    return OpenLibrary(folders.front() + kResourceLibraryName, folders, pMessage);
}

void CloseResourceLibrary()
{
    g_ResourceLibrary.Close();
    g_strLibraryPath.clear();
}

const std::string& GetResourceLibraryPath()
{
    return g_strLibraryPath;
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
