// The replica of the assistant's Internet welcome dialog: its paragraphs, check-box line and
// button captions are edit fields in which the administrator changes the texts of
// Text\InternetDlg where they will appear.
#pragma once

#include "config/RegistryAccess.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <array>
#include <string>

// The result with which OK ends the dialog.
inline constexpr int kInternetDialogStored = 30000;

class CInternetEditDlg : public CDialog {
public:
    // Reads the dialog's texts at once; read failures are reported before the dialog is shown.
    explicit CInternetEditDlg(CWnd* pParent = nullptr);
    ~CInternetEditDlg() override;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    template <UINT nCtlColor>
    LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
    void OnChangeText();
    void OnOkay();

    CWnd m_btnOK;
    std::string m_strText1;
    std::string m_strText2;
    std::string m_strText3;
    std::string m_strNoShow;  // at most 80 characters
    std::string m_strTryAgain;
    std::string m_strShowMe;
    std::string m_strCancel;
    std::string m_strHelpFile;
    CBitmap m_bmpBackground;
    CFont m_font;  // Arial, on English systems
    // Slots 1 to 8 hold the values in the order they are read (WELCOME ... NO_SHOW).
    std::array<std::string, 25> m_astrValues;
    // What each read gave, so that a value that could not be read is written only when typed.
    std::array<CRegFieldState, 25> m_valueStates;
    bool m_bModified = false;  // the administrator changed a field
    bool m_bFilling = false;   // the fields are being filled, which is no change

private:
    void LoadTexts();
    void SaveTexts();
};
