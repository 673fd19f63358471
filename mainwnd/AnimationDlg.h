// CAnimationDlg: the main customization window, a replica of the assistant's main window
// built from the assistant's registry texts and bitmap files. A click on a field of the
// replica asks to change that field.
#pragma once

#include "controls/BitmapStatic.h"
#include "flash/ShockwaveFlash.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/ToolTipCtrl.h"
#include "res/resource.h"

#include <windows.h>

#include <array>
#include <future>
#include <string>
#include <vector>

class CAnimationDlg : public CDialog {
public:
    // Reads the registry; its failures are reported before the window exists.
    explicit CAnimationDlg(CWnd* pParent = nullptr);
    ~CAnimationDlg() override;

    // Settings of one category button, read so that unreadable values are reported.
    struct CCategorySettings {
        std::string m_strInformationSource;
        std::string m_strLaunchableItem;
        std::array<std::string, 9> m_strTopic;
    };
    // Settings of one web link, read for the same reason.
    struct CWebLinkSettings {
        std::string m_strInformationSource;
        std::string m_strLaunchableItem;
    };
    // What the window reads from the registry when it is constructed.
    struct CSettings {
        std::array<std::string, 17> m_strMainText;  // indexed 1 to 16; 0 is not used
        std::string m_strInitError;                 // the main text INIT_ERROR, kept when the window opens
        std::array<CCategorySettings, 5> m_categorySettings;
        std::array<CWebLinkSettings, 4> m_webLinkSettings;
        std::string m_strSearchChm;
        std::string m_strSearchHtml;
        std::string m_strSearchSource;
        int m_nTopLevelIndent = 0;
        int m_nSubLevelIndent = 0;
    };
    const CSettings& GetSettings() const { return m_settings; }

    // The pictures of the replica, loaded from the images folder when it opens.
    struct CArtwork {
        CBitmap m_bmpBackground;
        CBitmap m_bmpLeftImage;
        CBitmap m_bmpCenterRest;
        std::array<CBitmap, 5> m_bmpCategoryRest;
        std::array<CBitmap, 5> m_bmpCategoryHigh;
        std::array<CBitmap, 4> m_bmpWebLinkIcon;
        std::array<CBitmap, 4> m_bmpWebLinkIconHigh;
        CBitmap m_bmpMinimize;
        CBitmap m_bmpClose;
        CBitmap m_bmpGoRest;
        CBitmap m_bmpGoHigh;
    };
    const CArtwork& GetArtwork() const { return m_artwork; }

    // The assistant's fonts, made for Western languages; otherwise the stock system font.
    struct CFonts {
        CFont m_fontLine;
        CFont m_fontCategory;
        CFont m_fontTitle;
        CFont m_fontHint;
        HFONT m_hSystemFont = nullptr;  // not owned
    };
    const CFonts& GetFonts() const { return m_fonts; }

    // How much the pointer made the replica repaint: the hover operations repaint only the
    // controls whose picture changes.
    struct CHoverStatistics {
        int nResets = 0;          // returns to the rest state
        int nWebLinkHovers = 0;   // web-link reports of the bitmap controls
        int nRepaints = 0;        // controls repainted because their state changed
    };
    const CHoverStatistics& GetHoverStatistics() const { return m_hoverStatistics; }

    const CShockwaveFlash& GetFlash() const { return m_flash; }
    HWND GetToolTipWindow() const { return m_toolTip.m_hWnd; }
    // The search field's text, as the last exchange took it.
    const std::string& GetSearchText() const { return m_strSearchText; }

    // The background with the logo ("BkgdLogo.bmp") instead of the one without; before opening.
    void SetNoLogo(bool bNoLogo) { m_bNoLogo = bNoLogo; }

    // Feeds and styles the tooltips of the close and minimize fields.
    bool PreTranslateMessage(MSG* pMsg) override;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Told when each step of the initialisation is done, by a short name; the benchmark times
    // the steps with it.
    virtual void OnInitStepDone(const char* /*pszStep*/) {}

    // Building the replica (AnimationDlg.cpp).
    void LayOutControls();
    void AddLayoutMoves();
    void SizeGoText();
    void StartReadingArtwork();
    void LoadArtwork();
    // The installation's images folder, ending in a backslash.
    static std::string ImagesFolder();
    // Reads every picture of the replica from the images folder (ending in a backslash).
    static CArtwork ReadArtwork(const std::string& imagesFolder, bool bNoLogo);
    void ApplyFonts();
    // Gives the fields their text colours and their hover handlers.
    void ConnectFields();
    template <size_t N>
    void ConnectHover(std::array<CBitmapStatic, N>& fields, void (CAnimationDlg::*onHover)(int));
    // Moves a bound control, or adds the move to the batch that LayOutControls applies at once.
    void MoveControl(const CWnd& control, int x, int y);
    void MoveControl(const CWnd& control, int x, int y, int cx, int cy);

    // Texts and settings (AnimationDlgTexts.cpp). Each read returns whether every read
    // succeeded.
    bool ReadMainTexts();
    bool ReadControlSettings();
    bool ReadCategorySettings();
    bool ReadWebLinkSettings();
    void ApplyIndent(int nCount);
    void ApplyTexts();
    void FillSubTopicLines(int nCategory);

    // Drawing, highlighting and dragging (AnimationDlgDrawing.cpp).
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    // The static controls' colours (the map takes WM_CTLCOLORSTATIC only).
    HBRUSH OnCtlColor(HDC hdc, HWND hwndControl, UINT nCtlColor);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnIconEraseBkgnd(WPARAM wParam, LPARAM lParam);
    void ResetHover();
    void ShowSearchHelp();
    void HideSearchHelp();
    void HighlightWebLink(int nWebLink);
    // Sets a field's highlight; the field repaints only when its state changes.
    void SetFieldHighlight(CBitmapStatic& field, bool bHighlight);
    // Shows a bitmap in a picture static, repainting it only when the picture changes.
    bool SetPicture(CWnd& picture, const CBitmap& bitmap);

    // The animation control's events (AnimationDlgFlash.cpp).
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    void OnReadyStateChange(long nReadyState);

    // Field clicks (AnimationDlgCommands.cpp).
    void OnEditField(int nField);
    void OnClickWebLinkIcon(int nIcon);
    void OnClickLeftImage();
    void OnEditInternetWelcome();
    void OnNonCustomizable();
    void OnDefaultButton();
    void OnClickClose();
    void OnClickMinimize();
    void OnClickSubTopic(int nLine);

    // What the window shows again after an editor returns (AnimationDlgReloads.cpp).
    void ReloadFieldText(int nField);
    void ReloadArtwork(int nImage);
    void RedrawAll();
    // The per-user switch of the assistant's Internet welcome dialog: false when it says hidden.
    bool IsInternetDialogEnabled();

private:
    // What the pointer over a field of each kind does (1 is the first line, label or link).
    void OnSubTopicHover(int nLine);
    void OnCategoryHover(int nCategory);
    void OnWebLinkHover(int nWebLink);

    bool m_bNoLogo = true;  // true: background "BkgdNoLg.bmp", false: "BkgdLogo.bmp"
    CSettings m_settings;
    std::string m_strCurrentDir;
    HICON m_hIcon = nullptr;
    CArtwork m_artwork;
    // The pictures are read on a thread of their own from construction on, while the window
    // is being made; initialisation takes them if they are still the ones it would read.
    std::future<CArtwork> m_artworkReading;
    std::string m_strArtworkFolder;
    bool m_bArtworkNoLogo = true;
    CFonts m_fonts;

    // The controls, bound when the window opens.
    CBitmapStatic m_wndHint;
    CBitmapStatic m_wndTitle;
    CBitmapStatic m_wndGoButton;
    CBitmapStatic m_wndQuickSearch;
    std::array<CBitmapStatic, 4> m_wndWebLinkIcon;
    std::array<CBitmapStatic, 15> m_wndSubTopic;
    CWnd m_wndCenterImage;
    CWnd m_editSearch;
    CWnd m_wndGoLabel;
    CWnd m_wndSearchHelp;
    CBitmapStatic m_wndClose;
    CBitmapStatic m_wndMinimize;
    CWnd m_wndLeftImage;
    std::array<CBitmapStatic, 4> m_wndWebLinkText;
    std::array<CBitmapStatic, 5> m_wndCategory;
    CShockwaveFlash m_flash;
    CToolTipCtrl m_toolTip;

    // The texts the data exchange moves between the controls and the window.
    std::string m_strSearchText;
    std::array<std::string, 15> m_strSubTopic;
    std::string m_strTitleText;
    std::string m_strHintText;

    int m_nSelectedCategory = 0;
    CHoverStatistics m_hoverStatistics;

    // The moves of the layout, collected and applied as one deferred move.
    struct CControlMove {
        HWND hwnd;
        int x, y, cx, cy;
        UINT flags;
    };
    std::vector<CControlMove> m_pendingMoves;
    bool m_bBatchingMoves = false;
};

// Control ids of the replica's fields, in the order of their numbers.
inline constexpr std::array<int, 5> kCategoryIds = {IDC_CATEGORY1, IDC_CATEGORY2, IDC_CATEGORY3, IDC_CATEGORY4,
                                                    IDC_CATEGORY5};
inline constexpr std::array<int, 4> kWebLinkTextIds = {IDC_WEBLINK_TEXT1, IDC_WEBLINK_TEXT2, IDC_WEBLINK_TEXT3,
                                                       IDC_WEBLINK_TEXT4};
inline constexpr std::array<int, 4> kWebLinkIconIds = {IDC_WEBLINK_ICON1, IDC_WEBLINK_ICON2, IDC_WEBLINK_ICON3,
                                                       IDC_WEBLINK_ICON4};
inline constexpr std::array<int, 15> kSubTopicIds = {
    IDC_SUBTOPIC1,  IDC_SUBTOPIC2,  IDC_SUBTOPIC3,  IDC_SUBTOPIC4,  IDC_SUBTOPIC5,
    IDC_SUBTOPIC6,  IDC_SUBTOPIC7,  IDC_SUBTOPIC8,  IDC_SUBTOPIC9,  IDC_SUBTOPIC10,
    IDC_SUBTOPIC11, IDC_SUBTOPIC12, IDC_SUBTOPIC13, IDC_SUBTOPIC14, IDC_SUBTOPIC15};
