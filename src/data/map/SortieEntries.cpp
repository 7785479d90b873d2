// The heroes and troops placed at sortie points: formation positions and persons.
#include "PersonData.h"
#include "log/ErrorLog.h"
#include "map/MapData.h"

PersonRecord SortieHeroEntry::MakePerson() const { return PersonRecord::CreateFromType(nTypeID, nLV, 1, 1, 1, 1); }

int SortieTroopEntry::GetSlotPosition(int slot) const {
    const int count = (int)nTypeID.size();
    if (slot < 0 || slot >= count) return -1;
    if (slot == 0) return 0;
    if (slot == 3) return 3;
    const bool secondForward = count > 1 && slot < 4 && bForward.size() > 1 && bForward[1];
    if (slot == 1) return secondForward ? 1 : 2;
    return secondForward ? 2 : 3;
}

int SortieTroopEntry::FindSlotByPosition(int position) const {
    const int count = (int)nTypeID.size();
    for (int k = 0; k < count; ++k) {
        const int p = GetSlotPosition(k);
        if (p == position) return k;
        if (p > position) return -1;
    }
    return -1;
}

PersonRecord SortieTroopEntry::MakeMemberPerson(int slot) const {
    if (slot < 0 || slot >= (int)nTypeID.size()) {
        g_ErrorLog.Printf("出撃部隊: 隊員 %d がいません。", slot);
        return PersonRecord();
    }
    const int level = slot < (int)nLV.size() ? nLV[slot] : 1;
    const uint8_t forward = slot < (int)bForward.size() && bForward[slot] ? 1 : 0;
    return PersonRecord::CreateFromType(nTypeID[slot], level, 1, 1, forward, 1);
}
