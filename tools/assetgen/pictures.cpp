// Every picture of the game, drawn with cairo into TEXTURE/<id>.png.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "tools/assetgen/AssetGen.h"
#include "tools/assetgen/pictures_parts.h"

namespace pic {

bool Out::Save(const Canvas& c, int id, Mode mode, int cutAlpha, Rgb backdrop)
{
    const std::string path = m_sDir + "/TEXTURE/" + std::to_string(id) + ".png";
    if (!WritePng(c, path, mode, cutAlpha, backdrop)) {
        m_bOk = false;
        return false;
    }
    ++m_nCount;
    return true;
}

}  // namespace pic

namespace {

bool MakeDir(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    std::fprintf(stderr, "pictures: cannot create the folder %s\n", path.c_str());
    return false;
}

}  // namespace

bool GeneratePictures(const std::string& outDir)
{
    if (!MakeDir(outDir) || !MakeDir(outDir + "/TEXTURE")) return false;
    if (!pic::InitFonts()) return false;
    pic::Out out(outDir);
    // Each group runs even after a failure so one message lists what is wrong,
    // but the result is false if anything failed.
    bool ok = pic::DrawEffects(out);
    ok = pic::DrawHud(out) && ok;
    ok = pic::DrawScreens(out) && ok;
    ok = pic::DrawStory(out) && ok;
    ok = pic::DrawTalk(out) && ok;
    pic::ShutdownFonts();
    return ok && out.ok();
}

bool GenerateIcons(const std::string& outDir)
{
    return MakeDir(outDir) && MakeDir(outDir + "/ICON") && pic::DrawIcons(outDir + "/ICON");
}
