#include "enemy/Enemy.h"

#include "enemy/BarrageFire.h"
#include "player/MyKorvo.h"

CEnemy::CEnemy(CModel* model)
{
    m_pModel = model;
    m_pFire[0] = new CBarrageFire(this);
    m_pFire[1] = new CBarrageFire(this);
}

CEnemy::~CEnemy()
{
    delete m_pFire[0];
    delete m_pFire[1];
}

void CEnemy::SetInvulnerable(bool on)
{
    m_bInvulnerable = on;
    if (on) m_bEntering = false;
}

void CEnemy::SetEntering(bool on)
{
    m_bEntering = on;
    if (on) m_bInvulnerable = false;
}

void CEnemy::Damage(int amount)
{
    m_nHp -= amount;
    if (m_nHp < 0) m_nHp = 0;
    if (m_nHp != 0) return;
    Kill();
    if (g_pPlayer) g_pPlayer->AddScore(m_nScore);
}

Vec3 CEnemy::VectorToPlayer() const
{
    const Vec3 player = g_pPlayer ? g_pPlayer->m_vPos : Vec3{};
    return player - m_vPos;
}

int32_t CEnemy::DecayedScore(int32_t score)
{
    // The product is rounded to single precision before the truncation: 7290
    // gives 6561 (not 6560.9998...), which then rounds down to 6560.
    const float scaled = static_cast<float>(score) * 0.9f;
    int32_t s = static_cast<int32_t>(scaled);
    if (s < 100) s = 100;
    return s / 10 * 10;
}

void CEnemy::Update()
{
    CObject::Update();
    m_pFire[0]->Step();
    m_pFire[1]->Step();
    if (m_nAge % 30 == 0) m_nScore = DecayedScore(m_nScore);
}
