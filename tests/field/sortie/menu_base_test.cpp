// The window base of the preparation: activation one update late, the focus
// handed over and back, hit tests per button, disabled rows, wrapping and paging.
#include "sortie_fixture.h"

namespace {

// A window whose update only follows the pointer and counts down its activation.
class PlainMenu : public C_TaskLocateUnitMenuBase {
public:
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override {
        if (m_nFrame < m_nOpenFrames) {
            ++m_nFrame;
            UpdateActivation();
            return;
        }
        MoveCursor(info);
        if (IsActive()) m_nLastChoice = FindItemLeftPressed(info);
        UpdateActivation();
    }
    int m_nLastChoice = -1;
};

class SortieMenuBase : public SortieTest {
protected:
    PlainMenu* Add(int priority = 205) {
        auto* m = new PlainMenu();
        tc_.AddTask(m, priority);
        return m;
    }
};

TEST_F(SortieMenuBase, AnActivationTakesEffectAtTheEndOfTheNextUpdate) {
    PlainMenu* m = Add();
    m->AddItem("一", true);
    m->SetActive(true);
    EXPECT_EQ(m->m_nActive, 2);
    EXPECT_FALSE(m->IsActive());
    Frame();
    EXPECT_TRUE(m->IsActive());
    m->SetActive(false);
    EXPECT_EQ(m->UpdateActivation(), 0);
}

TEST_F(SortieMenuBase, TheFocusGoesToTheChildAndComesBackOneUpdateLater) {
    PlainMenu* parent = Add(205);
    parent->AddItem("親", true);
    parent->SetActive(true);
    Frames(12);
    PlainMenu* child = Add(206);
    child->AddItem("子", true);
    PlainMenu* idle = Add(207);
    idle->OpenChild(child);  // over a window that is not active: nothing at all
    EXPECT_EQ(idle->m_nActive, 0);
    EXPECT_EQ(idle->m_pReturnMenu, nullptr);
    child->OpenChild(parent);
    EXPECT_FALSE(parent->IsActive());
    EXPECT_EQ(child->m_pReturnMenu, parent);
    Frames(12);
    EXPECT_TRUE(child->IsActive());
    child->CloseChild();
    EXPECT_FALSE(child->IsActive());
    EXPECT_FALSE(parent->IsActive());  // requested, not yet active
    // The click of this frame reaches no window.
    int x = 0, y = 0;
    RowCentre(parent, 0, &x, &y);
    in_.Move(x, y);
    in_.ClickLeft();
    Frame();
    EXPECT_EQ(parent->m_nLastChoice, -1);
    EXPECT_TRUE(parent->IsActive());
    Click(x, y, 0);
    EXPECT_EQ(parent->m_nLastChoice, 0);
}

TEST_F(SortieMenuBase, DisabledRowsAreDimAndOnlySomeFindersPassThemBy) {
    PlainMenu* m = Add();
    m->AddItem("使える", true);
    m->AddItem("使えない", false);
    m->SetActive(true);
    Frames(12);
    int x = 0, y = 0;
    RowCentre(m, 1, &x, &y);
    in_.Move(x, y);
    in_.ClickLeft();
    EXPECT_EQ(m->FindItemLeftPressed(info_.get()), -1);
    EXPECT_EQ(m->FindItem(info_.get()), 1);
    in_.ClickRight();
    EXPECT_EQ(m->FindItemRightPressed(info_.get()), 1);
    EXPECT_EQ(m->FindItemRightHeld(info_.get()), -1);
    in_.Step();
}

TEST_F(SortieMenuBase, AnEmptyWindowChoosesNothing) {
    PlainMenu* m = Add();
    m->SetActive(true);
    Frames(12);
    in_.Move(m->m_nWinX + 20, m->m_nWinY + 20);
    in_.ClickLeft();
    EXPECT_TRUE(m->IsActive());
    m->MoveCursor(info_.get());
    EXPECT_EQ(m->GetCursor(), -1);
    EXPECT_EQ(m->FindItemLeftPressed(info_.get()), -1);
    EXPECT_EQ(m->FindItem(info_.get()), -1);
    in_.Step();
}

TEST_F(SortieMenuBase, ALongRowWrapsAndTakesTheHeightOfItsLines) {
    PlainMenu* m = Add();
    m->SetWidth(100);
    m->AddItem("とても長い行は窓の幅で折り返されます", true);
    m->AddItem("次", true);
    m->SetActive(true);
    Frames(12);
    const CMenuItem& a = m->m_vItem[0];
    EXPECT_GT(a.m_nTextWidth, 76);
    EXPECT_EQ(a.m_nDrawHeight, ((a.m_nTextWidth + 75) / 76) * a.m_nTextHeight);
    EXPECT_EQ(m->m_vItem[1].m_rcHit.top, a.m_rcHit.bottom + 1);
}

TEST_F(SortieMenuBase, PagesTurnAtTheLabelSoThatEveryRowCanBeChosen) {
    PlainMenu* m = Add();
    m->m_bPaging = true;
    m->m_nWinHeight = 100;  // room for four rows of 14
    for (int i = 0; i < 10; ++i) m->AddItem("行" + std::to_string(i), true);
    m->SetActive(true);
    Frames(12);
    EXPECT_EQ(m->m_nPageTop, 0);
    const int perPage = m->m_nPageBottom + 1;
    ASSERT_GT(perPage, 0);
    ASSERT_LT(perPage, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(m->m_vItem[i].m_bShown, i < perPage) << i;
    // Every shown row lies inside the window, above the label.
    for (int i = 0; i < perPage; ++i) EXPECT_LE(m->m_vItem[i].m_rcHit.bottom, m->m_rcNextPage.top);
    std::vector<int> chosen;
    for (int turn = 0; turn < 6 && (int)chosen.size() < 10; ++turn) {
        for (int i = m->m_nPageTop; i <= m->m_nPageBottom; ++i) {
            ClickRow(m, i, 0);
            chosen.push_back(m->m_nLastChoice);
        }
        const RECT label = m->m_rcNextPage;
        Click((label.left + label.right) / 2, (label.top + label.bottom) / 2, 0);
        Move(600, 470);  // away from the rows, so the selection stays where the page put it
    }
    ASSERT_EQ(chosen.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(chosen[i], i);
    // After the last page the label leads back to the first row.
    EXPECT_EQ(m->m_nPageTop, 0);
    EXPECT_EQ(m->GetCursor(), 0);
}

TEST_F(SortieMenuBase, ACopiedRowRendersItsOwnText) {
    CMenuItem a;
    a.SetText("複製");
    a.m_nFontHeight = 14;
    a.Prepare();
    CMenuItem b(a);
    EXPECT_FALSE(b.m_bReady);
    EXPECT_EQ(b.m_strText, "複製");
    b.Prepare();
    EXPECT_EQ(b.m_nTextWidth, a.m_nTextWidth);
    EXPECT_NE(b.m_TextDraw.GetRenderTarget().GetTexture(), a.m_TextDraw.GetRenderTarget().GetTexture());
}

}  // namespace
