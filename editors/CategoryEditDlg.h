// The editor of one category label or web link of the assistant's main window: the text it
// shows, the kind of target it opens and the target itself.
#pragma once

#include "config/RegistryAccess.h"
#include "config/TextFields.h"
#include "framework/Dialog.h"

#include <string>

class CCategoryEditDlg : public CDialog {
public:
    explicit CCategoryEditDlg(CWnd* pParent = nullptr);

    CWnd m_editLaunchableItem;
    CWnd m_comboSource;
    CWnd m_btnOK;
    CWnd m_btnCancel;
    std::string m_strLaunchableItem;       // at most 256 characters
    std::string m_strButtonText;
    std::string m_strFieldNumber;          // "1" to "4": web links, "5" to "9": category labels
    std::string m_strSavedLaunchableItem;  // as loaded ("" when the source was "IOIS")

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSelchangeInformationSource();
    void OnIgnoredEditNotification() {}

private:
    bool IsCategory() const { return IsCategoryField(m_nField); }
    // The combo position of a stored code, or -1; the code at a position, or "".
    int PositionOfSource(const std::string& code) const;
    std::string SourceAtPosition(int position) const;
    void SetItemReadOnly(bool bReadOnly);

    int m_nField = 0;
    // What was read at opening, so that OK never overwrites a value it could not read.
    std::string m_strStoredSource;
    CRegFieldState m_sourceState;
    CRegFieldState m_itemState;
    CRegFieldState m_textState;
};
