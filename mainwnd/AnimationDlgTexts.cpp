// The replica's texts and settings: read from the assistant's registry keys when the window
// is constructed, put into the controls when it opens.
#include "mainwnd/AnimationDlg.h"

#include "config/RegistryReader.h"
#include "config/RegistrySchema.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Bytes offered to the registry for each kind of value, terminator included: a longer value
// fails to read with 234 (more data).
constexpr DWORD kMainTextBytes = 4095;
constexpr DWORD kSourceBytes = 255;
constexpr DWORD kLaunchableItemBytes = 4095;
constexpr DWORD kTopicBytes = 255;
constexpr DWORD kSearchFileBytes = 255;
constexpr DWORD kSearchSourceBytes = 4095;
constexpr DWORD kIndentBytes = 256;

// Value names of the sixteen main texts, in the order they are read (index 0 is not used).
const std::array<const char*, 17> kMainTextNames = {
    nullptr,
    RegValues::Buttons[0], RegValues::Buttons[1], RegValues::Buttons[2], RegValues::Buttons[3],
    RegValues::Buttons[4], RegValues::Search, RegValues::GoText,
    RegValues::Urls[0], RegValues::Urls[1], RegValues::Urls[2], RegValues::Urls[3],
    RegValues::InitError, RegValues::SearchTip, RegValues::CloseTip, RegValues::MinimizeTip,
    RegValues::Title,
};
enum MainText {
    kButton1 = 1,
    kSearchLabel = 6,
    kGoText = 7,
    kUrl1 = 8,
    kInitError = 12,
    kSearchTip = 13,
    kCloseTip = 14,
    kMinimizeTip = 15,
    kTitle = 16,
};

const char kTitleText[] = "Customization Tool";
const char kHintText[] = "* Click on the field you want to change. *";

// Indents outside these bounds are taken as the nearest bound: an absurd value must not
// fill the labels with millions of blanks.
constexpr int kMaxIndent = 64;

// The indent that the text starts with, as the assistant reads its indents: leading blanks
// and a sign are allowed, anything after the digits is ignored, no digits give 0.
int LeadingIndent(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, 0, kMaxIndent));
}

}  // namespace

bool CAnimationDlg::ReadMainTexts()
{
    // During construction the window has no handle yet: the boxes then have no owner.
    CRegistryReader reader(m_hWnd);
    if (!reader.Open(RegKeys::MainTexts))
        return false;
    for (size_t i = 1; i < kMainTextNames.size(); ++i)
        reader.Read(kMainTextNames[i], kMainTextBytes, m_settings.m_strMainText[i]);
    return reader.AllRead();
}

bool CAnimationDlg::ReadCategorySettings()
{
    CRegistryReader reader(m_hWnd);
    for (size_t i = 0; i < m_settings.m_categorySettings.size(); ++i) {
        CCategorySettings& settings = m_settings.m_categorySettings[i];
        std::vector<CRegValueRead> values = {
            {RegValues::InformationSource, kSourceBytes, &settings.m_strInformationSource},
            {RegValues::LaunchableItem, kLaunchableItemBytes, &settings.m_strLaunchableItem},
        };
        for (size_t topic = 0; topic < settings.m_strTopic.size(); ++topic)
            values.push_back({RegValues::Topics[topic], kTopicBytes, &settings.m_strTopic[topic]});
        reader.ReadKey(RegKeys::Categories[i], values);
    }
    return reader.AllRead();
}

bool CAnimationDlg::ReadWebLinkSettings()
{
    CRegistryReader reader(m_hWnd);
    for (size_t i = 0; i < m_settings.m_webLinkSettings.size(); ++i) {
        CWebLinkSettings& settings = m_settings.m_webLinkSettings[i];
        const CRegValueRead values[] = {
            {RegValues::InformationSource, kSourceBytes, &settings.m_strInformationSource},
            {RegValues::LaunchableItem, kLaunchableItemBytes, &settings.m_strLaunchableItem},
        };
        reader.ReadKey(RegKeys::WebLinks[i], values);
    }
    return reader.AllRead();
}

bool CAnimationDlg::ReadControlSettings()
{
    bool bAllRead = ReadCategorySettings();
    bAllRead = ReadWebLinkSettings() && bAllRead;

    CRegistryReader reader(m_hWnd);
    const CRegValueRead search[] = {
        {RegValues::SearchChm, kSearchFileBytes, &m_settings.m_strSearchChm},
        {RegValues::SearchHtml, kSearchFileBytes, &m_settings.m_strSearchHtml},
        {RegValues::InformationSource, kSearchSourceBytes, &m_settings.m_strSearchSource},
    };
    reader.ReadKey(RegKeys::Search, search);

    if (reader.Open(RegKeys::Control)) {
        // An indent that cannot be read stays as it is.
        std::string text;
        if (reader.Read(RegValues::TopLevelIndent, kIndentBytes, text))
            m_settings.m_nTopLevelIndent = LeadingIndent(text);
        if (reader.Read(RegValues::SubLevelIndent, kIndentBytes, text))
            m_settings.m_nSubLevelIndent = LeadingIndent(text);
    }
    return reader.AllRead() && bAllRead;
}

void CAnimationDlg::ApplyIndent(int nCount)
{
    // The five category labels and the search label; the web-link texts and the Go text
    // stay flush. A label that could not be read stays empty.
    for (int i = kButton1; i <= kSearchLabel; ++i)
        if (!m_settings.m_strMainText[i].empty())
            m_settings.m_strMainText[i].insert(0, static_cast<size_t>(nCount), ' ');
}

void CAnimationDlg::ApplyTexts()
{
    for (size_t i = 0; i < m_wndCategory.size(); ++i)
        m_wndCategory[i].SetWindowText(m_settings.m_strMainText[kButton1 + i]);
    m_wndQuickSearch.SetWindowText(m_settings.m_strMainText[kSearchLabel]);
    m_wndGoLabel.SetWindowText(m_settings.m_strMainText[kGoText]);
    for (size_t i = 0; i < m_wndWebLinkText.size(); ++i)
        m_wndWebLinkText[i].SetWindowText(m_settings.m_strMainText[kUrl1 + i]);

    m_settings.m_strInitError = m_settings.m_strMainText[kInitError];
    m_wndSearchHelp.SetWindowText(m_settings.m_strMainText[kSearchTip]);

    // Shown when the bound strings are next pushed to the controls.
    m_strTitleText = kTitleText;
    m_strHintText = kHintText;

    m_toolTip.AddTool(m_wndClose.m_hWnd, m_settings.m_strMainText[kCloseTip]);
    m_toolTip.AddTool(m_wndMinimize.m_hWnd, m_settings.m_strMainText[kMinimizeTip]);

    SetWindowText(m_settings.m_strMainText[kTitle]);
}

void CAnimationDlg::FillSubTopicLines(int nCategory)
{
    // The window keeps no topic lists of its own (the Topic values are read only so that a
    // bad one is reported): the first nine lines of any category come out empty.
    (void)nCategory;
    for (size_t line = 0; line < 9; ++line)
        m_strSubTopic[line].clear();
    UpdateData(false);
}
