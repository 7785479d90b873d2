#include <gtest/gtest.h>

#include <vector>

#include "util/function_callback.h"
#include "util/smart_ptr.h"

namespace {

struct Counted {
    explicit Counted(int* deaths) : m_pDeaths(deaths) {}
    virtual ~Counted() { ++*m_pDeaths; }
    int* m_pDeaths = nullptr;
};

TEST(SmartPtr, ThreeCopiesDeleteOnceAtTheLast) {
    int deaths = 0;
    auto* a = new smart_ptr<Counted>(new Counted(&deaths));
    auto* b = new smart_ptr<Counted>(*a);
    auto* c = new smart_ptr<Counted>(*b);
    EXPECT_EQ(a->OwnerCount(), 3);
    EXPECT_EQ(c->Get(), a->Get());
    delete b;
    EXPECT_EQ(deaths, 0);
    delete a;
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(c->OwnerCount(), 1);
    delete c;
    EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, EveryReleaseOrderDeletesExactlyOnce) {
    const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& order : orders) {
        int deaths = 0;
        smart_ptr<Counted> p[3];
        p[0].Set(new Counted(&deaths));
        p[1] = p[0];
        p[2] = p[1];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(deaths, 0);
            p[order[k]].Release();
        }
        EXPECT_EQ(deaths, 1);
    }
}

TEST(SmartPtr, EmptyAndUnownedCopies) {
    smart_ptr<Counted> empty;
    smart_ptr<Counted> copy(empty);
    EXPECT_FALSE(copy);
    EXPECT_FALSE(copy.IsOwning());
    copy.Release();  // nothing happens

    int deaths = 0;
    Counted owned(&deaths);
    smart_ptr<Counted> unowned;
    unowned.SetUnowned(&owned);
    smart_ptr<Counted> copy2(unowned);
    EXPECT_EQ(copy2.Get(), &owned);
    EXPECT_FALSE(copy2.IsOwning());
    copy2.Release();
    unowned.Release();
    EXPECT_EQ(deaths, 0);
}

TEST(SmartPtr, SetUnownedOnTheSoleOwnerDeletesFirst) {
    int deaths = 0;
    int otherDeaths = 0;
    Counted other(&otherDeaths);
    smart_ptr<Counted> p(new Counted(&deaths));
    p.SetUnowned(&other);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(p.Get(), &other);
    EXPECT_FALSE(p.IsOwning());
}

TEST(SmartPtr, AssignmentReleasesTheOldAndJoinsTheNewRing) {
    int oldDeaths = 0, newDeaths = 0;
    smart_ptr<Counted> holder(new Counted(&oldDeaths));
    smart_ptr<Counted> source(new Counted(&newDeaths));
    holder = source;
    EXPECT_EQ(oldDeaths, 1);
    EXPECT_EQ(source.OwnerCount(), 2);
    source.Release();
    EXPECT_EQ(newDeaths, 0);
    holder.Release();
    EXPECT_EQ(newDeaths, 1);
}

TEST(SmartPtr, AssigningWithinOneRingAndToItselfKeepsTheObject) {
    int deaths = 0;
    smart_ptr<Counted> a(new Counted(&deaths));
    smart_ptr<Counted> b(a);
    a = b;
    a = a;
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(a.OwnerCount(), 2);
    a.Release();
    b.Release();
    EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, VectorsOfOwnersSurviveReallocation) {
    int deaths = 0;
    smart_ptr<Counted> first(new Counted(&deaths));
    {
        std::vector<smart_ptr<Counted>> v;
        for (int i = 0; i < 100; ++i) v.push_back(first);
        EXPECT_EQ(first.OwnerCount(), 101);
        v.erase(v.begin() + 10, v.begin() + 60);
        EXPECT_EQ(first.OwnerCount(), 51);
    }
    EXPECT_EQ(first.OwnerCount(), 1);
    smart_ptr<Counted> moved(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.OwnerCount(), 1);
    EXPECT_EQ(deaths, 0);
    moved.Release();
    EXPECT_EQ(deaths, 1);
}

TEST(SmartPtr, AssigningAnEmptyPointerReleases) {
    int deaths = 0;
    smart_ptr<Counted> p(new Counted(&deaths));
    EXPECT_FALSE(p == nullptr);
    p = smart_ptr<Counted>();
    EXPECT_EQ(deaths, 1);
    EXPECT_FALSE(p);
    EXPECT_TRUE(p == nullptr);
}

// ---- callbacks ------------------------------------------------------------------------

struct Menu {
    virtual ~Menu() = default;
    int m_nCalls = 0;
    int m_nSum = 0;
    void* m_pLast = nullptr;
    void OnConfirmed() { ++m_nCalls; }
    int LevelUp(Menu* info) {
        m_pLast = info;
        return ++m_nCalls;
    }
    void Remove(Menu* info, int index) {
        m_pLast = info;
        m_nSum += index;
    }
};

int g_nFreeCalls = 0;
void FreeFunction() { ++g_nFreeCalls; }

TEST(Callback, MemberFunctionsWithStoredArguments) {
    Menu menu, info;
    smart_ptr<function_callback> cb0(new function_callback_vm0<Menu>(&menu, &Menu::OnConfirmed));
    smart_ptr<function_callback> cb1(new function_callback_vm1<Menu, Menu*, Menu*>(&menu, &Menu::LevelUp, &info));
    smart_ptr<function_callback> cb2(
        new function_callback_vm2<Menu, Menu*, int, Menu*, int>(&menu, &Menu::Remove, &info, 7));
    cb0->Invoke();
    cb1->Invoke();
    EXPECT_EQ(menu.m_nCalls, 2);
    EXPECT_EQ(menu.m_pLast, &info);
    cb2->Invoke();
    cb2->Invoke();
    EXPECT_EQ(menu.m_nSum, 14);

    smart_ptr<function_callback> cbv(new function_callback_v(&FreeFunction));
    cbv->Invoke();
    EXPECT_EQ(g_nFreeCalls, 1);
}

TEST(Callback, RebindMovesTheCallToAnotherObject) {
    Menu a, b;
    function_callback_vm0<Menu> cb(&a, &Menu::OnConfirmed);
    cb.RebindObject(&b);
    cb.Invoke();
    EXPECT_EQ(a.m_nCalls, 0);
    EXPECT_EQ(b.m_nCalls, 1);
}

struct Tracked : function_callback_vm0<Menu> {
    Tracked(Menu* m, int* deaths) : function_callback_vm0<Menu>(m, &Menu::OnConfirmed), m_pDeaths(deaths) {}
    ~Tracked() override { ++*m_pDeaths; }
    int* m_pDeaths;
};

TEST(Callback, SharedByPromptsAndDeletedByTheLastOwner) {
    Menu menu;
    int deaths = 0;
    smart_ptr<function_callback> menuHolds(new Tracked(&menu, &deaths));
    smart_ptr<function_callback> promptHolds;
    promptHolds = menuHolds;  // the prompt box's SetCallback
    menuHolds.Release();
    EXPECT_EQ(deaths, 0);
    promptHolds->Invoke();
    EXPECT_EQ(menu.m_nCalls, 1);
    promptHolds = smart_ptr<function_callback>(new Tracked(&menu, &deaths));
    EXPECT_EQ(deaths, 1);
    promptHolds.Release();
    EXPECT_EQ(deaths, 2);
}

}  // namespace
