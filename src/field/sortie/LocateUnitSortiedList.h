#pragma once
// The units placed at the sortie position being edited, as a grid of cards: a
// card's delete button takes the unit off with its cost refunded, the "(新規追加)"
// card opens the troop formation list, a member line shows that person in the
// parameter panel and, clicked, in the status display.
#include <cstdint>
#include <vector>

#include "Draw/gvlD3DDrawSquare.h"
#include "Draw/gvlD3DTextDraw.h"
#include "PersonData.h"
#include "sortie/LocateUnitMenuBase.h"

class C_TaskLocateUnitSortie;
class CSortiePosition;

struct SortieRowRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool enabled = false;

    bool Contains(int px, int py) const { return x <= px && px <= x + width - 1 && y <= py && py <= y + height - 1; }
};

class C_TaskLocateUnitSortiedList2 : public C_TaskLocateUnitMenuBase {
public:
    static constexpr int kCardWidth = 192;
    static constexpr int kCardHeight = 64;
    static constexpr int kLineHeight = 14;
    static constexpr int kLineWidth = 152;
    static constexpr int kButtonLeft = 152;   // the delete button, from the card's left
    static constexpr int kButtonWidth = 40;

    C_TaskLocateUnitSortiedList2(C_FieldTaskInfo* info, C_TaskLocateUnit* driver, C_TaskLocateUnitSortie* owner);
    ~C_TaskLocateUnitSortiedList2() override = default;

    using C_FieldTaskBase::Draw;
    using C_FieldTaskBase::Update;
    void Update(C_FieldTaskInfo* info) override;
    void Draw(C_FieldTaskInfo* info) override;

    void RemoveHero(C_FieldTaskInfo* info, int card);
    void RemoveTroop(C_FieldTaskInfo* info, int card);
    // The person of the member line that a cursor value names.
    PersonRecord GetCellPerson(C_FieldTaskInfo* info, int cursor);

    // The cards and member lines of the shown position (also rebuilt by Draw).
    void BuildCards(C_FieldTaskInfo* info);
    // The position being edited (the owner's cursor); null when there is none.
    CSortiePosition* CurrentPosition(C_FieldTaskInfo* info);
    // The hit rectangle of a card's delete button.
    SortieRowRect ButtonRect(int card) const;
    int CardCount() const { return (int)m_vCard.size(); }

    bool m_bRedraw = true;
    bool m_bStatusRefresh = false;
    C_TaskLocateUnitSortie* m_pOwner = nullptr;
    CD3DTextDraw m_CardText[8];
    std::vector<SortieRowRect> m_vCard;
    std::vector<SortieRowRect> m_vLine;
    int32_t m_nInputEnabled = 1;
    // Kind of the cards: unit cards first (heroes, then troops), then the extra card.
    int32_t m_nHeroCards = 0;
    int32_t m_nUnitCards = 0;
    bool m_bExtraIsNew = false;          // the extra card is "(新規追加)"
    std::vector<bool> m_vCardForced;     // a force-placed hero's card
    CD3DDrawSquare m_Mark;
    CD3DDrawSquare m_Dim;

protected:
    int DumpSize() const override { return static_cast<int>(sizeof(*this)); }
};
