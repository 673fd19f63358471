// The hot-key button application editor: the display name and command line of the program
// that the keyboard's "Nimbook" button launches.
#pragma once

#include "config/RegistryAccess.h"
#include "framework/Dialog.h"

#include <string>

class CHotkeyAppDlg : public CDialog {
public:
    explicit CHotkeyAppDlg(CWnd* pParent = nullptr);

    std::string m_strDispName;
    std::string m_strFile;

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    LRESULT OnPaint(WPARAM, LPARAM);
    void OnMaxText() {}
    void OnBrowse();

    CWnd m_btnBrowse;
    CWnd m_btnOK;
    CWnd m_btnCancel;

private:
    // Reads one value of the hot-key key, reporting a failure in a box owned by the dialog,
    // and records what was read so that OK never overwrites a value it could not show.
    void ReadHotkeyValue(const char* name, std::string& value, CRegFieldState& state);

    CRegFieldState m_stateDispName;
    CRegFieldState m_stateFile;
};
