// TObjectRef: a pointer kept across frames to an object that a list owns.
//
// A list deletes its dead objects on its own pass, and a clearing operation
// deletes everything in it, so a plain pointer kept by another object (a
// laser's target) may point at freed memory on a later frame, or at a new
// object that happens to live at the same address. A reference remembers the
// object, its list and its serial number; Get() answers the object only while
// that list still holds it under the same serial, and null afterwards. The
// object itself is never read unless the list holds it.
#pragma once

#include <cstdint>

#include "core/ObjectLists.h"

template <class T>
class TObjectRef {
public:
    TObjectRef() = default;
    TObjectRef(T* object, const CObjectList& list) { Set(object, list); }

    void Set(T* object, const CObjectList& list)
    {
        m_pObject = object;
        m_pList = &list;
        m_nSerial = object != nullptr ? object->m_nSerial : 0;
    }
    void Clear()
    {
        m_pObject = nullptr;
        m_nSerial = 0;
    }

    // The object while its list holds it; null once it was removed or deleted.
    T* Get() const
    {
        if (m_pObject == nullptr || m_pList == nullptr) return nullptr;
        const int n = m_pList->Count();
        for (int i = 0; i < n; ++i) {
            if (m_pList->At(i) == m_pObject) return m_pObject->m_nSerial == m_nSerial ? m_pObject : nullptr;
        }
        return nullptr;
    }
    bool IsSet() const { return m_pObject != nullptr; }

private:
    T* m_pObject = nullptr;
    const CObjectList* m_pList = nullptr;
    uint32_t m_nSerial = 0;
};
