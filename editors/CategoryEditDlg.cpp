#include "editors/CategoryEditDlg.h"

#include "config/RegistrySchema.h"
#include "config/TextFields.h"
#include "customization/FactorySnapshot.h"
#include "framework/CurrentDirectory.h"
#include "framework/DataExchange.h"
#include "res/resource.h"

#include <cstdlib>
#include <iterator>
#include <span>
#include <string_view>

namespace {

// Values are read through a 512-byte buffer of which 511 bytes are offered.
constexpr DWORD kOffered = 511;
constexpr int kMaxLaunchableItem = 256;

// The combo's entries (sorted, as the combo keeps them) and the codes they store.
struct CSource {
    const char* label;
    const char* code;
};
constexpr CSource kCategorySources[] = {{"HTML Help", "IOIS"}, {"Program", "EXEC"}, {"URL", "WEB"}};
constexpr CSource kWebLinkSources[] = {{"Program", "EXEC"}, {"URL", "WEB"}};
constexpr std::string_view kHtmlHelp = "IOIS";

}  // namespace

CCategoryEditDlg::CCategoryEditDlg(CWnd* pParent) : CDialog(IDD_CATEGORY_EDIT, pParent) {}

const MessageMap* CCategoryEditDlg::GetMessageMap() const
{
    static const MessageMapEntry entries[] = {
        MapCommand(IDC_CATEGORY_SOURCE, CBN_SELCHANGE, &CCategoryEditDlg::OnSelchangeInformationSource),
        MapCommand(IDC_CATEGORY_BUTTON_TEXT, EN_MAXTEXT, &CCategoryEditDlg::OnIgnoredEditNotification),
        MapCommand(IDC_CATEGORY_BUTTON_TEXT, EN_UPDATE, &CCategoryEditDlg::OnIgnoredEditNotification),
        MapCommand(IDC_CATEGORY_LAUNCHABLE_ITEM, EN_MAXTEXT, &CCategoryEditDlg::OnIgnoredEditNotification),
        MapCommand(IDC_CATEGORY_LAUNCHABLE_ITEM, EN_UPDATE, &CCategoryEditDlg::OnIgnoredEditNotification),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries, std::size(entries)};
    return &map;
}

void CCategoryEditDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CATEGORY_LAUNCHABLE_ITEM, m_editLaunchableItem);
    DDX_Control(pDX, IDC_CATEGORY_SOURCE, m_comboSource);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Text(pDX, IDC_CATEGORY_LAUNCHABLE_ITEM, m_strLaunchableItem);
    DDV_MaxChars(pDX, m_strLaunchableItem, kMaxLaunchableItem);
    DDX_Text(pDX, IDC_CATEGORY_BUTTON_TEXT, m_strButtonText);
    DDX_Text(pDX, IDC_CATEGORY_FIELD_NUMBER, m_strFieldNumber);
}

int CCategoryEditDlg::PositionOfSource(const std::string& code) const
{
    const CSource* sources = IsCategory() ? kCategorySources : kWebLinkSources;
    const int count = IsCategory() ? std::size(kCategorySources) : std::size(kWebLinkSources);
    for (int i = 0; i < count; ++i)
        if (code == sources[i].code)  // exact and case-sensitive, as the assistant compares
            return i;
    return -1;
}

std::string CCategoryEditDlg::SourceAtPosition(int position) const
{
    const CSource* sources = IsCategory() ? kCategorySources : kWebLinkSources;
    const int count = IsCategory() ? std::size(kCategorySources) : std::size(kWebLinkSources);
    return position >= 0 && position < count ? sources[position].code : "";
}

void CCategoryEditDlg::SetItemReadOnly(bool bReadOnly)
{
    ::SendMessageA(m_editLaunchableItem.m_hWnd, EM_SETREADONLY, bReadOnly, 0);
}

BOOL CCategoryEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nField = std::atoi(m_strFieldNumber.c_str());
    if (!IsTextField(m_nField))
        return TRUE;  // no such field: nothing to show, and OK writes nothing (see OnOK)

    for (const CSource& source : IsCategory() ? std::span<const CSource>(kCategorySources)
                                              : std::span<const CSource>(kWebLinkSources))
        ::SendMessageA(m_comboSource.m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(source.label));

    {
        CRegKey key;
        OpenRegistryKey(HKEY_LOCAL_MACHINE, TargetKeyOfField(m_nField), kRegRead, key);
        ReadRegistryString(key.Get(), RegValues::InformationSource, kOffered, m_strStoredSource, &m_sourceState);
        ::SendMessageA(m_comboSource.m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(PositionOfSource(m_strStoredSource)), 0);

        if (m_strStoredSource != kHtmlHelp) {
            SetItemReadOnly(false);
            ReadRegistryString(key.Get(), RegValues::LaunchableItem, kOffered, m_strLaunchableItem, &m_itemState);
            m_strSavedLaunchableItem = m_strLaunchableItem;
        } else {
            // HTML help has no target: the stored item means nothing and is shown empty.
            SetItemReadOnly(true);
            m_strLaunchableItem.clear();
            m_strSavedLaunchableItem.clear();
            // A category's HTML help is understood: its item is empty. On a web link the source
            // is not understood, so its unread item must survive an OK.
            if (IsCategory())
                m_itemState.Record(true, "");
            else
                m_itemState.Record(false, "");
        }
    }
    {
        CRegKey key;
        OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegRead, key);
        ReadRegistryString(key.Get(), TextValueOfField(m_nField), kOffered, m_strButtonText, &m_textState);
    }
    UpdateData(false);
    return TRUE;
}

void CCategoryEditDlg::OnSelchangeInformationSource()
{
    const int position = static_cast<int>(::SendMessageA(m_comboSource.m_hWnd, CB_GETCURSEL, 0, 0));
    if (IsCategory() && position == 0) {
        m_strLaunchableItem.clear();
        SetItemReadOnly(true);
    } else if (position >= 0) {
        m_strLaunchableItem = m_strSavedLaunchableItem;
        SetItemReadOnly(false);
    }
    UpdateData(false);
}

void CCategoryEditDlg::OnOK()
{
    // The dialog ends with OK; the values are stored whatever the length check said.
    CDialog::OnOK();
    if (!IsTextField(m_nField))
        return;
    KeepFactorySnapshot(GetCurrentDirectoryString());

    CRegKey texts;
    LONG result = OpenRegistryKey(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, kRegWrite, texts);
    if (result != ERROR_SUCCESS)
        ReportRegistryError(m_hWnd, kQueryingRegistry, result, kCaptionMessage, MB_OK);
    else if (m_textState.MayWrite(m_strButtonText))
        WriteRegistryString(texts.Get(), TextValueOfField(m_nField), m_strButtonText);

    CRegKey control;
    result = OpenRegistryKey(HKEY_LOCAL_MACHINE, TargetKeyOfField(m_nField), kRegWrite, control);
    if (result != ERROR_SUCCESS) {
        ReportRegistryError(m_hWnd, kQueryingRegistry, result, kCaptionMessage, MB_OK);
        return;
    }
    // Without a chosen source the stored one stays, understood or not.
    const int position = static_cast<int>(::SendMessageA(m_comboSource.m_hWnd, CB_GETCURSEL, 0, 0));
    const std::string source = SourceAtPosition(position);
    if (!source.empty() && m_sourceState.MayWrite(source))
        WriteRegistryString(control.Get(), RegValues::InformationSource, source);
    // HTML help has no target; otherwise the item is written when that destroys nothing.
    if (source == kHtmlHelp || m_itemState.MayWrite(m_strLaunchableItem))
        WriteRegistryString(control.Get(), RegValues::LaunchableItem, m_strLaunchableItem);
}
