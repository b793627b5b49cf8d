#include "player/MyKorvo.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/Enemy.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "gfx/RectangleShadow.h"
#include "persist/InputRecord.h"
#include "player/Bomb.h"
#include "player/LightParticle.h"
#include "player/LockonLaser.h"
#include "player/PlayerShot.h"
#include "player/ShockWave.h"
#include "player/SlowMotion.h"
#include "player/Spark.h"
#include "sound/SoundSystem.h"
#include "stage/CustomStageControler.h"
#include "stage/Cutin.h"
#include "stage/DigitalNumber.h"
#include "stage/Fader.h"
#include "stage/Flare.h"
#include "stage/WorldEvents.h"

CMyKorvo* g_pPlayer = nullptr;
SExtend g_Extends[CMyKorvo::kExtendCount];

namespace {

// The craft's sounds.
constexpr int kShotSE = 101;
constexpr int kItemSE = 108;
constexpr int kDashSE = 111;
constexpr int kSwingSE = 115;
constexpr int kBladeStrikeSE = 116;
constexpr int kMissSE = 125;
constexpr int kExtendSE = 131;
constexpr int kFinalExplosionSE = 142;
constexpr int kVolleySE = 153;
constexpr int kShotVolume = -500;

// The bomb's cut-in: the pilot and the strip "ロックオンレーザー".
constexpr int kBombPortrait = 169;
constexpr int kBombTitle = 450;

constexpr int kItemScore = 10000;
constexpr int kItemGauge = 100;
constexpr int kBarrierFrames = 120;
constexpr int kBombDelay = 60;
constexpr int kVolley = 24;
constexpr int kSlowMotionCost = 900;
constexpr int kSlowMotionMinimum = 1800;
constexpr int kSlowMotionDrain = 10;
constexpr int kFinalFade = 480;

float Sign(float v) { return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f); }

// Untouchable for the player's weapons: a boss pausing or entering.
bool IsUntouchable(const CEnemy& e) { return e.m_bInvulnerable || e.m_bEntering; }

}  // namespace

CMyKorvo::CMyKorvo(CDeviceLink* device, CModel* model, float param) : CObject(device, model, param)
{
    m_bVisible = true;
    m_bScripted = false;
    m_nStock = 2;
    m_nGauge = 3600;
    m_nGaugeMax = kGaugeMax;
    m_bClean = true;
    m_vBarrierSpin = Vec3{};
    m_nBombDelay = 0;
    m_fRadius = 0.03f;
    ResetExtends();
    // Hidden until a game starts it.
    m_bVisible = false;
}

CMyKorvo::~CMyKorvo() = default;

// --- state -------------------------------------------------------------------

bool CMyKorvo::CanAct() const { return m_nState == STATE_ALIVE || m_nState == STATE_APPEAR; }

bool CMyKorvo::IsCharged() const { return m_nHoldCount >= kChargeFrames; }

bool CMyKorvo::CanShoot() const { return m_nAge - m_nLastShotAge > 3; }

void CMyKorvo::AddGauge(int n)
{
    int g = m_nGauge + n;
    if (g < 0) g = 0;
    if (g > m_nGaugeMax) g = m_nGaugeMax;
    m_nGauge = g;
}

void CMyKorvo::ResetExtends()
{
    for (int k = 0; k < kExtendCount; ++k) g_Extends[k] = SExtend{kExtendStep * (k + 1), false};
}

void CMyKorvo::CheckExtend()
{
    for (SExtend& e : g_Extends) {
        if (e.nThreshold > m_nScore) return;
        if (!e.bTaken) {
            e.bTaken = true;
            PlaySE(kExtendSE);
            m_nStock += 1;
            return;
        }
    }
}

void CMyKorvo::AddScore(int n)
{
    m_nScore += n;
    m_nChapterScore += n;
    CheckExtend();
}

void CMyKorvo::SetScripted(bool on)
{
    m_bScripted = on;
    if (on) StopSlowMotion();
}

Vec3 CMyKorvo::GetRearPoint() const
{
    Vec3 rear{0.0f, -0.5f, 0.0f};
    RotateXYZ(rear, m_vRot.x, m_vRot.y, m_vRot.z);
    return m_vPos + rear;
}

// --- virtual operations ------------------------------------------------------

void CMyKorvo::Reset()
{
    SetPos(Vec3{});
    SetRot(Vec3{});
    m_bVisible = true;
    m_bScripted = false;
    m_nStock = 2;
    m_nScore = 0;
    m_nChapterScore = 0;
    m_nGauge = 3600;
    Activate();
    m_nHoldCount = 0;
    m_nTrailShots = 0;
    m_Blade.Kill();
    m_nBombDelay = 0;
    ResetExtends();
    // A replay starts here and holds nothing of the game before it: motion,
    // shot timing and slow motion left over from an abandoned game would make
    // the watched game differ from the recorded one.
    SetVel(Vec3{});
    m_vRotVel = Vec3{};
    // Nor anything else of the craft a game leaves: its age and countdowns,
    // the blade's last swing, the clean flag start as on a new craft, so that
    // the second game of a session replays like the first.
    m_nAge = -1;
    m_nAppearCount = m_nAppearTotal = 0;
    m_nVanishCount = m_nVanishTotal = 0;
    m_Blade.SetRot(Vec3{});
    m_Blade.SetRotVel(Vec3{});
    m_Blade.m_nLifeCount = m_Blade.m_nLifeTotal = 0;
    m_bBladeHit = false;
    m_bClean = true;
    m_nLastShotAge = m_nAge - 4;
    m_vTrailBase = m_vTrailTip = m_vPos;
    if (g_pSlowMotion) g_pSlowMotion->Cancel();
}

void CMyKorvo::Kill()
{
    // The last miss has faded out: the game ends (the craft stays, ready for
    // the next Reset).
    if (g_pWorldEvents) g_pWorldEvents->GameEnded(m_nScore);
    Activate();
}

void CMyKorvo::Translate(float dx, float dy, float dz)
{
    CObject::Translate(dx, dy, dz);
    // Bank into the sideways step, pitch into the vertical one; level out
    // when there is none.
    if (dx == 0.0f) {
        m_vRot.y *= 0.95f;
    } else if (dx > 0.0f) {
        m_vRot.y -= 0.03f;
        if (m_vRot.y < -0.25f) m_vRot.y = -0.25f;
    } else {
        m_vRot.y += 0.03f;
        if (m_vRot.y > 0.25f) m_vRot.y = 0.25f;
    }
    if (dy == 0.0f) {
        m_vRot.x *= 0.95f;
    } else if (dy > 0.0f) {
        m_vRot.x += 0.03f;
        if (m_vRot.x > 0.3f) m_vRot.x = 0.3f;
    } else {
        m_vRot.x -= 0.03f;
        if (m_vRot.x < -0.3f) m_vRot.x = -0.3f;
    }
}

// --- operations --------------------------------------------------------------

void CMyKorvo::Turn(float delta)
{
    float h = m_vRot.z + delta;
    if (h >= 2.0f) h -= 2.0f;
    if (h < -2.0f) h += 2.0f;
    SetRot(Vec3{m_vRot.x, m_vRot.y, h});
}

void CMyKorvo::Shoot()
{
    const float h = m_vRot.z;
    Vec3 nose{0.0f, 1.0f, 0.0f};
    RotateZ(nose, h);
    Vec3 left{-0.2f, 0.0f, 0.0f};
    RotateZ(left, h);
    Vec3 right{0.2f, 0.0f, 0.0f};
    RotateZ(right, h);
    const Vec3 vel = nose * 0.25f;
    CPlayerShot::Launch(m_vPos + left, m_vRot, vel);
    CPlayerShot::Launch(m_vPos + right, m_vRot, vel);
    m_nLastShotAge = m_nAge;
    m_nTrailShots -= 1;
    PlaySEAt(kShotSE, m_vPos, kShotVolume);
}

void CMyKorvo::StartBlade(float x, float y)
{
    if (m_nState != STATE_ALIVE || x == 0.0f) return;
    m_bBladeHit = false;
    const float h = m_vRot.z;
    Vec3 d{x, y, 0.0f};
    RotateZ(d, -h);   // the push in the craft's own frame
    PlaySEAt(kSwingSE, m_vPos);
    m_Blade.SetLife(CBlade::kSwingFrames);
    const float w = 1.0f / static_cast<float>(CBlade::kSwingFrames);
    // Each swing sweeps a half-turn across the side pushed toward.
    if (d.x >= 0.0f && d.y <= 0.0f) {
        m_Blade.SetRot(Vec3{0.0f, 0.0f, h + 0.25f});
        m_Blade.SetRotVel(Vec3{0.0f, 0.0f, -w});
    } else if (d.x < 0.0f && d.y <= 0.0f) {
        m_Blade.SetRot(Vec3{0.0f, 0.0f, h - 0.25f});
        m_Blade.SetRotVel(Vec3{0.0f, 0.0f, w});
    } else if (d.x > 0.0f && d.y > 0.0f) {
        m_Blade.SetRot(Vec3{0.0f, 0.0f, h + 0.75f});
        m_Blade.SetRotVel(Vec3{0.0f, 0.0f, -w});
    } else if (d.x < 0.0f && d.y > 0.0f) {
        m_Blade.SetRot(Vec3{0.0f, 0.0f, h - 0.75f});
        m_Blade.SetRotVel(Vec3{0.0f, 0.0f, w});
    }
}

void CMyKorvo::StopBlade() { m_Blade.Kill(); }

void CMyKorvo::Dash(float x, float y)
{
    if (x == 0.0f && y == 0.0f) return;
    const float sx = Sign(x);
    const float sy = Sign(y);
    const Vec3 push{0.3f * sx, 0.3f * sy, 0.0f};
    SetVelAccelTo(push, g_vZero, 15);
    PlaySE(kDashSE);
    // The ring stands across the dash.
    float r = 0.0f;
    if (sx == 0.0f) r = 0.5f;
    else if (sy == 0.0f) r = 0.0f;
    else if (sx == sy) r = 0.25f;
    else r = 0.75f;
    CShockWave::Spawn(m_vPos, Vec3{0.0f, 0.5f, r}, 20.0f, 15);
    if (g_pSparks) g_pSparks->Spray(m_vPos, push, 4);
    if (g_pLightParticles) g_pLightParticles->Burst(m_vPos, 1.0f, 4, 60);
}

void CMyKorvo::Bomb()
{
    if (m_nGauge <= kBombCost) return;
    m_nGauge -= kBombCost;
    CCutin::Spawn(FindTexture(kBombPortrait), FindTexture(kBombTitle), 0);
    CShockWave::Spawn(m_vPos, Vec3{}, 20.0f, 30);
    if (g_pFader) g_pFader->FlashWhite();
    m_bClean = false;
    m_nBombDelay = kBombDelay;
    ClearEnemyBullets();
    SetAppear(kBarrierFrames);
}

int CMyKorvo::FireLaserVolley()
{
    const int n = g_EnemyList.Count();
    if (n == 0) return 0;
    int next = 0;
    int launched = 0;
    for (int i = 0; i < kVolley; ++i) {
        // The next enemy in cyclic order that the lasers may lock on.
        CEnemy* target = nullptr;
        for (int tries = 0; tries < n && !target; ++tries) {
            CEnemy* e = static_cast<CEnemy*>(g_EnemyList.At(next));
            next = (next + 1) % n;
            if (e && !IsUntouchable(*e)) target = e;
        }
        if (!target) break;
        const float r1 = g_GameRand.Real();
        const float r2 = g_GameRand.Real();
        const float r3 = g_GameRand.Real();
        Vec3 v{4.0f * r3 - 2.0f, -1.0f - 2.0f * r2, 2.0f * r1 - 1.0f};
        RotateZ(v, m_vRot.z);
        CLockonLaser::Launch(m_vPos, v, target);
        ++launched;
    }
    if (launched == 0) return 0;
    SetVelAccelTo(Vec3{0.0f, -0.075f, 0.0f}, g_vZero, 24);   // the recoil
    if (g_pLightParticles) g_pLightParticles->Burst(m_vPos, 1.0f, 8, 60);
    PlaySE(kVolleySE);
    return launched;
}

bool CMyKorvo::StartSlowMotion()
{
    if (m_nGauge < kSlowMotionMinimum) return false;
    // The cost is paid even when the controller does not start (cooling down).
    if (g_pSlowMotion) g_pSlowMotion->Start();
    AddGauge(-kSlowMotionCost);
    return true;
}

void CMyKorvo::StopSlowMotion()
{
    if (g_pSlowMotion) g_pSlowMotion->Stop();
}

bool CMyKorvo::IsSlowMotionActive() const { return g_pSlowMotion && g_pSlowMotion->IsRunning(); }

void CMyKorvo::Miss()
{
    if (g_bInvulnerable) return;   // testing: nothing strikes the craft
    if (g_pSparks) g_pSparks->Burst(m_vPos, 64, 120);
    if (m_nStock == 0) {
        StopSlowMotion();
        // The music fades out below; slow motion's cooldown must not bring
        // back at full volume what it had stopped.
        if (g_pSlowMotion) g_pSlowMotion->KeepMusicStopped();
        if (g_pDevice) g_pDevice->SetQuake(64.0f);
        PlaySE(kFinalExplosionSE);
        CBomb::Spawn(m_vPos);
        if (g_pFader) g_pFader->FadeToBlack(kFinalFade);
        for (int i = 0; i < g_MusicList.Count(); ++i) {
            if (CSound* music = static_cast<CSound*>(g_MusicList.At(i))) music->FadeOut();
        }
        Vanish(kFinalFade);
        m_bClean = false;
        return;
    }
    if (g_pDevice) g_pDevice->SetQuake(32.0f);
    m_nStock -= 1;
    SetAppear(kBarrierFrames);
    if (g_pFader) g_pFader->FlashColor(1.0f, 0.0f, 0.0f);
    PlaySE(kMissSE);
    ClearEnemyBullets();
    AddGauge(kBombCost);
    m_bClean = false;
}

// --- the control step ------------------------------------------------------------

void CMyKorvo::Control(const CInputRecord& now, const CInputRecord& before)
{
    if (!CanAct() || m_bScripted) return;
    const bool a0 = now.m_bAttack0 != 0, a0Before = before.m_bAttack0 != 0;
    const bool rl = now.m_bReload != 0, rlBefore = before.m_bReload != 0;
    const bool ds = now.m_bDash != 0, dsBefore = before.m_bDash != 0;
    const bool lr = now.m_bLeftRoll != 0, rr = now.m_bRightRoll != 0;
    const bool bl = now.m_bBlade != 0, blBefore = before.m_bBlade != 0;
    const float x = now.m_fX, y = now.m_fY;

    // 1. Hold count: charged after 9 frames of attack0 or blade.
    if (a0 || bl) m_nHoldCount += 1;
    else m_nHoldCount = 0;

    // 2. Movement at one speed in every direction; no climbing while pushed down.
    const float speed = IsCharged() && !ds ? 0.03f : 0.09f;
    Vec3 step{x, y, 0.0f};
    SetLength(step, speed);
    if (m_vVel.y < 0.0f) step.y = 0.0f;
    if (g_pDeviceLink && g_pDeviceLink->IsSlowMotion()) ScaleBy(step, 0.5f);
    Translate(step.x, step.y, step.z);

    // 3. Rolls.
    if (lr && rr) {
        if (y == 0.0f) RotateTo(g_vZero, 30);   // 60 x 0.5
    } else if (!m_RotTrack.active) {
        if (lr) Turn(0.02f);
        else if (rr) Turn(-0.02f);
    }

    // 4. Blade: a press starts a swing, letting go ends it.
    if (bl && !blBefore) StartBlade(x, y);
    if (!bl) StopBlade();

    // 5. Dash.
    if (ds && !dsBefore && (IsCharged() || x != 0.0f || y != 0.0f)) Dash(x, y);

    // 6. Firing straightens the craft.
    if (a0) RotateTo(g_vZero, 6);   // 60 x 0.1

    // 7. Volleys while held, and two more after letting go.
    if (CanShoot() && (a0 || m_nTrailShots > 0)) Shoot();
    if (a0Before && !a0) m_nTrailShots = 2;

    // 8. Reload: a bomb when standing still and not firing, else slow motion.
    if (rl && !rlBefore) {
        if (!a0Before && x == 0.0f && y == 0.0f) Bomb();
        else if (IsSlowMotionActive()) StopSlowMotion();
        else StartSlowMotion();
    }
}

// --- update ------------------------------------------------------------------------

void CMyKorvo::UpdateBladeTrail()
{
    Vec3 tip = m_vPos;
    if (m_Blade.IsAlive()) {
        tip = m_Blade.TipPoint(m_vPos);
        CRectangleShadow::Spawn(m_vTrailBase, m_vTrailTip, m_vPos, tip, 0.5f, 0.25f, 0.25f, 1.0f, 120);
    }
    m_vTrailTip = tip;
}

bool CMyKorvo::BladeStrikes(CEnemy& enemy)
{
    CObject probe;
    probe.m_fRadius = CBlade::kProbeRadius;
    for (int k = 1; k <= CBlade::kProbes; ++k) {
        probe.m_vPos = m_Blade.ProbePoint(m_vPos, k);
        if (!enemy.HitTest(&probe)) continue;
        PlaySE(kBladeStrikeSE);
        if (g_pSparks) g_pSparks->Burst(m_vPos, 2, 120);
        enemy.Damage(1);
        m_bBladeHit = true;
        CFlare::SpawnLong(m_vPos, m_vRot);
        return true;
    }
    return false;
}

void CMyKorvo::Collide()
{
    for (int i = 0; i < g_EnemyShotList.Count(); ++i) {
        CObject* bullet = g_EnemyShotList.At(i);
        if (bullet && bullet->HitTest(this)) {
            Miss();
            break;
        }
    }
    for (int i = 0; i < g_EnemyList.Count(); ++i) {
        CEnemy* enemy = static_cast<CEnemy*>(g_EnemyList.At(i));
        if (!enemy) continue;
        if (m_Blade.IsAlive() && !m_bBladeHit && !IsUntouchable(*enemy)) BladeStrikes(*enemy);
        if (!enemy->m_bEntering && HitTest(enemy)) {
            Miss();
            break;
        }
    }
}

void CMyKorvo::CollectItem()
{
    for (int i = 0; i < g_ScoreItemList.Count(); ++i) {
        CObject* item = g_ScoreItemList.At(i);
        if (!item || !item->IsNear(this)) continue;
        item->Kill();
        AddGauge(kItemGauge);
        AddScore(kItemScore);
        PlaySE(kItemSE);
        Vec3 drift = item->m_vVel;
        SetLength(drift, 0.02f);
        CDigitalNumber::Spawn(m_vPos, drift, kItemScore);
        return;   // one item a frame
    }
}

void CMyKorvo::Update()
{
    const bool wasVanishing = m_nState == STATE_VANISH;
    CObject::Update();
    if (wasVanishing && m_nState != STATE_VANISH) {
        // Kill ended the game in this update: nothing of the old game may act now.
        m_vTrailBase = m_vTrailTip = m_vPos;
        return;
    }

    if (IsSlowMotionActive()) {
        g_pSlowMotion->Hold();
        AddGauge(-kSlowMotionDrain);
        if (m_nGauge == 0) StopSlowMotion();
    }

    m_Blade.Step();
    UpdateBladeTrail();

    if (m_nBombDelay > 0 && --m_nBombDelay == 0) FireLaserVolley();

    if (!m_bScripted) {
        if (m_vPos.y < -4.5f) m_vPos.y = -4.5f;
        if (m_vPos.y > 4.5f) m_vPos.y = 4.5f;
        if (m_vPos.x < -3.6f) m_vPos.x = -3.6f;
        if (m_vPos.x > 3.6f) m_vPos.x = 3.6f;
        if (m_nState == STATE_ALIVE) Collide();
    }

    CollectItem();
    m_vTrailBase = m_vPos;
}

// --- drawing -------------------------------------------------------------------------

void CMyKorvo::Draw()
{
    if (!m_bVisible || !CanAct() || !g_pDevice) return;
    CGraphicsDevice& d = *g_pDevice;
    const bool charged = IsCharged() && !m_bScripted;

    SetWorldTransform();
    d.SetCullMode(0);
    d.SetWireframe(0);
    d.SetFog(1);
    d.SetBlendMode(0);
    if (m_pModel) {
        if (charged) m_pModel->DrawFaded(0.5f);
        else m_pModel->Draw();
    }

    if (m_Blade.IsAlive() && g_pKorvoExtraModel) {
        d.SetCullMode(0);
        d.SetWireframe(0);
        d.SetFog(0);
        d.SetBlendMode(0);
        // Drawn along the heading its probes strike with (the craft's pitch
        // and bank, the blade's own turn).
        SetWorldTransform(0.0f, 0.0f, m_Blade.m_vRot.z - m_vRot.z);
        g_pKorvoExtraModel->Draw();
    }

    if (charged && g_pShellModel) {
        Matrix world;
        const float age = static_cast<float>(m_nAge);
        BuildWorldMatrix(world, age * 0.05f, 0.0f, age * 0.025f, m_vPos.x, m_vPos.y, m_vPos.z);
        d.SetWorldTransform(world);
        g_pShellModel->DrawNoDepth();
    }

    if (m_nState == STATE_APPEAR) {
        m_vBarrierSpin.x -= 0.008f;
        m_vBarrierSpin.y += 0.0024f;
        if (g_pCursorMesh) {
            Matrix world;
            BuildWorldMatrix(world, m_vBarrierSpin.x, m_vBarrierSpin.y, m_vBarrierSpin.z, m_vPos.x, m_vPos.y,
                             m_vPos.z);
            d.SetWorldTransform(world);
            d.SetCullMode(1);
            g_pCursorMesh->Draw();
        }
    }
}
