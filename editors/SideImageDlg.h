// The replacement of the six pictures beside the text of the assistant's main window: the
// default picture and one for each of five lines.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <array>
#include <string>

class CSideImageDlg : public CDialog {
public:
    explicit CSideImageDlg(CWnd* pParent = nullptr);

    static constexpr int kSlots = 6;

    // Per slot (index s - 1): the static of the new picture, the static of the existing one.
    std::array<CWnd, kSlots> m_staticNew;
    std::array<CWnd, kSlots> m_staticExisting;
    CWnd m_btnOK;
    std::array<std::string, kSlots> m_strNewImageFile;       // the chosen bitmaps, "" until chosen
    std::array<std::string, kSlots> m_strExistingImageText;  // exchanged, not used
    std::array<CBitmap, kSlots> m_bmpExisting;
    std::array<CBitmap, kSlots> m_bmpNew;

    // Backs up the picture of slot s (1 to 6) and installs the chosen file. False when the
    // slot stopped at a failure or has no chosen file.
    bool ReplaceImageFile(int nSlot);

protected:
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnClickNewImage(int nSlot);
    void OnClickExistingImage(int) {}
};
