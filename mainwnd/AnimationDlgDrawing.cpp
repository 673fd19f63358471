// Drawing of the main window: its tiled background, its floating texts in the assistant's
// colours, the fields' hover handlers, the web-link highlight that follows the pointer, the
// search help, the rest state, dragging by the top strip, and the styling of the tooltips.
#include "mainwnd/AnimationDlg.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

constexpr COLORREF kHighlightedText = RGB(238, 181, 4);
constexpr COLORREF kNormalText = RGB(255, 255, 255);
constexpr COLORREF kTitleText = RGB(0, 255, 255);
constexpr COLORREF kHintText = RGB(255, 255, 64);
constexpr COLORREF kTipText = RGB(255, 255, 255);
constexpr COLORREF kTipBackground = RGB(0, 17, 40);
constexpr int kTipMaxWidth = 200;
constexpr int kTipInitialDelay = 300;

// Areas of the window, relative to its top left corner in screen coordinates.
constexpr int kDragStripHeight = 100;   // the top strip drags the window
constexpr int kLinkColumnLeft = 575;    // right of it, the background returns to rest
constexpr RECT kSearchArea = {60, 419, 375, 514};  // inside it, the search help shows
constexpr int kBelowSearch = 515;
constexpr int kAboveSearch = 420;

}  // namespace

LRESULT CAnimationDlg::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    HDC hdc = reinterpret_cast<HDC>(wParam);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;

    BITMAP bm{};
    if (!m_artwork.m_bmpBackground.GetBitmap(bm)) {
        // No picture to size or tile from.
        ::FillRect(hdc, &rc, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        return TRUE;
    }

    CMemoryDC memory(hdc);
    CSelectObject select(memory.Get(), m_artwork.m_bmpBackground.GetSafeHandle());
    if (bm.bmWidth >= w && bm.bmHeight >= h) {
        ::BitBlt(hdc, rc.left, rc.top, w, h, memory.Get(), 0, 0, SRCCOPY);
    } else if (h >= 1) {
        // Tiles as big as the picture; each copy is clipped to the picture's own extent.
        const int copyWidth = std::min(w, static_cast<int>(bm.bmWidth));
        const int copyHeight = std::min(h, static_cast<int>(bm.bmHeight));
        for (int y = 0; y < h; y += bm.bmHeight)
            for (int x = 0; x < w; x += bm.bmWidth)
                ::BitBlt(hdc, x, y, copyWidth, copyHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    return TRUE;
}

HBRUSH CAnimationDlg::OnCtlColor(HDC hdc, HWND hwndControl, UINT)
{
    // Static texts float over the pictures behind them, each bitmap control in the colour of its
    // state.
    ::SetBkMode(hdc, TRANSPARENT);
    const auto* field = dynamic_cast<const CBitmapStatic*>(CWnd::FromHandle(hwndControl));
    ::SetTextColor(hdc, field ? field->GetTextColour() : kNormalText);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

template <size_t N>
void CAnimationDlg::ConnectHover(std::array<CBitmapStatic, N>& fields, void (CAnimationDlg::*onHover)(int))
{
    for (size_t i = 0; i < N; ++i)
        fields[i].SetHoverCallback([this, onHover, nField = static_cast<int>(i) + 1] { (this->*onHover)(nField); });
}

void CAnimationDlg::ConnectFields()
{
    m_wndTitle.SetTextColours(kTitleText, kTitleText);
    m_wndHint.SetTextColours(kHintText, kHintText);
    for (CBitmapStatic& line : m_wndSubTopic)
        line.SetTextColours(kNormalText, kHighlightedText);
    for (CBitmapStatic& label : m_wndCategory)
        label.SetTextColours(kNormalText, kHighlightedText);
    for (CBitmapStatic& text : m_wndWebLinkText)
        text.SetTextColours(kNormalText, kHighlightedText);

    ConnectHover(m_wndSubTopic, &CAnimationDlg::OnSubTopicHover);
    ConnectHover(m_wndCategory, &CAnimationDlg::OnCategoryHover);
    // A web link's text and icon highlight the same link.
    ConnectHover(m_wndWebLinkText, &CAnimationDlg::OnWebLinkHover);
    ConnectHover(m_wndWebLinkIcon, &CAnimationDlg::OnWebLinkHover);
}

LRESULT CAnimationDlg::OnNcHitTest(WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    const int left = rc.left;
    const int top = rc.top;

    if (left < x && x < rc.right && top < y && y < top + kDragStripHeight) {
        ResetHover();
        return HTCAPTION;
    }
    // The areas overlap; each test runs whatever the ones before it found.
    if (x > left + kLinkColumnLeft) {
        HideSearchHelp();
        ResetHover();
    }
    if (left + kSearchArea.left < x && x < left + kSearchArea.right && top + kSearchArea.top < y &&
        y < top + kSearchArea.bottom)
        ShowSearchHelp();
    if (x < left + kSearchArea.left) {
        HideSearchHelp();
        ResetHover();
    }
    if (y > top + kBelowSearch) {
        ResetHover();
        HideSearchHelp();
    }
    if (y < top + kAboveSearch)
        HideSearchHelp();
    return Default(WM_NCHITTEST, wParam, lParam);
}

LRESULT CAnimationDlg::OnIconEraseBkgnd(WPARAM wParam, LPARAM lParam)
{
    return Default(WM_ICONERASEBKGND, wParam, lParam);
}

void CAnimationDlg::ShowSearchHelp()
{
    if (!::IsWindowVisible(m_wndSearchHelp.m_hWnd)) {
        ::ShowWindow(m_wndSearchHelp.m_hWnd, SW_SHOWNORMAL);
        ++m_hoverStatistics.nRepaints;
    }
    ResetHover();
}

void CAnimationDlg::HideSearchHelp()
{
    if (::IsWindowVisible(m_wndSearchHelp.m_hWnd)) {
        ::ShowWindow(m_wndSearchHelp.m_hWnd, SW_HIDE);
        ++m_hoverStatistics.nRepaints;
    }
}

void CAnimationDlg::SetFieldHighlight(CBitmapStatic& field, bool bHighlight)
{
    if (field.SetHighlight(bHighlight))
        ++m_hoverStatistics.nRepaints;
}

bool CAnimationDlg::SetPicture(CWnd& picture, const CBitmap& bitmap)
{
    HBITMAP shown = reinterpret_cast<HBITMAP>(::SendMessageA(picture.m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown == bitmap.GetSafeHandle())
        return false;
    ::SendMessageA(picture.m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.GetSafeHandle()));
    ++m_hoverStatistics.nRepaints;
    return true;
}

void CAnimationDlg::ResetHover()
{
    ++m_hoverStatistics.nResets;
    m_nSelectedCategory = 0;
    HighlightWebLink(0);
    for (CBitmapStatic& line : m_wndSubTopic)
        SetFieldHighlight(line, false);

    const bool bCenterChanged = SetPicture(m_wndCenterImage, m_artwork.m_bmpCenterRest);
    for (CBitmapStatic& line : m_wndSubTopic) {
        if (::IsWindowVisible(line.m_hWnd)) {
            ::ShowWindow(line.m_hWnd, SW_HIDE);
            ++m_hoverStatistics.nRepaints;
        }
    }
    if (bCenterChanged)
        ::InvalidateRect(m_wndCenterImage.m_hWnd, nullptr, TRUE);

    SetPicture(m_wndLeftImage, m_artwork.m_bmpLeftImage);

    for (CBitmapStatic& label : m_wndCategory)
        SetFieldHighlight(label, false);
}

void CAnimationDlg::OnWebLinkHover(int nWebLink)
{
    ++m_hoverStatistics.nWebLinkHovers;
    HighlightWebLink(nWebLink);
}

void CAnimationDlg::HighlightWebLink(int nWebLink)
{
    // Web link n (1 to 4) highlighted, every other one at rest; 0 puts all at rest.
    for (size_t i = 0; i < m_wndWebLinkText.size(); ++i) {
        const bool bHighlight = static_cast<int>(i) + 1 == nWebLink;
        SetFieldHighlight(m_wndWebLinkText[i], bHighlight);
        SetFieldHighlight(m_wndWebLinkIcon[i], bHighlight);
    }
}

void CAnimationDlg::OnSubTopicHover(int nLine)
{
    for (size_t i = 0; i < m_wndSubTopic.size(); ++i)
        SetFieldHighlight(m_wndSubTopic[i], static_cast<int>(i) + 1 == nLine);
}

void CAnimationDlg::OnCategoryHover(int)
{
    // The category labels keep their rest picture and white text.
}

bool CAnimationDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.m_hWnd) {
        m_toolTip.RelayEvent(pMsg);
        m_toolTip.SetTipTextColor(kTipText);
        m_toolTip.SetMaxTipWidth(kTipMaxWidth);
        m_toolTip.SetTipBkColor(kTipBackground);
        m_toolTip.SetDelayTime(TTDT_INITIAL, kTipInitialDelay);
    }
    return CDialog::PreTranslateMessage(pMsg);
}
