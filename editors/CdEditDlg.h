// The replica of the assistant's software CD welcome dialog: its five paragraphs are edit
// fields in which the administrator changes the texts of Text\CDDlg where they will appear.
#pragma once

#include "controls/BitmapStatic.h"
#include "editors/WelcomeReplicaDlg.h"
#include "framework/Gdi.h"

#include <array>
#include <string>

class CCdEditDlg : public CWelcomeReplicaDlg {
public:
    // Reads the dialog's texts at once; read failures are reported before the dialog is shown.
    explicit CCdEditDlg(CWnd* pParent = nullptr);

    CBitmapStatic m_stcOkay;    // the OK picture label
    CBitmapStatic m_stcNotice;  // the notice line; it has no pictures
    CWnd m_chkNoShow;
    BOOL m_bNoShow = FALSE;     // shown only: the replica stores no state for it
    std::array<std::string, 5> m_strText;  // the five paragraphs, TEXT1 to TEXT5
    CBitmap m_bmpButton;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnOkay();

private:
    void TestBrowser();
    void SaveTexts();

    bool m_bBrowserFound = false;  // the fields show TEXT4 and TEXT5, not the no-browser text
};
