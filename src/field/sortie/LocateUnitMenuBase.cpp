// The base of the preparation windows.
#include "sortie/LocateUnitMenuBase.h"

#include <algorithm>

#include "FieldTaskInfo.h"
#include "input/gvlInputManager.h"
#include "resources/GlobalResources.h"
#include "util/GameUtil.h"

// ---- CMenuItem ------------------------------------------------------------------------

CMenuItem::CMenuItem(const CMenuItem& other) { *this = other; }

CMenuItem& CMenuItem::operator=(const CMenuItem& other) {
    if (this == &other) return *this;
    m_strText = other.m_strText;
    m_bEnabled = other.m_bEnabled;
    m_nFontHeight = other.m_nFontHeight;
    m_nPosX = other.m_nPosX;
    m_nPosY = other.m_nPosY;
    m_nTextWidth = other.m_nTextWidth;
    m_nTextHeight = other.m_nTextHeight;
    m_nDrawHeight = other.m_nDrawHeight;
    m_nDrawWidth = other.m_nDrawWidth;
    m_rcHit = other.m_rcHit;
    m_bShown = other.m_bShown;
    m_TextDraw.SetText(other.m_strText, other.m_nFontHeight, 0xFFFFFFFF);
    m_bReady = false;  // this copy renders its own picture of the text
    return *this;
}

void CMenuItem::SetText(const std::string& text) {
    m_strText = text;
    m_bReady = false;
}

void CMenuItem::SetPosition(int x, int y) {
    m_nPosX = x;
    m_nPosY = y;
    m_rcHit = RECT{x, y, x + m_nDrawWidth - 1, y + m_nDrawHeight - 1};
}

void CMenuItem::Prepare() {
    if (m_bReady) return;
    m_TextDraw.SetText(m_strText, m_nFontHeight, 0xFFFFFFFF);
    m_TextDraw.Render();
    m_TextDraw.GetTextSize(m_nTextWidth, m_nTextHeight);
    m_nDrawWidth = std::max(m_nDrawWidth, m_nTextWidth);
    SetPosition(m_nPosX, m_nPosY);
    m_bReady = true;
}

int CMenuItem::MeasureHeight(int maxWidth, bool wrap) const {
    if (!wrap || maxWidth <= 0 || m_nTextWidth <= maxWidth) return m_nTextHeight;
    const int pieces = (m_nTextWidth + maxWidth - 1) / maxWidth;
    return pieces * m_nTextHeight;
}

namespace {
// Draws the part `src` of the text picture at (x + src.left, y + src.top) after
// cutting it by the clip rectangle (screen coordinates).
void DrawCut(CD3DTextDraw& text, int x, int y, RECT src, const RECT& clip, int dx, int dy, unsigned char alpha) {
    // (dx, dy): where the part's own origin lands relative to the row position.
    const int left = std::max<int>(src.left, clip.left - (x + dx) + src.left);
    const int top = std::max<int>(src.top, clip.top - (y + dy) + src.top);
    const int right = std::min<int>(src.right, clip.right - (x + dx) + src.left);
    const int bottom = std::min<int>(src.bottom, clip.bottom - (y + dy) + src.top);
    if (right <= left || bottom <= top) return;
    RECT part{left, top, right, bottom};
    CD3DRTSquare& rt = text.GetRenderTarget();
    if (!rt.GetTexture()) return;
    rt.Draw(x + dx + (left - src.left), y + dy + (top - src.top), alpha, &part);
}
}  // namespace

bool CMenuItem::Draw(int maxWidth, int maxHeight, bool wrap, bool bright, const RECT& clip) {
    Prepare();
    const unsigned char alpha = (m_bEnabled && bright) ? 255 : 0x55;
    const int mw = maxWidth < 0 ? m_nTextWidth : maxWidth;
    const int mh = maxHeight < 0 ? INT32_MAX / 2 : maxHeight;
    bool notFit = false;
    if (!wrap || m_nTextWidth <= mw || mw <= 0) {
        m_nDrawHeight = m_nTextHeight;
        RECT src{0, 0, std::min(mw, m_nTextWidth), std::min(mh, m_nTextHeight)};
        DrawCut(m_TextDraw, m_nPosX, m_nPosY, src, clip, 0, 0, alpha);
        notFit = mh < m_nDrawHeight;
    } else {
        // Long text: pieces of maxWidth pixels one under another.
        const int line = std::max(1, m_nTextHeight);
        const int pieces = (m_nTextWidth + mw - 1) / mw;
        int k = 0;
        for (; k < pieces; ++k) {
            if ((k + 1) * line > mh) {
                m_nDrawHeight = mh;
                notFit = true;
                break;
            }
            RECT src{k * mw, 0, std::min(m_nTextWidth, (k + 1) * mw), line};
            DrawCut(m_TextDraw, m_nPosX, m_nPosY, src, clip, 0, k * line, alpha);
        }
        if (!notFit) m_nDrawHeight = pieces * line;
    }
    if (notFit) {
        m_bShown = false;
        return true;
    }
    m_rcHit = RECT{m_nPosX, m_nPosY, m_nPosX + m_nDrawWidth - 1, m_nPosY + m_nDrawHeight - 1};
    m_bShown = true;
    return false;
}

// ---- C_TaskLocateUnitMenuBase ------------------------------------------------------------

namespace {
// The bar over the page label under the pointer, whatever the label's line height.
constexpr int kPageBarHeight = 10;
}  // namespace

C_TaskLocateUnitMenuBase::C_TaskLocateUnitMenuBase() {
    m_nOpenFrames = 10;
    m_ListTarget.Create(1024.0, 512.0, 0);
}

IInputManager* C_TaskLocateUnitMenuBase::Input(C_FieldTaskInfo* info) {
    return info ? info->GetInputManager() : g_pInputManager;
}

void C_TaskLocateUnitMenuBase::AddItem(std::string text, bool enabled) {
    CMenuItem item;
    item.SetText(text);
    item.m_bEnabled = enabled;
    item.m_nFontHeight = m_nRowHeight;
    AddRow(item);
}

void C_TaskLocateUnitMenuBase::AddRow(CMenuItem item) { m_vItem.push_back(item); }

CMenuItem* C_TaskLocateUnitMenuBase::GetItem(int i) {
    if (i < 0 || i >= (int)m_vItem.size()) return nullptr;
    return &m_vItem[i];
}

void C_TaskLocateUnitMenuBase::ClearItems() { m_vItem.clear(); }

void C_TaskLocateUnitMenuBase::SetTitle(std::string text, int height) {
    m_bTitle = !text.empty();
    m_strTitle = std::move(text);
    m_nTitleHeight = height;
    m_bLabelDirty = true;
}

void C_TaskLocateUnitMenuBase::OpenChild(C_TaskLocateUnitMenuBase* from) {
    if (from) {
        if (!from->IsActive()) return;
        from->SetActive(false);
        m_pReturnMenu = from;
    }
    SetActive(true);
}

void C_TaskLocateUnitMenuBase::CloseChild() {
    if (m_pReturnMenu) m_pReturnMenu->OpenChild(nullptr);
    SetActive(false);
}

int C_TaskLocateUnitMenuBase::UpdateActivation() {
    if (m_nActive >= 2) --m_nActive;
    return m_nActive;
}

void C_TaskLocateUnitMenuBase::SetItemText(int i, std::string text) {
    if (CMenuItem* item = GetItem(i)) item->SetText(text);
}

int C_TaskLocateUnitMenuBase::FittingHeight() {
    const int top = FirstRowY() - m_nWinY;
    int rows = 0;
    for (int i = std::max(0, m_nPageTop); i < (int)m_vItem.size(); ++i) {
        m_vItem[i].Prepare();
        rows += m_vItem[i].MeasureHeight(m_nWinWidth - 24, true);
    }
    // The rows must end above the page label and the margin the title takes off the
    // bottom as well as off the top.
    return top + rows + 25 + (m_bTitle ? m_nTitleHeight : 0) + (m_bPaging ? m_nRowHeight : 0);
}

void C_TaskLocateUnitMenuBase::FitWidthToRows() {
    if (!m_bFitWidth) return;
    constexpr int kScreenWidth = 640;
    int widest = 0;
    for (CMenuItem& item : m_vItem) {
        item.Prepare();
        widest = std::max(widest, item.m_nTextWidth);
    }
    m_nWinWidth = std::max(m_nWinWidth, std::min(widest + 24, kScreenWidth - m_nWinX));
}

int C_TaskLocateUnitMenuBase::FirstRowY() const { return m_nWinY + 15 + (m_bTitle ? m_nTitleHeight : 0); }

void C_TaskLocateUnitMenuBase::PlaceRow(CMenuItem& item, int rowY) const {
    item.m_nDrawWidth = std::max(item.m_nTextWidth, m_nWinWidth - 24);
    item.SetPosition(m_nWinX + 12, rowY);
}

bool C_TaskLocateUnitMenuBase::HasSeveralPages() const {
    return m_bPaging && !(m_nPageTop == 0 && m_nPageBottom + 1 == (int)m_vItem.size());
}

int C_TaskLocateUnitMenuBase::FindShownRow(C_FieldTaskInfo* info, bool enabledOnly) {
    IInputManager* in = Input(info);
    if (!in) return -1;
    for (int i = 0; i < (int)m_vItem.size(); ++i) {
        const CMenuItem& item = m_vItem[i];
        if (!item.m_bShown || (enabledOnly && !item.m_bEnabled)) continue;
        if (RectContainsMouse(item.m_rcHit, *in)) {
            m_nSelect = i;
            return i;
        }
    }
    return -1;
}

int C_TaskLocateUnitMenuBase::FindItem(C_FieldTaskInfo* info) {
    IInputManager* in = Input(info);
    if (!in || !in->IsLButtonDown()) return -1;
    return FindShownRow(info, false);
}

int C_TaskLocateUnitMenuBase::FindItemLeftPressed(C_FieldTaskInfo* info) {
    IInputManager* in = Input(info);
    if (!in || !in->IsLButtonPush()) return -1;
    return FindShownRow(info, true);
}

int C_TaskLocateUnitMenuBase::FindItemRightHeld(C_FieldTaskInfo* info) {
    IInputManager* in = Input(info);
    if (!in || !in->IsRButtonDown()) return -1;
    return FindShownRow(info, true);
}

int C_TaskLocateUnitMenuBase::FindItemRightPressed(C_FieldTaskInfo* info) {
    IInputManager* in = Input(info);
    if (!in || !in->IsRButtonPush()) return -1;
    return FindShownRow(info, false);
}

bool C_TaskLocateUnitMenuBase::MoveCursor(C_FieldTaskInfo* info) {
    if (!IsActive()) return false;
    IInputManager* in = Input(info);
    const int before = m_nSelect;
    const int count = (int)m_vItem.size();
    int rowY = FirstRowY();
    for (int i = std::max(0, m_nPageTop); i < count; ++i) {
        CMenuItem& item = m_vItem[i];
        PlaceRow(item, rowY);
        rowY += item.m_nDrawHeight;
        if (in && item.m_bShown && RectContainsMouse(item.m_rcHit, *in)) m_nSelect = i;
    }
    m_nSelect = std::min(std::max(m_nSelect, 0), count - 1);  // an empty window keeps -1
    if (HasSeveralPages()) {
        if (m_nSelect < m_nPageTop) m_nPageTop = m_nSelect;
        if (m_nSelect > m_nPageBottom) m_nPageTop += m_nSelect - m_nPageBottom;
        if (in && in->IsLButtonPush() && RectContainsMouse(m_rcNextPage, *in)) {
            const int next = m_nPageBottom + 1 < count ? m_nPageBottom + 1 : 0;
            m_nSelect = next;
            m_nPageTop = next;
            // The rows of the new page take clicks once they have been drawn.
            for (CMenuItem& item : m_vItem) item.m_bShown = false;
        }
    }
    m_nSelect = std::min(std::max(m_nSelect, 0), count - 1);  // an empty window keeps -1
    if (m_nPageTop < 0) m_nPageTop = 0;
    return m_nSelect != before;
}

void C_TaskLocateUnitMenuBase::Draw(C_FieldTaskInfo* info) {
    // The width is settled before anything is laid out: the rows' places and hit
    // areas below and the pointer tracking of the next update follow from it.
    FitWidthToRows();
    const int x = m_nWinX, y = m_nWinY, W = m_nWinWidth, H = m_nWinHeight;
    const double ratio = m_nOpenFrames > 0 ? double(m_nFrame) / double(m_nOpenFrames) : 1.0;
    g_GlobalResources.DrawWindowEx(x, y, W, H, float(ratio), 0x95000000, 0.0);

    // The rows open from the middle of the window outwards.
    const double t = Clamp(ratio, 1.0, 0.0);
    const int clipTop = y + 6 + int(0.5 * (1.0 - t) * H);
    const RECT clip{x, clipTop, x + W, clipTop + int(H * t) - 12};

    const int count = (int)m_vItem.size();
    int rowY = FirstRowY();
    const int limit = y + H - 15 - (m_bPaging ? m_nRowHeight : 0) - (m_bTitle ? m_nTitleHeight : 0);
    for (int i = 0; i < std::min(m_nPageTop, count); ++i) m_vItem[i].m_bShown = false;
    int selectedY = -1;
    m_nPageBottom = m_nPageTop - 1;
    for (int i = std::max(0, m_nPageTop); i < count; ++i) {
        CMenuItem& item = m_vItem[i];
        item.Prepare();
        // A row that would reach into the page label or past the window starts the
        // next page: what is drawn is what can be clicked.  The first row of a page
        // is always drawn.
        const int height = item.MeasureHeight(W - 24, true);
        if (i > m_nPageTop && rowY + height > limit) {
            for (int j = i; j < count; ++j) m_vItem[j].m_bShown = false;
            break;
        }
        PlaceRow(item, rowY);
        const bool notFit = item.Draw(W - 24, y + H - 15 - rowY, true, IsActive(), clip);
        if (i == m_nSelect && !notFit) selectedY = rowY;
        rowY += item.m_nDrawHeight;
        m_nPageBottom = i;
        if (notFit) {
            for (int j = i + 1; j < count; ++j) m_vItem[j].m_bShown = false;
            break;
        }
    }
    // A window that sizes itself takes the height of every row of the page, those left
    // out for want of room too: they are drawn from the next frame on.
    if (m_bAutoHeight) m_nWinHeight = FittingHeight();

    if (m_bLabelDirty) {
        m_TitleText.SetText(m_strTitle, m_nTitleHeight, 0xFFFFFFFF);
        const bool several = m_bPaging && !(m_nPageTop == 0 && m_nPageBottom + 1 == count);
        m_PageText.SetText("→次ページへ", m_nRowHeight, several ? 0xFF00FFFF : 0x40FFFFFF);
        m_TitleText.Render();
        m_PageText.Render();
        m_bLabelDirty = false;
    }
    if (m_nFrame < m_nOpenFrames) return;

    if (m_bTitle && m_TitleText.GetRenderTarget().GetTexture()) m_TitleText.GetRenderTarget().Draw(x + 12, y + 15);
    bool pageBar = false;
    if (m_bPaging) {
        // The label's colour follows whether there is more than one page.
        const bool several = HasSeveralPages();
        const uint32_t labelColor = several ? 0xFF00FFFF : 0x40FFFFFF;
        if (m_PageText.GetColor() != labelColor) {
            m_PageText.SetText("→次ページへ", m_nRowHeight, labelColor);
            m_PageText.Render();
        }
        if (m_PageText.GetRenderTarget().GetTexture()) m_PageText.GetRenderTarget().Draw(x + 12, rowY);
        m_rcNextPage = RECT{x, rowY, x + W, rowY + m_nRowHeight};
        IInputManager* in = Input(info);
        if (several && in && RectContainsMouse(m_rcNextPage, *in)) {
            m_PageBar.SetSize(float(W - 24), float(kPageBarHeight), m_dwCursorColor);
            m_PageBar.Draw(float(x + 12), float(rowY));
            pageBar = true;
        }
    }
    if (!pageBar && IsActive() && selectedY >= 0 && m_nSelect >= 0 && m_nSelect < count) {
        const CMenuItem& item = m_vItem[m_nSelect];
        const int h = std::min<int>(item.m_nDrawHeight, y + H - 15 - selectedY);
        if (h > 0) {
            m_SelectBar.SetSize(float(W - 24), float(h), m_dwCursorColor);
            m_SelectBar.Draw(float(x + 12), float(selectedY));
        }
    }
}
