// CPointerList and the game-wide object lists with their passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/ObjectLists.h"
#include "core/PointerList.h"
#include "core_test_support.h"

namespace {

using Log = std::vector<std::string>;

std::vector<int> Contents(const CPointerList& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.Count(); ++i) {
        void* p = nullptr;
        list.Get(&p, i);
        out.push_back(*static_cast<int*>(p));
    }
    return out;
}

TEST(PointerList, CapacityDoublesFromOne)
{
    int values[5] = {0, 1, 2, 3, 4};
    const int expected[] = {1, 2, 4, 4, 8};
    CPointerList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    for (int i = 0; i < 5; ++i) {
        list.Add(&values[i]);
        EXPECT_EQ(list.Capacity(), expected[i]) << "after " << i + 1 << " elements";
    }
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3, 4}));
    // Storage never shrinks.
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 8);
}

TEST(PointerList, InsertRemoveAndPopKeepOrder)
{
    int v[6] = {0, 1, 2, 3, 4, 5};
    CPointerList list;
    list.Insert(0, &v[2]);  // grows while inserting at the front
    list.Insert(0, &v[0]);
    list.Insert(1, &v[1]);
    list.Insert(3, &v[3]);  // index = count appends
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3}));
    list.RemoveAt(1);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 2, 3}));
    void* p = nullptr;
    list.PopFront(&p);
    EXPECT_EQ(p, &v[0]);
    EXPECT_EQ(Contents(list), (std::vector<int>{2, 3}));

    // An index outside 0 ... count keeps the pointer at the nearest end.
    list.Insert(-3, &v[4]);
    list.Insert(99, &v[5]);
    EXPECT_EQ(Contents(list), (std::vector<int>{4, 2, 3, 5}));
}

TEST(PointerList, OutOfRangeAccessYieldsNullAndChangesNothing)
{
    int v[2] = {7, 8};
    CPointerList list;
    void* p = &v[0];
    list.PopFront(&p);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(list.Count(), 0);
    p = &v[0];
    list.Get(&p, 0);
    EXPECT_EQ(p, nullptr);
    list.RemoveAt(0);  // empty list, no storage

    list.Add(&v[0]);
    list.Add(&v[1]);
    for (int index : {-1, 2, 1000, -1000}) {
        p = &v[0];
        list.Get(&p, index);
        EXPECT_EQ(p, nullptr) << index;
        list.RemoveAt(index);
        EXPECT_EQ(Contents(list), (std::vector<int>{7, 8})) << index;
    }
}

using ObjectListTest = CoreWorldTest;

// Kills another object when it updates.
class CKiller : public CLoggedObject {
public:
    CKiller(std::string name, CObject* victim) : CLoggedObject(std::move(name)), m_pVictim(victim) {}
    void Update() override
    {
        CLoggedObject::Update();
        m_pVictim->Kill();
    }
    CObject* m_pVictim;
};

// Adds a new object to a list when it first updates.
class CSpawner : public CLoggedObject {
public:
    CSpawner(std::string name, CObjectList* list) : CLoggedObject(std::move(name)), m_pList(list) {}
    void Update() override
    {
        CLoggedObject::Update();
        if (!m_bSpawned) m_pList->Add(new CLoggedObject("child"));
        m_bSpawned = true;
    }
    CObjectList* m_pList;
    bool m_bSpawned = false;
};

TEST_F(ObjectListTest, ObjectKilledEarlierInThePassIsRemovedWithoutBeingStepped)
{
    CObjectList& list = g_EffectList;
    auto* b = new CLoggedObject("b");
    list.Add(new CKiller("a", b));
    list.Add(b);
    list.Add(new CLoggedObject("c"));
    StepList(list);
    EXPECT_EQ(EventLog(), (Log{"draw a", "update a", "delete b", "draw c", "update c"}));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(ObjectListTest, ObjectDyingInItsOwnStepIsDrawnThenRemovedNextPass)
{
    CObjectList& list = g_EnemyList;
    auto* a = new CLoggedObject("a");
    a->SetLife(1);
    list.Add(a);
    list.Add(new CLoggedObject("b"));
    StepList(list);
    EXPECT_EQ(EventLog(), (Log{"draw a", "update a", "draw b", "update b"}));
    EventLog().clear();
    StepList(list);
    EXPECT_EQ(EventLog(), (Log{"delete a", "draw b", "update b"}));
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ObjectListTest, ObjectsAppendedDuringAPassAreSteppedInIt)
{
    CObjectList& list = g_EnemyShotList;
    list.Add(new CSpawner("a", &list));
    list.Add(new CLoggedObject("b"));
    StepList(list);
    EXPECT_EQ(EventLog(), (Log{"draw a", "update a", "draw b", "update b", "draw child", "update child"}));
    EXPECT_EQ(list.Count(), 3);
}

TEST_F(ObjectListTest, StepListKeepStepsDeadObjectsAndRemovesNothing)
{
    auto* s = new CLoggedObject("s");
    s->Kill();
    g_SoundList.Add(s);
    StepListKeep(g_SoundList);
    EXPECT_EQ(EventLog(), (Log{"draw s", "update s"}));
    EXPECT_EQ(g_SoundList.Count(), 1);
}

TEST_F(ObjectListTest, NullEntriesAreDroppedByThePass)
{
    g_EffectList.Add(nullptr);
    g_EffectList.Add(new CLoggedObject("a"));
    StepList(g_EffectList);
    EXPECT_EQ(g_EffectList.Count(), 1);
    EXPECT_EQ(EventLog(), (Log{"draw a", "update a"}));
}

TEST_F(ObjectListTest, ClearEnemyBulletsKeepsPersistentOnesInOrder)
{
    const char* names[] = {"p1", "n1", "n2", "p2", "n3", "p3"};
    for (const char* name : names) {
        auto* o = new CLoggedObject(name);
        o->m_bPersistent = name[0] == 'p';
        g_EnemyShotList.Add(o);
    }
    ClearEnemyBullets();
    EXPECT_EQ(EventLog(), (Log{"delete n1", "delete n2", "delete n3"}));
    ASSERT_EQ(g_EnemyShotList.Count(), 3);
    EXPECT_EQ(static_cast<CLoggedObject*>(g_EnemyShotList.At(0))->m_Name, "p1");
    EXPECT_EQ(static_cast<CLoggedObject*>(g_EnemyShotList.At(1))->m_Name, "p2");
    EXPECT_EQ(static_cast<CLoggedObject*>(g_EnemyShotList.At(2))->m_Name, "p3");
}

// Runs an action on the list it is in when it first updates.
class CMeddler : public CLoggedObject {
public:
    CMeddler(std::string name, std::function<void()> action)
        : CLoggedObject(std::move(name)), m_Action(std::move(action))
    {}
    void Update() override
    {
        CLoggedObject::Update();
        if (!m_Action) return;
        std::exchange(m_Action, nullptr)();
        m_bActed = true;  // like any step, it goes on with its own fields
    }
    std::function<void()> m_Action;
    bool m_bActed = false;
};

std::vector<std::string> Names(const CObjectList& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(static_cast<CLoggedObject*>(list.At(i))->m_Name);
    return out;
}

// Whatever a step does to its own list, the pass goes on with the next object
// still in it: none skipped, none stepped twice, nothing deleted under the
// object being stepped (AddressSanitizer watches the unit tests).
TEST_F(ObjectListTest, RemovalDuringThePassNeitherSkipsNorRepeats)
{
    CObjectList& list = g_EnemyShotList;
    auto named = [](std::vector<std::string> names) {
        return [names](CObject* p) {
            const std::string& n = static_cast<CLoggedObject*>(p)->m_Name;
            return std::find(names.begin(), names.end(), n) != names.end();
        };
    };
    struct SCase {
        const char* what;
        int nMeddler;  // which of a ... e acts
        std::function<void()> action;
        const char* persistent;  // names of persistent bullets
        Log pass;                // events of the pass
        Log survivors;
    };
    const SCase cases[] = {
        {"earlier and later objects deleted",
         2,
         [&] {
             DeleteWhere(list, named({"b", "d"}));
         },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "draw e", "update e", "delete b",
          "delete d"},
         {"a", "c", "e"}},
        {"the object being stepped deletes itself",
         2,
         [&] { DeleteWhere(list, named({"c"})); },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "draw d", "update d", "draw e", "update e",
          "delete c"},
         {"a", "b", "d", "e"}},
        {"the whole list cleared from its middle",
         2,
         [&] { DeleteAll(list); },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "delete a", "delete b", "delete c",
          "delete d", "delete e"},
         {}},
        {"the last object clears the list",
         4,
         [&] { DeleteAll(list); },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "draw d", "update d", "draw e", "update e",
          "delete a", "delete b", "delete c", "delete d", "delete e"},
         {}},
        {"a cleared barrage from the first bullet, then a new one fired",
         0,
         [&] {
             ClearEnemyBullets();
             list.Add(new CLoggedObject("f"));
         },
         "bd",
         {"draw a", "update a", "draw b", "update b", "draw d", "update d", "draw f", "update f", "delete a",
          "delete c", "delete e"},
         {"b", "d", "f"}},
        {"an object inserted before the one being stepped waits for the next pass",
         2,
         [&] { list.Insert(0, new CLoggedObject("z")); },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "draw d", "update d", "draw e", "update e"},
         {"z", "a", "b", "c", "d", "e"}},
        {"an earlier object killed and deleted by a nested pass",
         3,
         [&] {
             list.At(1)->Kill();
             StepList(list);
         },
         "",
         {"draw a", "update a", "draw b", "update b", "draw c", "update c", "draw d", "update d",
          // the nested pass: b is taken out, the others stepped once more
          "draw a", "update a", "draw c", "update c", "draw d", "update d", "draw e", "update e",
          // the outer pass goes on after d: e again, then b is deleted
          "draw e", "update e", "delete b"},
         {"a", "c", "d", "e"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        const char* names[] = {"a", "b", "c", "d", "e"};
        for (int i = 0; i < 5; ++i) {
            CLoggedObject* o = i == c.nMeddler ? new CMeddler(names[i], c.action) : new CLoggedObject(names[i]);
            o->m_bPersistent = std::string(c.persistent).find(names[i][0]) != std::string::npos;
            list.Add(o);
        }
        EventLog().clear();
        StepList(list);
        EXPECT_EQ(EventLog(), c.pass);
        EXPECT_EQ(Names(list), c.survivors);
        EXPECT_FALSE(list.IsWalked());
        // The next pass steps every survivor once.
        EventLog().clear();
        StepList(list);
        Log again;
        for (const std::string& n : c.survivors) {
            again.push_back("draw " + n);
            again.push_back("update " + n);
        }
        EXPECT_EQ(EventLog(), again);
        DeleteAll(list);
    }
}

TEST_F(ObjectListTest, ClearWorldDeletesTheWorldInOrderAndLeavesSoundAndTerrain)
{
    g_OverlayList.Add(new CLoggedObject("overlay"));
    g_ForegroundList.Add(new CLoggedObject("foreground"));
    g_EffectList.Add(new CLoggedObject("effect"));
    g_ScoreItemList.Add(new CLoggedObject("item"));
    auto* kept = new CLoggedObject("persistent shot");
    kept->m_bPersistent = true;
    g_EnemyShotList.Add(kept);
    g_EnemyShotList.Add(new CLoggedObject("shot"));
    g_EnemyList.Add(new CLoggedObject("enemy1"));
    g_EnemyList.Add(new CLoggedObject("enemy2"));
    g_SoundList.Add(new CLoggedObject("sound"));
    g_MusicList.Add(new CLoggedMusic("music"));
    g_TerrainList.Add(new CLoggedObject("terrain"));

    ClearWorld();
    // Persistent bullets go too: one left over would act in the next game.
    EXPECT_EQ(EventLog(), (Log{"delete enemy1", "delete enemy2", "delete persistent shot", "delete shot",
                               "delete item", "delete effect", "delete overlay", "delete foreground"}));
    EXPECT_EQ(g_EnemyShotList.Count(), 0);
    EXPECT_EQ(g_SoundList.Count(), 1);
    EXPECT_EQ(g_MusicList.Count(), 1);
    EXPECT_EQ(g_TerrainList.Count(), 1);
}

TEST_F(ObjectListTest, PassGroupsRunInTheirOrder)
{
    CFakeDevice device;
    CFakeHooks hooks;
    g_pDeviceLink = &device;
    g_pWorldHooks = &hooks;
    g_OverlayList.Add(new CLoggedObject("overlay"));
    g_ForegroundList.Add(new CLoggedObject("foreground"));
    g_EffectList.Add(new CLoggedObject("effect"));
    g_ScoreItemList.Add(new CLoggedObject("item"));
    g_EnemyShotList.Add(new CLoggedObject("shot"));
    g_EnemyList.Add(new CLoggedObject("enemy"));
    g_SoundList.Add(new CLoggedObject("sound"));
    g_MusicList.Add(new CLoggedMusic("music"));
    g_TerrainList.Add(new CLoggedObject("terrain"));

    StepWorldLists();
    EXPECT_EQ(EventLog(), (Log{"cooldown", "draw terrain", "update terrain", "draw effect", "update effect", "filter 1",
                               "draw shot", "update shot", "filter 0", "draw enemy", "update enemy", "draw item",
                               "update item", "draw sound", "update sound", "update music"}));
    EventLog().clear();
    StepForegroundLists();
    EXPECT_EQ(EventLog(), (Log{"clear depth", "draw foreground", "update foreground", "clear depth"}));
    EventLog().clear();
    StepOverlayList();
    EXPECT_EQ(EventLog(), (Log{"draw overlay", "update overlay"}));

    // Without a device or hooks the passes still run.
    g_pDeviceLink = nullptr;
    g_pWorldHooks = nullptr;
    EventLog().clear();
    StepWorldLists();
    StepForegroundLists();
    EXPECT_EQ(EventLog().size(), 15u);
}

TEST_F(ObjectListTest, MusicPauseResumeAndStopReachEveryMusicObject)
{
    g_MusicList.Add(new CLoggedMusic("m1"));
    g_MusicList.Add(new CLoggedMusic("m2"));
    PauseMusic();
    ResumeMusic();
    StopMusic();
    EXPECT_EQ(EventLog(), (Log{"pause m1", "pause m2", "resume m1", "resume m2", "stop m1", "stop m2"}));
    EXPECT_EQ(g_MusicList.Count(), 2);
}

}  // namespace
