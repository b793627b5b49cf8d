#include "core/PointerList.h"

CPointerList::~CPointerList() { delete[] m_pBegin; }

void CPointerList::Insert(int index, void* p) {
    const int count = Count();
    // Outside 0 ... count there is no slot to insert before; keep the pointer
    // (the list may be its only owner) at the nearest end instead.
    if (index < 0) index = 0;
    if (index > count) index = count;
    if (m_pEnd == m_pCapEnd) {
        const int grown = count + (count > 1 ? count : 1);
        void** fresh = new void*[grown];
        for (int i = 0; i < index; ++i) fresh[i] = m_pBegin[i];
        fresh[index] = p;
        for (int i = index; i < count; ++i) fresh[i + 1] = m_pBegin[i];
        delete[] m_pBegin;
        m_pBegin = fresh;
        m_pEnd = fresh + count + 1;
        m_pCapEnd = fresh + grown;
        return;
    }
    for (int i = count; i > index; --i) m_pBegin[i] = m_pBegin[i - 1];
    m_pBegin[index] = p;
    ++m_pEnd;
}

int CPointerList::Count() const { return static_cast<int>(m_pEnd - m_pBegin); }

void CPointerList::RemoveAt(int index) {
    const int count = Count();
    if (index < 0 || index >= count) return;
    for (int i = index + 1; i < count; ++i) m_pBegin[i - 1] = m_pBegin[i];
    --m_pEnd;
}

void CPointerList::RemoveAll() {
    while (m_pEnd != m_pBegin) --m_pEnd;
}

void CPointerList::PopFront(void** out) {
    if (out == nullptr) return;
    if (Count() == 0) {
        *out = nullptr;
        return;
    }
    *out = m_pBegin[0];
    RemoveAt(0);
}

void CPointerList::Get(void** out, int index) const {
    if (out == nullptr) return;
    *out = (index >= 0 && index < Count()) ? m_pBegin[index] : nullptr;
}

void CPointerList::Add(void* p) { Insert(Count(), p); }
