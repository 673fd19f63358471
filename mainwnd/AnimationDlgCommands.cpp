// What a click on each field of the main window does, and the window's message map.
#include "mainwnd/AnimationDlg.h"

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
        MapMessage(WM_CTLCOLORSTATIC, &CAnimationDlg::OnCtlColorStatic),
        MapMessage(WM_ERASEBKGND, &CAnimationDlg::OnEraseBkgnd),
        MapMessage(WM_NCHITTEST, &CAnimationDlg::OnNcHitTest),
        MapMessage(WM_ICONERASEBKGND, &CAnimationDlg::OnIconEraseBkgnd),
        // Events of the animation control.
        MapMessage(WM_NOTIFY, &CAnimationDlg::OnNotify),

        // Web-link texts: fields 1 to 4.
        MapCommand(IDC_WEBLINK_TEXT1, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<1>),
        MapCommand(IDC_WEBLINK_TEXT2, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<2>),
        MapCommand(IDC_WEBLINK_TEXT3, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<3>),
        MapCommand(IDC_WEBLINK_TEXT4, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<4>),
        // Category labels: fields 5 to 9.
        MapCommand(IDC_CATEGORY1, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<5>),
        MapCommand(IDC_CATEGORY2, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<6>),
        MapCommand(IDC_CATEGORY3, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<7>),
        MapCommand(IDC_CATEGORY4, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<8>),
        MapCommand(IDC_CATEGORY5, STN_CLICKED, &CAnimationDlg::OnEditFieldNumber<9>),
        // Web-link icons 1 to 4.
        MapCommand(IDC_WEBLINK_ICON1, STN_CLICKED, &CAnimationDlg::OnClickWebLinkIconNumber<1>),
        MapCommand(IDC_WEBLINK_ICON2, STN_CLICKED, &CAnimationDlg::OnClickWebLinkIconNumber<2>),
        MapCommand(IDC_WEBLINK_ICON3, STN_CLICKED, &CAnimationDlg::OnClickWebLinkIconNumber<3>),
        MapCommand(IDC_WEBLINK_ICON4, STN_CLICKED, &CAnimationDlg::OnClickWebLinkIconNumber<4>),
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

        // Sub-topic lines 1 to 15.
        MapCommand(IDC_SUBTOPIC1, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<1>),
        MapCommand(IDC_SUBTOPIC2, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<2>),
        MapCommand(IDC_SUBTOPIC3, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<3>),
        MapCommand(IDC_SUBTOPIC4, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<4>),
        MapCommand(IDC_SUBTOPIC5, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<5>),
        MapCommand(IDC_SUBTOPIC6, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<6>),
        MapCommand(IDC_SUBTOPIC7, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<7>),
        MapCommand(IDC_SUBTOPIC8, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<8>),
        MapCommand(IDC_SUBTOPIC9, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<9>),
        MapCommand(IDC_SUBTOPIC10, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<10>),
        MapCommand(IDC_SUBTOPIC11, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<11>),
        MapCommand(IDC_SUBTOPIC12, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<12>),
        MapCommand(IDC_SUBTOPIC13, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<13>),
        MapCommand(IDC_SUBTOPIC14, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<14>),
        MapCommand(IDC_SUBTOPIC15, STN_CLICKED, &CAnimationDlg::OnClickSubTopicNumber<15>),
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
