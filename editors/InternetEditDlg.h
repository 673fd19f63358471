// The replica of the assistant's Internet welcome dialog: its paragraphs, check-box line and
// button captions are edit fields in which the administrator changes the texts of
// Text\InternetDlg where they will appear.
#pragma once

#include "editors/WelcomeReplicaDlg.h"

#include <string>

// The result with which OK ends the dialog.
inline constexpr int kInternetDialogStored = 30000;

class CInternetEditDlg : public CWelcomeReplicaDlg {
public:
    // Reads the dialog's texts at once; read failures are reported before the dialog is shown.
    explicit CInternetEditDlg(CWnd* pParent = nullptr);

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

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

private:
    void SaveTexts();
};
