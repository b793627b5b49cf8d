#include "stage/GameDigest.h"

#include <cxxabi.h>
#include <xxhash.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/Bit2.h"
#include "enemy/Boss.h"
#include "enemy/Enemy.h"
#include "player/LockonLaser.h"
#include "player/MyKorvo.h"
#include "player/PlayerShot.h"
#include "stage/CustomStageControler.h"

namespace {

// The words of one part, hashed together.
class CPart {
public:
    void Add(uint32_t w)
    {
        if (m_nWords < kMaxWords) m_Words[m_nWords++] = w;
    }
    void Add(int32_t n) { Add(static_cast<uint32_t>(n)); }
    void Add(bool b) { Add(static_cast<uint32_t>(b ? 1 : 0)); }
    void Add(uint64_t q)
    {
        Add(static_cast<uint32_t>(q));
        Add(static_cast<uint32_t>(q >> 32));
    }
    // The bits, not the value: -0 and 0 differ, as a build that differs would.
    void Add(float f)
    {
        uint32_t w;
        std::memcpy(&w, &f, sizeof w);
        Add(w);
    }
    void Add(const Vec3& v)
    {
        Add(v.x);
        Add(v.y);
        Add(v.z);
    }
    uint64_t Hash() const { return XXH3_64bits(m_Words, sizeof(uint32_t) * static_cast<size_t>(m_nWords)); }

private:
    static constexpr int kMaxWords = 40;
    uint32_t m_Words[kMaxWords];
    int m_nWords = 0;
};

std::string Demangled(const std::type_info& type)
{
    int status = 0;
    char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string out = status == 0 && name ? name : type.name();
    std::free(name);
    return out;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...)
{
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

// The hash of a class's name: the same in every build of the same compiler,
// unlike the address of its type information. Names are hashed once.
uint64_t TypeHash(const std::type_info& type)
{
    struct SEntry {
        const std::type_info* pType;
        uint64_t qwHash;
    };
    static std::vector<SEntry> s_Known;
    for (const SEntry& e : s_Known)
        if (e.pType == &type) return e.qwHash;
    const char* name = type.name();
    const uint64_t h = XXH3_64bits(name, std::strlen(name));
    s_Known.push_back({&type, h});
    return h;
}

std::string VecText(const Vec3& v) { return Format("(%.9g, %.9g, %.9g)", v.x, v.y, v.z); }

// Builds the digest part by part; describes the parts only when asked.
class CDigestBuilder {
public:
    explicit CDigestBuilder(std::vector<std::string>* parts) : m_pParts(parts)
    {
        m_Hashes.clear();
        if (m_pParts) m_pParts->clear();
    }

    template <class Describe>
    void AddPart(const CPart& part, Describe describe)
    {
        m_Hashes.push_back(part.Hash());
        if (m_pParts) m_pParts->push_back(describe());
    }

    SReplayDigest Finish() const
    {
        SReplayDigest d;
        d.m_qwDigest = XXH3_64bits(m_Hashes.data(), m_Hashes.size() * sizeof(uint64_t));
        d.m_Tags.reserve(m_Hashes.size());
        for (uint64_t h : m_Hashes) d.m_Tags.push_back(static_cast<uint16_t>(h));
        return d;
    }

private:
    std::vector<std::string>* m_pParts;
    // Kept between digests: no allocation once it has grown.
    static inline std::vector<uint64_t> m_Hashes;
};

void AddScene(CDigestBuilder& digest)
{
    const CCustomStageControler& s = g_StageControler;
    CPart part;
    part.Add(s.m_nStage);
    part.Add(s.m_nPhase);
    part.Add(s.m_nAge);
    part.Add(g_nBarrageIndex);
    part.Add(g_nChapterSelection);
    digest.AddPart(part, [&] {
        return Format("scene: stage %d, phase %d, frame %d, barrage %d", s.m_nStage, s.m_nPhase, s.m_nAge,
                      g_nBarrageIndex);
    });
}

void AddGenerator(CDigestBuilder& digest)
{
    CPart part;
    const uint64_t draws = g_GameRand.Draws();
    part.Add(draws);
    digest.AddPart(part, [&] {
        return Format("game generator: %llu draws since its seed", static_cast<unsigned long long>(draws));
    });
}

void AddCraft(CDigestBuilder& digest)
{
    const CMyKorvo* c = g_pPlayer;
    CPart part;
    if (c) {
        part.Add(c->m_vPos);
        part.Add(c->m_vRot);
        part.Add(c->m_vVel);
        part.Add(c->m_nState);
        part.Add(c->m_nAge);
        part.Add(c->m_nAppearCount);
        part.Add(c->m_nVanishCount);
        part.Add(c->m_nLastShotAge);
        part.Add(c->m_bScripted);
        part.Add(c->m_nStock);
        part.Add(c->m_nScore);
        part.Add(c->m_nChapterScore);
        part.Add(c->m_nGauge);
        part.Add(c->m_bClean);
        part.Add(c->m_nBombDelay);
        part.Add(c->m_nHoldCount);
        part.Add(c->m_nTrailShots);
        part.Add(c->m_Blade.m_nState);
        part.Add(c->m_Blade.m_vRot.z);
        part.Add(c->m_Blade.m_nLifeCount);
        part.Add(c->m_bBladeHit);
        part.Add(c->m_bVisible);
        part.Add(c->IsSlowMotionActive());
    }
    digest.AddPart(part, [&] {
        if (!c) return std::string("craft: none");
        return Format("craft: pos %s, vel %s, state %d, age %d, stock %d, score %d, gauge %d", VecText(c->m_vPos).c_str(),
                      VecText(c->m_vVel).c_str(), c->m_nState, c->m_nAge, c->m_nStock, c->m_nScore, c->m_nGauge);
    });
}

// An object of a list: its class, motion, lifecycle, and an enemy's hit
// points, score and untouchable flags, a boss's phase and timer.
void AddObject(CDigestBuilder& digest, const CObject& o, const CEnemy* enemy, const char* list, int index, int count)
{
    const std::type_info& type = typeid(o);
    CPart part;
    part.Add(TypeHash(type));
    part.Add(o.m_vPos);
    part.Add(o.m_vVel);
    part.Add(o.m_nState);
    part.Add(o.m_nAge);
    part.Add(o.m_fRadius);
    if (enemy) {
        part.Add(enemy->m_nHp);
        part.Add(enemy->m_nScore);
        part.Add(enemy->m_bInvulnerable);
        part.Add(enemy->m_bEntering);
        if (const CBoss* boss = dynamic_cast<const CBoss*>(enemy)) {
            part.Add(boss->m_nPhase);
            part.Add(boss->m_nTimer);
        }
    }
    digest.AddPart(part, [&] {
        std::string text = Format("%s %d of %d (%s): pos %s, vel %s, state %d, age %d", list, index + 1, count,
                                  Demangled(type).c_str(), VecText(o.m_vPos).c_str(), VecText(o.m_vVel).c_str(),
                                  o.m_nState, o.m_nAge);
        if (enemy) text += Format(", hp %d", enemy->m_nHp);
        return text;
    });
}

// Every object of the list for which bears(object) holds, in list order.
template <class Bears>
void AddList(CDigestBuilder& digest, const CObjectList& list, const char* name, Bears bears, bool enemies = false)
{
    static std::vector<const CObject*> s_Bearing;   // no allocation once grown
    s_Bearing.clear();
    for (int i = 0; i < list.Count(); ++i)
        if (const CObject* o = list.At(i); o && bears(*o)) s_Bearing.push_back(o);
    const int count = static_cast<int>(s_Bearing.size());
    for (int i = 0; i < count; ++i) {
        const CObject* o = s_Bearing[static_cast<size_t>(i)];
        // The enemy list holds enemies only.
        const CEnemy* enemy = enemies ? static_cast<const CEnemy*>(o) : nullptr;
        AddObject(digest, *o, enemy, name, i, count);
    }
}

bool Every(const CObject&) { return true; }

}  // namespace

SReplayDigest TakeGameDigest(std::vector<std::string>* parts)
{
    CDigestBuilder digest(parts);
    AddScene(digest);
    AddGenerator(digest);
    AddCraft(digest);
    AddList(digest, g_EnemyList, "enemy", Every, true);
    AddList(digest, g_EnemyShotList, "enemy bullet", Every);
    AddList(digest, g_ScoreItemList, "score item", Every);
    // Those lists also hold pictures, flares and ribbons: only what acts.
    AddList(digest, g_ForegroundList, "craft's shot",
            [](const CObject& o) { return dynamic_cast<const CPlayerShot*>(&o) != nullptr; });
    AddList(digest, g_EffectList, "laser or satellite", [](const CObject& o) {
        return dynamic_cast<const CLockonLaser*>(&o) != nullptr || dynamic_cast<const CBit2*>(&o) != nullptr;
    });
    return digest.Finish();
}

int FirstDifferentPart(const SReplayDigest& a, const SReplayDigest& b)
{
    const size_t n = std::min(a.m_Tags.size(), b.m_Tags.size());
    for (size_t i = 0; i < n; ++i)
        if (a.m_Tags[i] != b.m_Tags[i]) return static_cast<int>(i);
    return a.m_Tags.size() == b.m_Tags.size() ? -1 : static_cast<int>(n);
}
