#include "player/ScoreItem.h"

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "player/MyKorvo.h"

CScoreItem::CScoreItem(const Vec3& pos) : CSimpleModel(g_pScoreItemModel, pos)
{
    m_fRadius = 0.5f;
}

CScoreItem* CScoreItem::Spawn(const Vec3& pos)
{
    CScoreItem* item = new CScoreItem(pos);
    item->SetRotVel(Vec3{0.01f, 0.0f, 0.007f});
    // Up at first, then falling: the velocity eases to its opposite over 120 frames.
    item->SetVel(Vec3{0.0f, 0.075f, 0.0f});
    item->AccelTo(Vec3{0.0f, -0.075f, 0.0f}, 120);
    g_ScoreItemList.Add(item);
    return item;
}

void CScoreItem::Update()
{
    const CMyKorvo* player = g_pPlayer;
    if (m_bHoming && player) {
        Vec3 v = player->m_vPos - m_vPos;
        SetLength(v, 0.2f);
        SetVel(v);
    }
    CSimpleModel::Update();
    // Once the craft has flown into the top of the field every item homes in,
    // and keeps homing when the craft goes back down.
    if (player && player->m_vPos.y > 2.5f && !player->m_bScripted) m_bHoming = true;
    // An item above the field is kept: it falls back.
    if (m_vPos.y < -5.5f || m_vPos.x < -5.5f || m_vPos.x > 5.5f) Kill();
}
