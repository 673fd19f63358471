// The main window's texts and settings: what it reads from the registry when it is
// constructed, what each failed read reports, and where each text lands when it opens.
#include "config/RegistrySchema.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestRegistry.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

const std::string kMainTexts = RegKeys::MainTexts;
const std::string kControl = RegKeys::Control;
const std::string kSearch = RegKeys::Search;
const char kTitle[] = "Customization Tool";
const char kHint[] = "* Click on the field you want to change. *";

// The tools of the window's tooltip control: the window each one covers and its text.
std::vector<std::pair<HWND, std::string>> ToolsOf(HWND toolTip)
{
    std::vector<std::pair<HWND, std::string>> tools;
    const auto count = ::SendMessageA(toolTip, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TTTOOLINFOA info{};
        info.cbSize = sizeof(info);
        if (!::SendMessageA(toolTip, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info)))
            break;
        EXPECT_TRUE(info.uFlags & TTF_IDISHWND) << "the whole control is the tool";
        std::vector<char> text(1024, '\0');
        info.lpszText = text.data();
        ::SendMessageA(toolTip, TTM_GETTEXTA, text.size(), reinterpret_cast<LPARAM>(&info));
        tools.emplace_back(reinterpret_cast<HWND>(info.uId), text.data());
    }
    return tools;
}

class MainWindowTextsTest : public CMainWindowTest {
protected:
    // Runs the window and hands the open dialog to `check`, then closes it.
    void Check(std::function<void(HWND dialog, CAnimationDlg& dlg)> check)
    {
        Run([&](HWND dialog, CAnimationDlg& dlg) {
            check(dialog, dlg);
            dlg.EndDialog(IDCANCEL);
        });
    }

    // Every report so far: shown before the window existed, as registry reports are.
    void ExpectReports(const std::vector<std::string>& texts)
    {
        ASSERT_EQ(texts.size(), m_boxes.m_boxes.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            const RecordedBox& box = m_boxes.m_boxes[i];
            EXPECT_EQ(texts[i], box.text) << "report " << i;
            EXPECT_EQ(nullptr, box.owner) << "report " << i;
            EXPECT_EQ("Message", box.caption) << "report " << i;
            EXPECT_EQ(0u, box.type) << "report " << i;
        }
    }
};

std::string Opening(DWORD code)
{
    return "Opening Registry: " + SystemText(code);
}

std::string RegistryError(DWORD code)
{
    return "Registry Error: " + SystemText(code);
}

TEST_F(MainWindowTextsTest, EachMainTextLandsInItsControl)
{
    Check([](HWND d, CAnimationDlg& dlg) {
        // Category labels and the search label carry TopLevelIndent ("2") blanks; the Go text
        // and the web-link texts have none.
        const std::pair<int, const char*> texts[] = {
            {IDC_CATEGORY1, "  Top Ten"}, {IDC_CATEGORY2, "  Features and Functions"}, {IDC_CATEGORY3, "  How Do I?"},
            {IDC_CATEGORY4, "  Problem Solver"}, {IDC_CATEGORY5, "  Contact Corvane"},
            {IDC_SEARCH_LABEL, "  Quick Search"}, {IDC_GO_TEXT, "Go"}, {IDC_WEBLINK_TEXT1, "Corvane on the Web"},
            {IDC_WEBLINK_TEXT2, "Register Your Nimbook"}, {IDC_WEBLINK_TEXT3, "Nimbook Accessories"},
            {IDC_WEBLINK_TEXT4, "Software Updates"}, {IDC_TITLE, kTitle}, {IDC_HINT, kHint}, {IDC_SEARCH_EDIT, ""},
        };
        for (const auto& [id, text] : texts)
            EXPECT_EQ(text, ItemText(d, id)) << id;
        EXPECT_EQ("Access Nimbook could not load its settings. Please reinstall Access Nimbook II from the "
                  "Nimbook Software Selections CD.",
                  dlg.GetSettings().m_strInitError);
        EXPECT_EQ("Type a word or phrase, for example \"battery\", then click Go to search the Access Nimbook help.",
                  ItemText(d, IDC_SEARCH_HELP));
        EXPECT_EQ("Access Nimbook II", CWnd::GetWindowText(d));

        for (int id : kSubTopicIds)
            EXPECT_EQ("", ItemText(d, id)) << "sub-topic line " << id << " lost its template text";

        // The close and minimize fields carry their tips.
        HWND toolTip = dlg.GetToolTipWindow();
        ASSERT_NE(nullptr, toolTip);
        EXPECT_EQ(d, ::GetWindow(toolTip, GW_OWNER));
        char className[64] = {};
        ::GetClassNameA(toolTip, className, sizeof(className));
        EXPECT_STREQ(TOOLTIPS_CLASSA, className);
        auto tools = ToolsOf(toolTip);
        ASSERT_EQ(2u, tools.size());
        EXPECT_EQ(::GetDlgItem(d, IDC_CLOSE), tools[0].first);
        EXPECT_EQ("Close Access Nimbook", tools[0].second);
        EXPECT_EQ(::GetDlgItem(d, IDC_MINIMIZE), tools[1].first);
        EXPECT_EQ("Minimize Access Nimbook", tools[1].second);
    });
    ExpectReports({});
}

TEST_F(MainWindowTextsTest, IndentAppliesToTheLabelsOnly)
{
    struct Case {
        const char* indent;  // nullptr: the value is missing
        std::string blanks;
        size_t reports;
    };
    const Case cases[] = {
        {"3", "   ", 0}, {nullptr, "", 1}, {"abc", "", 0}, {"0", "", 0}, {"-2", "", 0}, {"4 blanks", "    ", 0},
        // Taken as the nearest bound of 0 to 64.
        {"64", std::string(64, ' '), 0}, {"65", std::string(64, ' '), 0}, {"2147483647", std::string(64, ' '), 0},
        {"-2147483648", "", 0},
    };
    for (const Case& c : cases) {
        m_boxes.m_boxes.clear();
        if (c.indent)
            SetValue(HKEY_LOCAL_MACHINE, kControl, RegValues::TopLevelIndent, c.indent);
        else
            DeleteValue(HKEY_LOCAL_MACHINE, kControl, RegValues::TopLevelIndent);
        const std::string label = c.indent ? c.indent : "<missing>";
        Check([&](HWND d, CAnimationDlg&) {
            EXPECT_EQ(c.blanks + "Top Ten", ItemText(d, IDC_CATEGORY1)) << label;
            EXPECT_EQ(c.blanks + "Contact Corvane", ItemText(d, IDC_CATEGORY5)) << label;
            EXPECT_EQ(c.blanks + "Quick Search", ItemText(d, IDC_SEARCH_LABEL)) << label;
            EXPECT_EQ("Go", ItemText(d, IDC_GO_TEXT)) << label;
            EXPECT_EQ("Corvane on the Web", ItemText(d, IDC_WEBLINK_TEXT1)) << label;
            EXPECT_EQ("Software Updates", ItemText(d, IDC_WEBLINK_TEXT4)) << label;
        });
        if (c.reports)
            ExpectReports({RegistryError(ERROR_FILE_NOT_FOUND)});
        else
            ExpectReports({});
    }
}

TEST_F(MainWindowTextsTest, MissingMainTextsKeyGivesOneReportAndEmptyTexts)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMainTexts);
    Check([](HWND d, CAnimationDlg& dlg) {
        // Labels that could not be read get no indent.
        for (int id : kCategoryIds)
            EXPECT_EQ("", ItemText(d, id)) << id;
        for (int id : {IDC_SEARCH_LABEL, IDC_GO_TEXT, IDC_SEARCH_HELP})
            EXPECT_EQ("", ItemText(d, id)) << id;
        for (int id : kWebLinkTextIds)
            EXPECT_EQ("", ItemText(d, id)) << id;
        EXPECT_EQ("", dlg.GetSettings().m_strInitError);
        EXPECT_EQ("", CWnd::GetWindowText(d));
        auto tools = ToolsOf(dlg.GetToolTipWindow());
        ASSERT_EQ(2u, tools.size());
        EXPECT_EQ("", tools[0].second);
        EXPECT_EQ("", tools[1].second);
        EXPECT_EQ(kTitle, ItemText(d, IDC_TITLE));
        EXPECT_EQ(kHint, ItemText(d, IDC_HINT));
    });
    ExpectReports({Opening(ERROR_FILE_NOT_FOUND)});
}

TEST_F(MainWindowTextsTest, MissingSearchKeyGivesOneReport)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kSearch);
    Check([](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ("  Top Ten", ItemText(d, IDC_CATEGORY1));
        EXPECT_EQ("  Quick Search", ItemText(d, IDC_SEARCH_LABEL));
        EXPECT_EQ("", dlg.GetSettings().m_strSearchChm);
        EXPECT_EQ("", dlg.GetSettings().m_strSearchSource);
    });
    ExpectReports({Opening(ERROR_FILE_NOT_FOUND)});
}

TEST_F(MainWindowTextsTest, LongValuesAreReportedAndStayEmpty)
{
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[0], "Topic5", std::string(255, 't'));
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[0], "Topic6", std::string(254, 's'));
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[1], "LaunchableItem", std::string(4094, 'l'));
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[2], "LaunchableItem", std::string(4095, 'l'));
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::WebLinks[3], "InformationSource", std::string(255, 'i'));
    SetValue(HKEY_LOCAL_MACHINE, kSearch, "InformationSource", std::string(4094, 'i'));
    SetValue(HKEY_LOCAL_MACHINE, kSearch, "SearchHtml", std::string(255, 'h'));
    SetValue(HKEY_LOCAL_MACHINE, kControl, "SubLevelIndent", std::string(256, '1'));
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "URL2", std::string(4095, 'u'));
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "URL3", std::string(4094, 'v'));
    SetDwordValue(HKEY_LOCAL_MACHINE, kMainTexts, "GO_TEXT", 0x00216f47);  // "Go!": read as its bytes
    CAnimationDlg dlg;
    ExpectReports(std::vector<std::string>(6, RegistryError(ERROR_MORE_DATA)));
    EXPECT_EQ("", dlg.GetSettings().m_strMainText[9]);
    EXPECT_EQ(std::string(4094, 'v'), dlg.GetSettings().m_strMainText[10]);
    EXPECT_EQ("Go!", dlg.GetSettings().m_strMainText[7]);
    EXPECT_EQ("", dlg.GetSettings().m_categorySettings[0].m_strTopic[4]);
    EXPECT_EQ(std::string(254, 's'), dlg.GetSettings().m_categorySettings[0].m_strTopic[5]);
    EXPECT_EQ(std::string(4094, 'l'), dlg.GetSettings().m_categorySettings[1].m_strLaunchableItem) << "kept whole";
    EXPECT_EQ("", dlg.GetSettings().m_categorySettings[2].m_strLaunchableItem);
    EXPECT_EQ("", dlg.GetSettings().m_webLinkSettings[3].m_strInformationSource);
    EXPECT_EQ(std::string(4094, 'i'), dlg.GetSettings().m_strSearchSource);
    EXPECT_EQ("", dlg.GetSettings().m_strSearchHtml);
    EXPECT_EQ(0, dlg.GetSettings().m_nSubLevelIndent);
    EXPECT_EQ(2, dlg.GetSettings().m_nTopLevelIndent);
}

TEST_F(MainWindowTextsTest, ReportsComeInTheOrderOfReading)
{
    DeleteValue(HKEY_LOCAL_MACHINE, kMainTexts, "BUTTON2");
    DeleteValue(HKEY_LOCAL_MACHINE, kMainTexts, "TITLE");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, RegKeys::Categories[2]);
    DeleteValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[4], "Topic9");
    DeleteValue(HKEY_LOCAL_MACHINE, RegKeys::WebLinks[1], "LaunchableItem");
    DeleteValue(HKEY_LOCAL_MACHINE, kSearch, "SearchHtml");
    DeleteValue(HKEY_LOCAL_MACHINE, kControl, "TopLevelIndent");
    // SearchWindowName is not in the sample: it is not read, so its absence is no failure.
    CAnimationDlg dlg;
    ExpectReports({RegistryError(ERROR_FILE_NOT_FOUND), RegistryError(ERROR_FILE_NOT_FOUND),
                   Opening(ERROR_FILE_NOT_FOUND), RegistryError(ERROR_FILE_NOT_FOUND),
                   RegistryError(ERROR_FILE_NOT_FOUND), RegistryError(ERROR_FILE_NOT_FOUND),
                   RegistryError(ERROR_FILE_NOT_FOUND)});
    EXPECT_EQ("", dlg.GetSettings().m_strMainText[2]);
    EXPECT_EQ("How Do I?", dlg.GetSettings().m_strMainText[3]);
    EXPECT_EQ("Corvane Customer Care", dlg.GetSettings().m_categorySettings[4].m_strTopic[2]);
    EXPECT_EQ("", dlg.GetSettings().m_categorySettings[4].m_strTopic[8]);
    EXPECT_EQ("EXEC", dlg.GetSettings().m_webLinkSettings[1].m_strInformationSource);
    EXPECT_EQ("", dlg.GetSettings().m_webLinkSettings[1].m_strLaunchableItem);
    EXPECT_EQ("NIMBOOK.CHM", dlg.GetSettings().m_strSearchChm);
    EXPECT_EQ("IOIS", dlg.GetSettings().m_strSearchSource);
    EXPECT_EQ(0, dlg.GetSettings().m_nTopLevelIndent);
    EXPECT_EQ(4, dlg.GetSettings().m_nSubLevelIndent);

    // Without the Control key: one report for each key of the settings, and no indent.
    InstallSampleRegistry();
    m_boxes.m_boxes.clear();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kControl);
    CAnimationDlg withoutControl;
    ExpectReports(std::vector<std::string>(11, Opening(ERROR_FILE_NOT_FOUND)));
    EXPECT_EQ(0, withoutControl.GetSettings().m_nSubLevelIndent);
    EXPECT_EQ("Top Ten", withoutControl.GetSettings().m_strMainText[1]);
}

TEST_F(MainWindowTextsTest, ReportsAreShownBeforeTheWindowExists)
{
    DeleteValue(HKEY_LOCAL_MACHINE, kMainTexts, "SEARCH");
    bool windowExisted = true;
    m_boxes.m_onBox = [&](const RecordedBox&) {
        windowExisted = ::FindWindowA(nullptr, "Access Nimbook II") != nullptr;
    };
    Check([](HWND d, CAnimationDlg&) { EXPECT_EQ("", ItemText(d, IDC_SEARCH_LABEL)); });
    ExpectReports({RegistryError(ERROR_FILE_NOT_FOUND)});
    EXPECT_FALSE(windowExisted);
}

}  // namespace
