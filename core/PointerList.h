// CPointerList, the game's one container: an ordered, growable array of untyped
// pointers. It owns the array, not the pointed-to objects.
//
// Growth: an insertion into a full array allocates count + max(count, 1)
// elements (the capacity doubles, starting at 1); storage never shrinks until
// destruction. Allocation failure ends the program.
//
// TPointerList<T> is the same container with typed access, so that pointers go
// in and come out as T* (no reinterpretation of a void* as another base).
//
// A walk over the list (the per-frame pass) attaches an SListCursor. Every
// change to the list moves the attached cursors with the elements, so a walk
// whose steps insert or remove elements, anywhere, neither skips an element
// nor visits one twice.
#pragma once

// The place of a walk: the index of the next element it visits. Elements
// removed or inserted before it move it; an element inserted at it is visited.
struct SListCursor {
    int nNext = 0;
    SListCursor* pOuter = nullptr;  // the walk over the same list this one runs in
};

class CPointerList {
public:
    constexpr CPointerList() = default;
    CPointerList(const CPointerList&) = delete;
    CPointerList& operator=(const CPointerList&) = delete;

    // --- virtual operations, in slot order ---------------------------------
    // Inserts p before position index (index = count appends). An index outside
    // 0 ... count is clamped into that range.
    virtual void Insert(int index, void* p);
    virtual int Count() const;
    // Removes the element at index (later ones move down); out of range: nothing.
    virtual void RemoveAt(int index);
    // Removes every element (from the last); the objects are not deleted.
    virtual void RemoveAll();
    // *out := the first element, removed; null when the list is empty.
    virtual void PopFront(void** out);
    // *out := the element at index; null when index < 0 or index >= count.
    virtual void Get(void** out, int index) const;
    virtual void Add(void* p);
    virtual ~CPointerList();

    // Number of elements the array holds before it must grow.
    int Capacity() const { return static_cast<int>(m_pCapEnd - m_pBegin); }

    // Removes, in one pass that keeps the order of the rest, every element for
    // which remove(p) is true, handing each to taken(p) in list order. Neither
    // callback may change the list. Linear in the count.
    template <class Remove, class Taken>
    void RemoveWhere(Remove remove, Taken taken);

    // Walks: a cursor is attached for the length of one walk; walks nest, and
    // the innermost is detached first.
    void AttachCursor(SListCursor* cursor);
    void DetachCursor(SListCursor* cursor);
    // True while a walk over the list runs.
    bool IsWalked() const { return m_pCursors != nullptr; }

private:
    void** m_pBegin = nullptr;
    void** m_pEnd = nullptr;
    void** m_pCapEnd = nullptr;
    SListCursor* m_pCursors = nullptr;  // innermost walk first
};

template <class Remove, class Taken>
void CPointerList::RemoveWhere(Remove remove, Taken taken)
{
    void** kept = m_pBegin;
    int removed = 0;
    for (void** it = m_pBegin; it != m_pEnd; ++it) {
        void* p = *it;
        if (!remove(p)) {
            *kept++ = p;
            continue;
        }
        // A cursor moves back by the elements removed before its original place.
        const int index = static_cast<int>(it - m_pBegin);
        for (SListCursor* c = m_pCursors; c != nullptr; c = c->pOuter) {
            if (index < c->nNext + removed) --c->nNext;
        }
        ++removed;
        taken(p);
    }
    m_pEnd = kept;
}

template <class T>
class TPointerList : public CPointerList {
public:
    constexpr TPointerList() = default;

    void Add(T* p) { CPointerList::Add(static_cast<void*>(p)); }
    void Insert(int index, T* p) { CPointerList::Insert(index, static_cast<void*>(p)); }
    // The element at index, or null out of range.
    T* At(int index) const
    {
        void* p = nullptr;
        CPointerList::Get(&p, index);
        return static_cast<T*>(p);
    }
    // The first element, removed; null when empty.
    T* PopFront()
    {
        void* p = nullptr;
        CPointerList::PopFront(&p);
        return static_cast<T*>(p);
    }
};
