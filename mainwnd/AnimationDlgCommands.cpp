// What a click on each field of the main window does, and the window's message map.
#include "mainwnd/AnimationDlg.h"

#include "config/TextFields.h"
#include "editors/CategoryEditDlg.h"
#include "editors/InternetEditDlg.h"
#include "editors/SideImageDlg.h"
#include "editors/UrlIconDlg.h"

#include <iterator>

namespace {

const char kNonCustomizableText[] = "Customization of this Access Nimbook information field is not supported.";
const char kNonCustomizableCaption[] = "Access Nimbook Customization - Non-customizable Field";

}  // namespace

const MessageMap* CAnimationDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        // Drawing, highlighting and dragging.
        MapCtlColor(&CAnimationDlg::OnCtlColor, WM_CTLCOLORSTATIC),
        MapMessage(WM_ERASEBKGND, &CAnimationDlg::OnEraseBkgnd),
        MapMessage(WM_NCHITTEST, &CAnimationDlg::OnNcHitTest),
        MapMessage(WM_ICONERASEBKGND, &CAnimationDlg::OnIconEraseBkgnd),
        // Events of the animation control.
        MapMessage(WM_NOTIFY, &CAnimationDlg::OnNotify),

        // Web-link texts: fields 1 to 4; category labels: fields 5 to 9.
        MapCommandTable(kWebLinkTextIds, STN_CLICKED, &CAnimationDlg::OnEditField),
        MapCommandTable(kCategoryIds, STN_CLICKED, &CAnimationDlg::OnEditField, kFirstCategoryField),
        MapCommandTable(kWebLinkIconIds, STN_CLICKED, &CAnimationDlg::OnClickWebLinkIcon),
        MapCommand(IDC_LEFT_IMAGE, STN_CLICKED, &CAnimationDlg::OnClickLeftImage),
        MapCommand(IDC_EDIT_INTERNET_WELCOME, BN_CLICKED, &CAnimationDlg::OnEditInternetWelcome),

        // Fields of the assistant that cannot be customized.
        MapCommand(IDC_GO_BUTTON, STN_CLICKED, &CAnimationDlg::OnNonCustomizable),
        MapCommand(IDC_GO_TEXT, STN_CLICKED, &CAnimationDlg::OnNonCustomizable),
        MapCommand(IDC_SEARCH_LABEL, STN_CLICKED, &CAnimationDlg::OnNonCustomizable),
        MapCommand(IDC_SEARCH_EDIT, EN_CHANGE, &CAnimationDlg::OnNonCustomizable),
        MapCommand(IDC_DEFAULT_BUTTON, BN_CLICKED, &CAnimationDlg::OnDefaultButton),

        MapCommand(IDC_CLOSE, STN_CLICKED, &CAnimationDlg::OnClickClose),
        MapCommand(IDC_MINIMIZE, STN_CLICKED, &CAnimationDlg::OnClickMinimize),

        MapCommandTable(kSubTopicIds, STN_CLICKED, &CAnimationDlg::OnClickSubTopic),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

// Each editor runs on its own; whatever it returns, the window shows again what it can have changed.
void CAnimationDlg::OnEditField(int nField)
{
    {
        CCategoryEditDlg dlg;
        dlg.m_strFieldNumber = std::to_string(nField);
        dlg.DoModal();
    }
    ReloadFieldText(nField);
}

void CAnimationDlg::OnClickWebLinkIcon(int nIcon)
{
    {
        CUrlIconDlg dlg;
        dlg.m_strIconNumber = std::to_string(nIcon);
        dlg.DoModal();
    }
    ReloadArtwork(nIcon);
}

void CAnimationDlg::OnClickLeftImage()
{
    {
        CSideImageDlg dlg;
        dlg.DoModal();
    }
    ReloadArtwork(5);
}

void CAnimationDlg::OnEditInternetWelcome()
{
    if (!IsInternetDialogEnabled())
        return;
    // None of its texts is shown in this window: nothing to reload.
    CInternetEditDlg dlg(this);
    dlg.DoModal();
}

void CAnimationDlg::OnNonCustomizable()
{
    MessageBox(kNonCustomizableText, kNonCustomizableCaption, MB_OK);
}

void CAnimationDlg::OnDefaultButton()
{
    // The Enter key: a search text would start a search in the assistant.
    UpdateData(true);
    if (!m_strSearchText.empty())
        OnNonCustomizable();
}

void CAnimationDlg::OnClickClose()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void CAnimationDlg::OnClickMinimize()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(m_hWnd, &placement);
    placement.showCmd = SW_MINIMIZE;
    placement.flags |= WPF_SETMINPOSITION;
    ::SetWindowPlacement(m_hWnd, &placement);
}

void CAnimationDlg::OnClickSubTopic(int)
{
    // The lines stay hidden in the replica; a click on one does nothing.
}
