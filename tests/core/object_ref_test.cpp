// TObjectRef: a kept pointer to a list-owned object that reads as null once
// the list has let the object go.
#include <gtest/gtest.h>

#include "core/ObjectRef.h"
#include "core_test_support.h"

using ObjectRefTest = CoreWorldTest;

TEST_F(ObjectRefTest, EveryObjectHasItsOwnSerial)
{
    CObject a, b;
    EXPECT_NE(a.m_nSerial, 0u);
    EXPECT_NE(a.m_nSerial, b.m_nSerial);
}

TEST_F(ObjectRefTest, FollowsTheObjectWhileItsListHoldsIt)
{
    CObject* target = new CObject();
    g_EnemyList.Add(new CObject());
    g_EnemyList.Add(target);
    TObjectRef<CObject> ref(target, g_EnemyList);
    EXPECT_EQ(ref.Get(), target);

    // Dead but not yet removed: still there (the holder decides what dead means).
    target->Kill();
    EXPECT_EQ(ref.Get(), target);

    // Removed and deleted by the pass: gone, and never read again.
    StepList(g_EnemyList);
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_TRUE(ref.IsSet());
}

TEST_F(ObjectRefTest, ALaterObjectAtTheSameAddressIsNotTakenForTheOldOne)
{
    CObject* target = new CObject();
    g_EnemyList.Add(target);
    TObjectRef<CObject> ref(target, g_EnemyList);
    // What a new object built in the old one's memory looks like: the same
    // address in the list, another serial.
    target->m_nSerial += 1000;
    EXPECT_EQ(ref.Get(), nullptr);
}

TEST_F(ObjectRefTest, ClearedOrEmptyReferencesAreNull)
{
    TObjectRef<CObject> empty;
    EXPECT_EQ(empty.Get(), nullptr);
    CObject* target = new CObject();
    g_EnemyList.Add(target);
    TObjectRef<CObject> ref(target, g_EnemyList);
    ref.Clear();
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_FALSE(ref.IsSet());
}
