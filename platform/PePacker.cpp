#include "platform/PePacker.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/Util.h"

const ResourceTypeInfo kResourceTypes[5] = {
    {"TEXTURE", ".png"}, {"TEXTUREM", ".png"}, {"MODEL", ".x"}, {"BGM", ".ogg"}, {"SE", ".ogg"},
};

namespace {

// "123.png" with ext ".png" -> 123. False for anything else.
bool ParseResourceFileName(const std::string& file, const char* ext, uint16_t* pId)
{
    std::string e = ext;
    if (file.size() <= e.size() || file.compare(file.size() - e.size(), e.size(), e) != 0) return false;
    std::string digits = file.substr(0, file.size() - e.size());
    if (digits.empty() || digits.size() > 5) return false;
    uint32_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    if (v > 0xFFFF) return false;
    *pId = static_cast<uint16_t>(v);
    return true;
}

} // namespace

bool CollectResourceFolder(const std::string& dir, std::vector<PeResourceItem>* pItems, std::string* pError)
{
    namespace fs = std::filesystem;
    pItems->clear();
    std::error_code absEc;
    // The file utilities read relative paths against the program folder; the
    // packer's folder is relative to where it was started.
    fs::path base = fs::absolute(fs::path(dir), absEc);
    if (absEc) base = fs::path(dir);
    for (const ResourceTypeInfo& t : kResourceTypes) {
        fs::path folder = base / t.pszType;
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        // Directory listing order is not stable: sort by ID.
        std::vector<std::pair<uint16_t, fs::path>> files;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (!it->is_regular_file(ec)) continue;
            uint16_t id;
            if (!ParseResourceFileName(name, t.pszExt, &id)) {
                if (pError) *pError = "unexpected file " + it->path().string();
                return false;
            }
            files.emplace_back(id, it->path());
        }
        if (ec) {
            if (pError) *pError = "cannot list " + folder.string() + ": " + ec.message();
            return false;
        }
        std::sort(files.begin(), files.end());
        for (auto& f : files) {
            PeResourceItem item;
            item.strType = t.pszType;
            item.nId = f.first;
            std::vector<uint8_t> bytes;
            if (!ReadWholeFile(f.second.string(), bytes)) {
                if (pError) *pError = "cannot read " + f.second.string();
                return false;
            }
            item.data.resize(bytes.size());
            if (!bytes.empty()) ScrambleResource(item.data.data(), bytes.data(), bytes.size());
            pItems->push_back(std::move(item));
        }
    }
    return true;
}

bool PackResourceFolder(const std::string& dir, std::vector<uint8_t>* pDll, std::string* pError)
{
    std::vector<PeResourceItem> items;
    if (!CollectResourceFolder(dir, &items, pError)) return false;
    return BuildResourceDll(items, pDll, pError);
}
