// The replica of the assistant's software CD welcome dialog: its five paragraphs are edit
// fields in which the administrator changes the texts of Text\CDDlg where they will appear.
#pragma once

#include "config/RegistryAccess.h"
#include "controls/BitmapStatic.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <array>
#include <string>

class CCdEditDlg : public CDialog {
public:
    // Reads the dialog's texts at once; read failures are reported before the dialog is shown.
    explicit CCdEditDlg(CWnd* pParent = nullptr);
    ~CCdEditDlg() override;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    template <UINT nCtlColor>
    LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
    void OnOkay();
    void OnChangeText();

    CBitmapStatic m_stcOkay;    // the OK picture label
    CBitmapStatic m_stcNotice;  // the notice line; it has no pictures
    CWnd m_chkNoShow;
    BOOL m_bNoShow = FALSE;     // shown only: the replica stores no state for it
    std::string m_strText1;
    std::string m_strText2;
    std::string m_strText3;
    std::string m_strText4;
    std::string m_strText5;
    HFONT m_hFont = nullptr;    // the stock font, on systems that are not English
    CFont m_font;               // Arial, on English systems
    CBitmap m_bmpButton;
    CBitmap m_bmpBackground;
    // Slots 1 to 10 hold the values in the order they are read (TITLE ... COPYRIGHT).
    std::array<std::string, 25> m_astrValues;
    bool m_bModified = false;   // an edit field changed since the dialog opened
    bool m_bBrowserFound = false;  // the fields show TEXT4 and TEXT5, not the no-browser text
    // What was read of TEXT1 to TEXT5: OK never overwrites a paragraph it could not show.
    std::array<CRegFieldState, 5> m_textStates;

private:
    void LoadTexts();
    void SetupFonts();
    void TestBrowser();
    void SaveTexts();
};
