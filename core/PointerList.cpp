#include "core/PointerList.h"

#include <cstring>

CPointerList::~CPointerList()
{
    delete[] m_pBegin;
}

void CPointerList::Insert(int index, void* p)
{
    const int count = Count();
    // Outside 0 ... count there is no slot to insert before; keep the pointer
    // (the list may be its only owner) at the nearest end instead.
    if (index < 0) index = 0;
    if (index > count) index = count;
    for (SListCursor* c = m_pCursors; c != nullptr; c = c->pOuter) {
        if (index < c->nNext) ++c->nNext;
    }
    if (m_pEnd == m_pCapEnd) {
        const int grown = count + (count > 1 ? count : 1);
        void** fresh = new void*[grown];
        if (index > 0) std::memcpy(fresh, m_pBegin, sizeof(void*) * index);
        fresh[index] = p;
        if (count > index) std::memcpy(fresh + index + 1, m_pBegin + index, sizeof(void*) * (count - index));
        delete[] m_pBegin;
        m_pBegin = fresh;
        m_pEnd = fresh + count + 1;
        m_pCapEnd = fresh + grown;
        return;
    }
    if (count > index) std::memmove(m_pBegin + index + 1, m_pBegin + index, sizeof(void*) * (count - index));
    m_pBegin[index] = p;
    ++m_pEnd;
}

int CPointerList::Count() const
{
    return static_cast<int>(m_pEnd - m_pBegin);
}

void CPointerList::RemoveAt(int index)
{
    const int count = Count();
    if (index < 0 || index >= count) return;
    for (SListCursor* c = m_pCursors; c != nullptr; c = c->pOuter) {
        if (index < c->nNext) --c->nNext;
    }
    if (count - index > 1) std::memmove(m_pBegin + index, m_pBegin + index + 1, sizeof(void*) * (count - index - 1));
    --m_pEnd;
}

void CPointerList::RemoveAll()
{
    for (SListCursor* c = m_pCursors; c != nullptr; c = c->pOuter) c->nNext = 0;
    m_pEnd = m_pBegin;
}

void CPointerList::PopFront(void** out)
{
    if (out == nullptr) return;
    if (Count() == 0) {
        *out = nullptr;
        return;
    }
    *out = m_pBegin[0];
    RemoveAt(0);
}

void CPointerList::Get(void** out, int index) const
{
    if (out == nullptr) return;
    *out = (index >= 0 && index < Count()) ? m_pBegin[index] : nullptr;
}

void CPointerList::Add(void* p)
{
    Insert(Count(), p);
}

void CPointerList::AttachCursor(SListCursor* cursor)
{
    cursor->pOuter = m_pCursors;
    m_pCursors = cursor;
}

void CPointerList::DetachCursor(SListCursor* cursor)
{
    // Walks end innermost first; unlink wherever it is all the same.
    for (SListCursor** link = &m_pCursors; *link != nullptr; link = &(*link)->pOuter) {
        if (*link == cursor) {
            *link = cursor->pOuter;
            return;
        }
    }
}
