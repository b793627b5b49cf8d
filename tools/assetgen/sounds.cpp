// Writes every effect to SE/<id>.ogg and every piece of music to BGM/<id>.ogg.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/assetgen/AssetGen.h"
#include "tools/assetgen/sounds.h"
#include "tools/assetgen/sounds_ogg.h"

namespace {

// Vorbis quality: effects are short and carry sharp attacks, music is long;
// both chosen for a small library at a sound good enough for 22 kHz.
constexpr float kEffectQuality = 0.3f;
constexpr float kMusicQuality = 0.2f;
// Decoded peaks are held at or below -0.5 dBFS whatever the coder does, so
// nothing the game plays at full volume clips.
constexpr float kPeakLimit = 0.944f;

bool MakeDir(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "sounds: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

bool GenerateSounds(const std::string& outDir)
{
    const std::string seDir = outDir + "/SE";
    const std::string bgmDir = outDir + "/BGM";
    if (!MakeDir(seDir) || !MakeDir(bgmDir)) return false;

    bool ok = true;
    for (int id : snd::kEffectIds) {
        snd::Mono samples;
        if (!snd::RenderEffect(id, samples)) {
            std::fprintf(stderr, "sounds: no recipe for effect %d\n", id);
            ok = false;
            continue;
        }
        // Serial numbers are fixed per file so every build writes the same bytes.
        ok &=
            snd::WriteOggVorbis(seDir + "/" + std::to_string(id) + ".ogg", samples, 1, kEffectQuality, id, kPeakLimit);
    }
    for (int id : snd::kMusicIds) {
        std::vector<float> stereo;
        if (!snd::RenderMusic(id, stereo)) {
            std::fprintf(stderr, "sounds: no recipe for music %d\n", id);
            ok = false;
            continue;
        }
        ok &= snd::WriteOggVorbis(bgmDir + "/" + std::to_string(id) + ".ogg", stereo, 2, kMusicQuality, 10000 + id,
                                  kPeakLimit);
    }
    return ok;
}
