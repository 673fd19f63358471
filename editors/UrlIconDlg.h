// The exchange of one web link's two icons, the normal one and the one the assistant shows
// while the pointer is over the link.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <string>

class CUrlIconDlg : public CDialog {
public:
    explicit CUrlIconDlg(CWnd* pParent = nullptr);

    CWnd m_staticHighlight;
    CWnd m_staticNormal;
    std::string m_strIconNumber;        // "1" to "4", set by the caller
    std::string m_strNewNormalFile;     // the chosen normal bitmap, "" until one is chosen
    std::string m_strNewHighlightFile;  // the chosen highlighted bitmap
    CBitmap m_bmpNormal;
    CBitmap m_bmpHighlight;

    // Backs up both icons of web link n and installs the chosen files. False when it stopped
    // at a failure.
    bool ReplaceIconFiles(int nIcon);

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnClickNormalBitmap();
    void OnClickHighlightBitmap();
};
