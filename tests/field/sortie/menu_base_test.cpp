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
    // The bar over the label under the pointer is ten pixels high.
    const RECT label = m->m_rcNextPage;
    Move((label.left + label.right) / 2, label.top + 2);
    EXPECT_EQ(m->m_PageBar.m_vertices[2].y - m->m_PageBar.m_vertices[0].y, 10.0f);
    Move(600, 470);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(chosen[i], i);
    // After the last page the label leads back to the first row.
    EXPECT_EQ(m->m_nPageTop, 0);
    EXPECT_EQ(m->GetCursor(), 0);
}

// Counts the answers a prompt gives.
struct Answers {
    void Yes() { ++yes; }
    int yes = 0;
};

// Windows that size themselves hold every row, however many lines their rows take:
// the start question of the third map and later puts two lines over "はい" and
// "いいえ", the position list of a large map has many rows.
TEST_F(SortieMenuBase, WindowsThatSizeThemselvesShowEveryRow) {
    const std::string question = "出撃ユニット数は、英雄:4、兵士：4です。\r\nターン開始しますか？";
    struct Case {
        const char* what;
        std::string message;  // row 0 of a prompt; empty: a plain window of `rows` rows
        int width, rows;
        bool title;
    } cases[] = {
        {"two-line question", question, 300, 3, false},
        {"question wider than its window", question, 180, 3, false},
        {"long plain list", "", 110, 14, false},
        {"titled list", "", 140, 6, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        C_TaskLocateUnitMenuBase* m = nullptr;
        if (!c.message.empty()) {
            auto* box = new C_TaskLocateUnitMenuYesNo();
            box->SetItemText(0, c.message);
            m = box;
        } else {
            auto* plain = new PlainMenu();
            plain->m_bAutoHeight = true;
            for (int i = 0; i < c.rows; ++i) plain->AddItem("出撃地点" + std::string(1, char('A' + i)), true);
            if (c.title) plain->SetTitle("出撃地点", 14);
            m = plain;
        }
        m->SetWidth(c.width);
        m->SetX(160);
        m->SetActive(true);
        tc_.AddTask(m, 206);
        Frames(12);
        const int bottom = m->GetY() + m->GetHeight();
        int lastBottom = m->GetY();
        for (int i = 0; i < c.rows; ++i) {
            const CMenuItem& row = m->m_vItem[i];
            EXPECT_TRUE(row.m_bShown) << i;
            EXPECT_GT(row.m_rcHit.top, lastBottom) << i;  // one under another, inside the window
            EXPECT_LT(row.m_rcHit.bottom, bottom) << i;
            lastBottom = row.m_rcHit.bottom;
        }
        tc_.KillTaskRange(0, 1000);
        Frame();
    }
}

// The start question keeps its two lines whole whatever the counts: the box grows to
// the wider first line, "はい" follows the message at once (no band of a cut line
// between them) and lies where the replays click it, at y 140 in the box at (160, 90).
TEST_F(SortieMenuBase, TheStartQuestionKeepsItsLinesWholeForAnyCounts) {
    for (const char* counts : {"英雄:2、兵士：1", "英雄:3、兵士：16", "英雄:4、兵士：192"}) {
        SCOPED_TRACE(counts);
        auto* box = new C_TaskLocateUnitMenuYesNo();
        box->SetWidth(300);
        box->SetX(160);
        box->SetMessage(std::string("出撃ユニット数は、") + counts + "です。\r\nターン開始しますか？");
        box->SetActive(true);
        tc_.AddTask(box, 206);
        Frames(12);
        const CMenuItem& message = box->m_vItem[0];
        const RECT yes = box->m_vItem[1].m_rcHit;
        EXPECT_EQ(message.m_nDrawHeight, message.m_nTextHeight);
        EXPECT_GE(box->m_nWinWidth, message.m_nTextWidth + 24);
        EXPECT_EQ(yes.top, message.m_rcHit.bottom + 1);
        EXPECT_TRUE(yes.top <= 140 && 140 <= yes.bottom) << yes.top << ".." << yes.bottom;
        tc_.KillTaskRange(0, 1000);
        Frame();
    }
}

// The two-line question takes "はい", "いいえ" and the right button; its message is no answer.
TEST_F(SortieMenuBase, TheTwoLineStartQuestionIsAnsweredByItsRows) {
    struct Press {
        int row;       // -1: a right click beside the rows
        bool closes;
        int yes;       // answers "はい" counted after the press
    } presses[] = {{0, false, 0}, {1, true, 1}, {2, true, 0}, {-1, true, 0}};
    for (const Press& p : presses) {
        SCOPED_TRACE(p.row);
        Answers answers;
        auto* box = new C_TaskLocateUnitMenuYesNo();
        box->SetItemText(0, "出撃ユニット数は、英雄:2、兵士：1です。\r\nターン開始しますか？");
        box->SetWidth(300);
        box->SetX(160);
        box->SetCallback(smart_ptr<function_callback>(new function_callback_vm0<Answers>(&answers, &Answers::Yes)));
        box->SetActive(true);
        tc_.AddTask(box, 206);
        Frames(12);
        if (p.row == 1) {
            EXPECT_TRUE(Matches("yesno_two_lines", 160, 80, 300, 110));
        }
        if (p.row >= 0) {
            ClickRow(box, p.row, 1);
        } else {
            RightClick(600, 470, 1);
        }
        EXPECT_EQ(Find<C_TaskLocateUnitMenuYesNo>(206) == nullptr, p.closes);
        EXPECT_EQ(answers.yes, p.yes);
        tc_.KillTaskRange(0, 1000);
        Frame();
    }
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
