// Construction of the main window: its data exchange, the steps that build the replica when
// the window opens, the pixel layout, the artwork and the fonts.
#include "mainwnd/AnimationDlg.h"

#include "config/ArtworkNames.h"
#include "controls/BitmapFile.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "framework/SystemLanguage.h"
#include "mainwnd/WesternLanguage.h"

#include <commctrl.h>

#include <climits>
#include <cstring>
#include <system_error>

namespace {

// The assistant's main window is always this big, at the top left corner of the screen.
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

// Pixel positions of the laid-out controls, in client coordinates.
constexpr std::array<int, 5> kCategoryY = {172, 222, 271, 321, 370};
constexpr std::array<int, 4> kWebLinkIconY = {168, 260, 356, 452};
constexpr std::array<int, 4> kWebLinkTextY = {184, 278, 374, 464};

// The Go text gets wider with its text, and the Go button stays right of it.
struct CGoSizing {
    int nMaxLength;  // the row applies up to this many characters
    int x;
    int cx;
    int xButton;
};
constexpr std::array<CGoSizing, 4> kGoSizing = {{
    {2, 262, 30, 292},
    {5, 262, 50, 321},
    {9, 262, 62, 327},
    {INT_MAX, 261, 110, 374},
}};
constexpr int kGoTextY = 450;
constexpr int kGoTextHeight = 30;
constexpr int kGoButtonY = 452;

// The background picture, with or without the maker's logo.
std::string BackgroundName(bool bNoLogo)
{
    return bNoLogo ? "BkgdNoLg.bmp" : "BkgdLogo.bmp";
}

// A point font from an otherwise empty LOGFONT, for the window's device context.
void CreateWindowFont(CFont& font, const CClientDC& dc, const char* faceName, int nTenthsOfPoint, LONG nWeight)
{
    LOGFONTA logFont{};
    logFont.lfHeight = nTenthsOfPoint;
    logFont.lfWeight = nWeight;
    std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
    font.CreatePointFontIndirect(logFont, dc.Get());
}

// A control of a hidden window is painted when the window is shown: only a visible one
// repaints with its new font at once.
void SetControlFont(HWND hwnd, HFONT font)
{
    ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), ::IsWindowVisible(hwnd));
}

}  // namespace

CAnimationDlg::CAnimationDlg(CWnd* pParent) : CDialog(IDD_ANIMATION, pParent)
{
    // The template's animation control needs its window class before the window is made.
    RegisterShockwaveFlashClass();
    m_nSelectedCategory = 0;
    m_bNoLogo = true;
    StartReadingArtwork();
    ReadMainTexts();
    ReadControlSettings();
    m_strSearchText.clear();
    for (std::string& text : m_strSubTopic)
        text.clear();
    m_strTitleText.clear();
    m_strHintText.clear();
    m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CAnimationDlg::~CAnimationDlg() = default;

void CAnimationDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HINT, m_wndHint);
    DDX_Control(pDX, IDC_TITLE, m_wndTitle);
    DDX_Control(pDX, IDC_GO_BUTTON, m_wndGoButton);
    DDX_Control(pDX, IDC_SEARCH_LABEL, m_wndQuickSearch);
    for (size_t i = 0; i < m_wndWebLinkIcon.size(); ++i)
        DDX_Control(pDX, kWebLinkIconIds[i], m_wndWebLinkIcon[i]);
    for (size_t i = 0; i < m_wndSubTopic.size(); ++i)
        DDX_Control(pDX, kSubTopicIds[i], m_wndSubTopic[i]);
    DDX_Control(pDX, IDC_CENTER_IMAGE, m_wndCenterImage);
    DDX_Control(pDX, IDC_SEARCH_EDIT, m_editSearch);
    DDX_Control(pDX, IDC_GO_TEXT, m_wndGoLabel);
    DDX_Control(pDX, IDC_SEARCH_HELP, m_wndSearchHelp);
    DDX_Control(pDX, IDC_CLOSE, m_wndClose);
    DDX_Control(pDX, IDC_MINIMIZE, m_wndMinimize);
    DDX_Control(pDX, IDC_LEFT_IMAGE, m_wndLeftImage);
    for (size_t i = 0; i < m_wndWebLinkText.size(); ++i)
        DDX_Control(pDX, kWebLinkTextIds[i], m_wndWebLinkText[i]);
    for (size_t i = 0; i < m_wndCategory.size(); ++i)
        DDX_Control(pDX, kCategoryIds[i], m_wndCategory[i]);
    DDX_Control(pDX, IDC_ANIMATION, m_flash);

    DDX_Text(pDX, IDC_SEARCH_EDIT, m_strSearchText);
    for (size_t i = 0; i < m_strSubTopic.size(); ++i)
        DDX_Text(pDX, kSubTopicIds[i], m_strSubTopic[i]);
    DDX_Text(pDX, IDC_TITLE, m_strTitleText);
    DDX_Text(pDX, IDC_HINT, m_strHintText);
}

BOOL CAnimationDlg::OnInitDialog()
{
    OnInitStepDone("window and controls made by the platform");
    // Binds the controls; the title, the hint and the sub-topic lines lose their template texts.
    CDialog::OnInitDialog();
    OnInitStepDone("data exchange");

    m_strCurrentDir = GetCurrentDirectoryString();

    m_toolTip.Create(m_hWnd);
    m_toolTip.Activate(true);
    OnInitStepDone("tooltip");

    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, kWindowWidth, kWindowHeight, SWP_NOCOPYBITS);
    OnInitStepDone("window placed and sized");
    LayOutControls();
    OnInitStepDone("layout");
    LoadArtwork();
    OnInitStepDone("artwork");
    m_flash.SetMovie(m_strCurrentDir + "\\images\\corvane.swf");
    OnInitStepDone("movie");

    ApplyIndent(m_settings.m_nTopLevelIndent);
    ApplyFonts();
    OnInitStepDone("fonts");
    ApplyTexts();
    // The layout sized the Go text for the template's text; size it for the one it shows now.
    SizeGoText();

    FillSubTopicLines(1);
    ConnectFields();
    OnInitStepDone("texts and fields");
    return TRUE;
}

void CAnimationDlg::MoveControl(const CWnd& control, int x, int y)
{
    MoveControl(control, x, y, 0, 0);
}

void CAnimationDlg::MoveControl(const CWnd& control, int x, int y, int cx, int cy)
{
    // A size of 0 x 0 keeps the control's size.
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (cx == 0 && cy == 0 ? SWP_NOSIZE : 0);
    if (m_bBatchingMoves)
        m_pendingMoves.push_back({control.m_hWnd, x, y, cx, cy, flags});
    else
        ::SetWindowPos(control.m_hWnd, nullptr, x, y, cx, cy, flags);
}

void CAnimationDlg::LayOutControls()
{
    // All moves go to the platform at once, and the window draws nothing until they are done.
    m_pendingMoves.clear();
    m_bBatchingMoves = true;
    AddLayoutMoves();
    m_bBatchingMoves = false;

    const bool bVisible = ::IsWindowVisible(m_hWnd);
    if (bVisible)
        ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    // No move invalidates anything: a hidden window is painted whole when it is shown, a
    // visible one is redrawn whole below.
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_pendingMoves.size()));
    for (const CControlMove& move : m_pendingMoves)
        if (batch)
            batch = ::DeferWindowPos(batch, move.hwnd, nullptr, move.x, move.y, move.cx, move.cy,
                                     move.flags | SWP_NOREDRAW);
    // A batch the platform could not hold is dropped whole: then every move goes on its own.
    if (!batch || !::EndDeferWindowPos(batch))
        for (const CControlMove& move : m_pendingMoves)
            ::SetWindowPos(move.hwnd, nullptr, move.x, move.y, move.cx, move.cy, move.flags | SWP_NOREDRAW);
    m_pendingMoves.clear();
    if (bVisible) {
        ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void CAnimationDlg::AddLayoutMoves()
{
    for (size_t i = 0; i < m_wndCategory.size(); ++i)
        MoveControl(m_wndCategory[i], 61, kCategoryY[i], 235, 26);
    MoveControl(m_wndQuickSearch, 61, 421);
    MoveControl(m_editSearch, 73, 455, 185, 24);
    MoveControl(m_wndSearchHelp, 77, 517);
    SizeGoText();
    MoveControl(m_wndLeftImage, 230, 100);
    MoveControl(m_wndCenterImage, 302, 130);
    // Line 15 keeps its place from the template.
    for (size_t line = 0; line < 14; ++line)
        MoveControl(m_wndSubTopic[line], 303, 131 + 20 * static_cast<int>(line), 273, 22);
    MoveControl(m_flash, 474, 0, 240, 130);
    MoveControl(m_wndMinimize, 747, 11);
    MoveControl(m_wndClose, 768, 11);
    for (size_t i = 0; i < m_wndWebLinkIcon.size(); ++i)
        MoveControl(m_wndWebLinkIcon[i], 585, kWebLinkIconY[i]);
    for (size_t i = 0; i < m_wndWebLinkText.size(); ++i)
        MoveControl(m_wndWebLinkText[i], 665, kWebLinkTextY[i], 105, 85);
}

void CAnimationDlg::SizeGoText()
{
    const int length = ::GetWindowTextLengthA(m_wndGoLabel.m_hWnd);
    for (const CGoSizing& row : kGoSizing) {
        if (length <= row.nMaxLength) {
            MoveControl(m_wndGoLabel, row.x, kGoTextY, row.cx, kGoTextHeight);
            MoveControl(m_wndGoButton, row.xButton, kGoButtonY);
            return;
        }
    }
}

std::string CAnimationDlg::ImagesFolder()
{
    return GetCurrentDirectoryString() + "\\images\\";
}

void CAnimationDlg::StartReadingArtwork()
{
    m_strArtworkFolder = ImagesFolder();
    m_bArtworkNoLogo = m_bNoLogo;
    try {
        m_artworkReading = std::async(std::launch::async, &CAnimationDlg::ReadArtwork, m_strArtworkFolder, m_bNoLogo);
    } catch (const std::system_error&) {
        // No thread to spare: initialisation reads the pictures itself.
    }
}

CAnimationDlg::CArtwork CAnimationDlg::ReadArtwork(const std::string& images, bool bNoLogo)
{
    CArtwork artwork;
    LoadBitmapFile(artwork.m_bmpBackground, images + BackgroundName(bNoLogo));
    LoadBitmapFile(artwork.m_bmpLeftImage, images + SideImageName(0));
    LoadBitmapFile(artwork.m_bmpCenterRest, images + "cntrRest.bmp");
    for (size_t i = 0; i < artwork.m_bmpCategoryRest.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        LoadBitmapFile(artwork.m_bmpCategoryRest[i], images + "L" + number + "Rest.bmp");
        LoadBitmapFile(artwork.m_bmpCategoryHigh[i], images + "L" + number + "High.bmp");
    }
    for (size_t i = 0; i < artwork.m_bmpWebLinkIcon.size(); ++i) {
        const int nIcon = static_cast<int>(i) + 1;
        LoadBitmapFile(artwork.m_bmpWebLinkIcon[i], images + WebLinkIconName(nIcon));
        LoadBitmapFile(artwork.m_bmpWebLinkIconHigh[i], images + WebLinkHighlightName(nIcon));
    }
    LoadBitmapFile(artwork.m_bmpMinimize, images + "minimize.bmp");
    LoadBitmapFile(artwork.m_bmpClose, images + "close.bmp");
    LoadBitmapFile(artwork.m_bmpGoRest, images + "gobtn_re.bmp");
    LoadBitmapFile(artwork.m_bmpGoHigh, images + "gobtn_hi.bmp");
    return artwork;
}

void CAnimationDlg::LoadArtwork()
{
    // The pictures read since construction serve when the folder and the background choice
    // are still those they were read for; otherwise they are read again here.
    const std::string images = ImagesFolder();
    if (m_artworkReading.valid()) {
        m_artwork = m_artworkReading.get();
        if (images != m_strArtworkFolder)
            m_artwork = ReadArtwork(images, m_bNoLogo);
        else if (m_bNoLogo != m_bArtworkNoLogo)
            LoadBitmapFile(m_artwork.m_bmpBackground, images + BackgroundName(m_bNoLogo));
    } else {
        m_artwork = ReadArtwork(images, m_bNoLogo);
    }

    ::SendMessageA(m_wndLeftImage.m_hWnd, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(m_artwork.m_bmpLeftImage.GetSafeHandle()));
    ::SendMessageA(m_wndCenterImage.m_hWnd, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(m_artwork.m_bmpCenterRest.GetSafeHandle()));
    for (size_t i = 0; i < m_wndCategory.size(); ++i)
        m_wndCategory[i].SetBitmaps(&m_artwork.m_bmpCategoryRest[i], &m_artwork.m_bmpCategoryHigh[i]);
    for (size_t i = 0; i < m_wndWebLinkIcon.size(); ++i)
        m_wndWebLinkIcon[i].SetBitmaps(&m_artwork.m_bmpWebLinkIcon[i], &m_artwork.m_bmpWebLinkIconHigh[i]);
    // The web-link texts are text only.
    for (CBitmapStatic& text : m_wndWebLinkText)
        text.SetBitmaps(nullptr, nullptr);
    m_wndMinimize.SetBitmaps(&m_artwork.m_bmpMinimize, &m_artwork.m_bmpMinimize);
    m_wndClose.SetBitmaps(&m_artwork.m_bmpClose, &m_artwork.m_bmpClose);
    m_wndGoButton.SetBitmaps(&m_artwork.m_bmpGoRest, &m_artwork.m_bmpGoHigh);

    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
}

void CAnimationDlg::ApplyFonts()
{
    // The assistant draws Western languages in its own fonts and every other language in the
    // system font; the hint line then keeps the dialog's font.
    HFONT line = nullptr;
    HFONT category = nullptr;
    HFONT title = nullptr;
    HFONT hint = nullptr;
    if (IsWesternLanguage(SystemDefaultLanguage())) {
        // One device context serves all four.
        CClientDC dc(m_hWnd);
        CreateWindowFont(m_fonts.m_fontLine, dc, "Arial", 100, FW_NORMAL);
        CreateWindowFont(m_fonts.m_fontCategory, dc, "Arial", 118, FW_BOLD);
        CreateWindowFont(m_fonts.m_fontTitle, dc, "Times", 300, FW_BOLD);
        CreateWindowFont(m_fonts.m_fontHint, dc, "Times", 200, FW_BOLD);
        line = m_fonts.m_fontLine.GetSafeHandle();
        category = m_fonts.m_fontCategory.GetSafeHandle();
        title = m_fonts.m_fontTitle.GetSafeHandle();
        hint = m_fonts.m_fontHint.GetSafeHandle();
    } else {
        m_fonts.m_hSystemFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
        line = category = title = m_fonts.m_hSystemFont;
    }

    for (const CBitmapStatic& subTopic : m_wndSubTopic)
        SetControlFont(subTopic.m_hWnd, line);
    SetControlFont(m_wndSearchHelp.m_hWnd, line);
    SetControlFont(m_toolTip.m_hWnd, line);
    for (const CBitmapStatic& text : m_wndWebLinkText)
        SetControlFont(text.m_hWnd, line);

    for (const CBitmapStatic& label : m_wndCategory)
        SetControlFont(label.m_hWnd, category);
    SetControlFont(m_wndQuickSearch.m_hWnd, category);
    SetControlFont(m_wndGoLabel.m_hWnd, category);

    SetControlFont(m_wndTitle.m_hWnd, title);
    if (hint)
        SetControlFont(m_wndHint.m_hWnd, hint);

    SetControlFont(m_editSearch.m_hWnd, static_cast<HFONT>(::GetStockObject(SYSTEM_FONT)));
    ::SendMessageA(m_editSearch.m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
}
