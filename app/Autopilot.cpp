#include "app/Autopilot.h"

#include <algorithm>
#include <cmath>

#include "app/Menus.h"
#include "core/ObjectLists.h"
#include "enemy/Beam.h"
#include "enemy/Boss.h"
#include "enemy/Enemy.h"
#include "player/Blade.h"
#include "player/MyKorvo.h"
#include "stage/CustomStageControler.h"

namespace {

constexpr float kSpeed = 0.09f;              // the craft's step, never charged
constexpr float kCraftRadius = 0.03f;
constexpr float kFieldX = 3.6f, kFieldY = 4.5f;
constexpr float kReachFar = 2.5f;            // the craft moves 1.44 in the look-ahead: farther cannot matter
constexpr float kNearGap = 0.35f;            // passing closer than this costs
constexpr float kBossKeepAway = CBoss::kSwipeReach + CBlade::kProbeRadius + 0.3f;
constexpr float kHomeY = -3.0f;              // below the targets, room to dodge
constexpr int kFireEvery = 4;                // a volley every fourth step
constexpr int kBladeHold = 8;                // released before the hold charges the craft
constexpr float kBladeReach = CBlade::kReach + 0.2f;
constexpr int kDangerTests = 4;              // a hit this close: keep the bomb possible

float Clamp(float v, float lo, float hi) { return std::min(std::max(v, lo), hi); }

// The step the craft's control takes for input (x, y): full speed whatever
// the stick's length.
Vec3 StepFor(float x, float y)
{
    Vec3 d{x, y, 0.0f};
    SetLength(d, kSpeed);
    return d;
}

bool IsBoss(const CObject* o) { return dynamic_cast<const CBoss*>(o) != nullptr; }

// An enemy the craft can touch or be touched by now.
bool IsSolid(const CEnemy& e) { return e.m_nState == CObject::STATE_ALIVE && !e.m_bEntering; }

CInputRecord Press(uint8_t CInputRecord::*button, const CInputRecord& previous)
{
    CInputRecord r;
    if (!(previous.*button)) r.*button = 1;   // a press needs a step without it
    return r;
}

}  // namespace

CInputRecord CAutopilot::Decide(const CInputRecord& previous)
{
    const int stage = g_StageControler.m_nStage;
    if (stage >= CStageControler::STAGE_CHAPTER1) return Fly(previous);
    m_nBladeFrames = 0;
    return Menus(stage, previous);
}

CInputRecord CAutopilot::Menus(int stage, const CInputRecord& previous) const
{
    CInputRecord r;
    switch (stage) {
    case CStageControler::STAGE_TITLE:
        return Press(&CInputRecord::m_bAttack0, previous);
    case CStageControler::STAGE_MAIN_MENU:
        // Up to the first item (a full run), one push at a time; never reload,
        // which would end the program.
        if (g_MainMenuCursor.m_nIndex != 0) {
            if (previous.m_fY == 0.0f) r.m_fY = 1.0f;
            return r;
        }
        if (previous.m_fY == 0.0f) return Press(&CInputRecord::m_bAttack0, previous);
        return r;
    case CStageControler::STAGE_SAVE_LIST:     // leave without keeping the replay
    case CStageControler::STAGE_REPLAY_LIST:
    case CStageControler::STAGE_CHAPTER_MENU:
        r.m_bReload = 1;                        // held is enough here
        return r;
    case CStageControler::STAGE_RECORDS:
        return Press(&CInputRecord::m_bReload, previous);
    default:
        return r;
    }
}

void CAutopilot::GatherThreats()
{
    m_Threats.clear();
    const CMyKorvo& craft = *g_pPlayer;
    const Vec3 c = craft.m_vPos;
    for (int i = 0; i < g_EnemyShotList.Count(); ++i) {
        const CObject* o = g_EnemyShotList.At(i);
        if (!o || o->m_nState == CObject::STATE_DEAD) continue;
        if (const CBeam* beam = dynamic_cast<const CBeam*>(o)) {
            // Harmful only while it flashes, fading from its first update on:
            // a row of still probes for the tests that find it above the
            // harmless rate.
            if (beam->m_nState != CObject::STATE_VANISH || beam->m_nVanishTotal <= 0) continue;
            int frames = 0;
            while (frames < kHorizon &&
                   static_cast<float>(beam->m_nVanishCount - frames) / static_cast<float>(beam->m_nVanishTotal) >
                       CBeam::kHarmlessRate)
                ++frames;
            if (frames == 0) continue;
            const float r = std::max(CBeam::kProbeStep * beam->GetVanishRate(), kCraftRadius);
            for (int k = 0; k < CBeam::kProbes; ++k) {
                const Vec3 p = beam->m_vPos + beam->ProbeOffset(k);
                if (Distance(p, c) < kReachFar) m_Threats.push_back({p, g_vZero, r, frames});
            }
            continue;
        }
        // Other bullets strike only while alive.
        if (o->m_nState != CObject::STATE_ALIVE) continue;
        // How it moved in its last update, tracks included.
        const Vec3 v = o->m_nAge > 0 ? o->m_vPos - o->m_vPrevPos : o->m_vVel;
        const float r = std::max(o->m_fRadius, kCraftRadius);
        if (Distance(o->m_vPos, c) - Length(v) * static_cast<float>(kHorizon) < kReachFar)
            m_Threats.push_back({o->m_vPos, v, r, kHorizon + 1});
    }
    for (int i = 0; i < g_EnemyList.Count(); ++i) {
        const CEnemy* e = static_cast<const CEnemy*>(g_EnemyList.At(i));
        if (!e || !IsSolid(*e)) continue;
        const Vec3 v = e->m_nAge > 0 ? e->m_vPos - e->m_vPrevPos : e->m_vVel;
        // A boss swipes whatever comes within its blade's reach.
        const float r = IsBoss(e) ? kBossKeepAway : std::max(e->m_fRadius, kCraftRadius);
        m_Threats.push_back({e->m_vPos, v, r, kHorizon + 1});
    }
}

Vec3 CAutopilot::Goal() const
{
    const Vec3 c = g_pPlayer->m_vPos;
    // Under the boss when there is one, else under the enemy easiest to line
    // up with among those ahead.
    const CEnemy* best = nullptr;
    float bestCost = 0.0f;
    for (int i = 0; i < g_EnemyList.Count(); ++i) {
        const CEnemy* e = static_cast<const CEnemy*>(g_EnemyList.At(i));
        if (!e || !IsSolid(*e) || e->m_bInvulnerable) continue;
        if (std::fabs(e->m_vPos.x) > kFieldX || e->m_vPos.y > kFieldY || e->m_vPos.y < c.y + 0.5f) continue;
        const float cost = IsBoss(e) ? -100.0f : std::fabs(e->m_vPos.x - c.x) + 0.3f * (e->m_vPos.y - c.y);
        if (!best || cost < bestCost) {
            best = e;
            bestCost = cost;
        }
    }
    // Score items home in once the craft has been high up: fetch them when
    // nothing is there to shoot.
    if (!best && g_ScoreItemList.Count() > 0) return Vec3{0.0f, 2.8f, 0.0f};
    const float x = best ? Clamp(best->m_vPos.x, -3.2f, 3.2f) : 0.0f;
    return Vec3{x, kHomeY, 0.0f};
}

int CAutopilot::Evaluate(const SPlan& plan, const Vec3& goal, float& cost) const
{
    const CMyKorvo& craft = *g_pPlayer;
    // Tests before this one find the craft still appearing: nothing hits it.
    const int safeUntil = craft.m_nState == CObject::STATE_APPEAR ? craft.m_nAppearCount : 0;
    const Vec3 step = StepFor(plan.fX, plan.fY);
    Vec3 c = craft.m_vPos;
    int firstHit = kHorizon + 1;
    cost = 0.0f;
    for (int t = 1; t <= kHorizon; ++t) {
        if (t <= plan.nMoves) {
            c = c + step;
            c.x = Clamp(c.x, -kFieldX, kFieldX);
            c.y = Clamp(c.y, -kFieldY, kFieldY);
        }
        if (t < safeUntil) continue;
        // Later positions are guesses: keep a wider berth from them.
        const float margin = 0.01f + 0.006f * static_cast<float>(t);
        const float weight = 1.0f / (1.0f + 0.2f * static_cast<float>(t));
        const float ahead = static_cast<float>(t - 1);
        for (const SThreat& th : m_Threats) {
            if (t > th.nFrames) continue;
            const float dx = th.vPos.x + th.vVel.x * ahead - c.x;
            const float dy = th.vPos.y + th.vVel.y * ahead - c.y;
            const float gap = std::sqrt(dx * dx + dy * dy) - th.fRadius;
            if (gap <= (t == 1 ? 0.0f : margin) && firstHit > kHorizon) firstHit = t;
            if (gap < kNearGap) {
                const float d = kNearGap - gap;
                cost += 20.0f * weight * d * d;
            }
        }
    }
    // Hits: the sooner, the worse, whatever else.
    if (firstHit <= kHorizon) cost += 1000.0f * static_cast<float>(kHorizon + 1 - firstHit);
    // Walls and corners leave fewer ways out.
    cost += 0.5f * std::max(0.0f, std::fabs(c.x) - 3.0f) + 0.5f * std::max(0.0f, std::fabs(c.y) - 4.0f);
    cost += 0.4f * std::fabs(c.x - goal.x) + 0.25f * std::fabs(c.y - goal.y);
    return firstHit;
}

bool CAutopilot::BladeTarget(float& x, float& y) const
{
    const CMyKorvo& craft = *g_pPlayer;
    if (craft.m_nState != CObject::STATE_ALIVE || craft.m_Blade.IsAlive()) return false;
    const Vec3 c = craft.m_vPos;
    const float h = craft.m_vRot.z;
    // Pushed right, the swing sweeps clockwise from a quarter turn left of the
    // heading (pushed left, the mirror); held for kBladeHold of its frames it
    // covers this much of its half-turn.
    const float sweep = static_cast<float>(kBladeHold) / static_cast<float>(CBlade::kSwingFrames);
    for (int i = 0; i < g_EnemyList.Count(); ++i) {
        const CEnemy* e = static_cast<const CEnemy*>(g_EnemyList.At(i));
        // Bosses swipe back; leave them to the volleys.
        if (!e || !IsSolid(*e) || e->m_bInvulnerable || IsBoss(e)) continue;
        const Vec3 d = e->m_vPos - c;
        const float distance = Length(d);
        if (distance > kBladeReach || distance <= 0.0f) continue;
        // The enemy's angle from the heading, in (-1, 1]; a probe reaches it a
        // little before and after.
        float a = DirectionAngle(d.x, d.y) - h;
        while (a > 1.0f) a -= 2.0f;
        while (a <= -1.0f) a += 2.0f;
        const float slack = std::asin(std::min(1.0f, CBlade::kProbeRadius / distance)) / kPi;
        const bool right = a <= 0.0f;
        const float from = right ? 0.25f - sweep : -0.25f;
        const float to = right ? 0.25f : -0.25f + sweep;
        if (a < from - slack || a > to + slack) continue;
        x = right ? 1.0f : -1.0f;
        y = 0.0f;
        return true;
    }
    return false;
}

CInputRecord CAutopilot::Fly(const CInputRecord& previous)
{
    CInputRecord r;
    const CMyKorvo* craft = g_pPlayer;
    if (!craft || !craft->CanAct() || craft->m_bScripted) {
        m_nBladeFrames = 0;
        m_nLastFirstHit = kHorizon + 1;
        return r;
    }
    GatherThreats();
    const Vec3 goal = Goal();

    // The fan of moves: sixteen directions for 3, 8 or every step ahead, and
    // staying put.
    static const std::vector<SPlan> kPlans = [] {
        std::vector<SPlan> plans{{0.0f, 0.0f, 0}};
        for (int k = 0; k < 16; ++k) {
            const float a = static_cast<float>(k) * (kPi / 8.0f);
            const float x = std::round(std::sin(a) * 1000.0f) / 1000.0f;
            const float y = std::round(std::cos(a) * 1000.0f) / 1000.0f;
            for (int moves : {3, 8, kHorizon}) plans.push_back({x, y, moves});
        }
        return plans;
    }();
    const SPlan* best = nullptr;
    float bestCost = 0.0f;
    int bestHit = 0;
    for (const SPlan& plan : kPlans) {
        float cost = 0.0f;
        const int hit = Evaluate(plan, goal, cost);
        if (!best || cost < bestCost) {
            best = &plan;
            bestCost = cost;
            bestHit = hit;
        }
    }
    m_nLastFirstHit = bestHit;
    const bool alive = craft->m_nState == CObject::STATE_ALIVE;

    // Every move is hit at the next test: bomb if the control step allows it
    // (no attack0 the step before, no direction) and the gauge pays for it.
    if (alive && bestHit == 1 && craft->m_nGauge > CMyKorvo::kBombCost && !previous.m_bAttack0 &&
        !previous.m_bReload) {
        r.m_bReload = 1;
        m_nBladeFrames = 0;
        return r;
    }
    r.m_fX = best->fX;
    r.m_fY = best->fY;
    const bool danger = alive && bestHit <= kDangerTests;

    // The blade: pressed toward an enemy within reach, held for a swing short
    // of charging the craft.
    if (m_nBladeFrames > 0 && m_nBladeFrames < kBladeHold) {
        ++m_nBladeFrames;
        r.m_bBlade = 1;
    } else if (m_nBladeFrames >= kBladeHold) {
        m_nBladeFrames = 0;   // one step without blade or attack0 resets the hold
        return r;
    } else if (!danger && !previous.m_bBlade) {
        float bx = 0.0f, by = 0.0f;
        if (BladeTarget(bx, by)) {
            float cost = 0.0f;
            if (Evaluate(SPlan{bx, by, 1}, goal, cost) > kDangerTests) {
                r.m_fX = bx;
                r.m_fY = by;
                r.m_bBlade = 1;
                m_nBladeFrames = 1;
            }
        }
    }

    // Short taps of attack0: the volleys keep coming (two follow each
    // release), the hold never charges, and in danger a step without attack0
    // keeps the bomb ready.
    if (!danger && !previous.m_bAttack0 && craft->m_nAge % kFireEvery == 0 && m_nBladeFrames == 0) r.m_bAttack0 = 1;
    return r;
}
