// Clicks on the replica's fields open the right editor with the right number, and what an
// editor changed shows at once in the replica, in the registry and in the export.
#include "config/RegistrySchema.h"
#include "customization/CustomizationExport.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const HKEY kLM = HKEY_LOCAL_MACHINE;

class FieldDispatchTest : public CMainWindowTest {
protected:
    // Runs the main window; `step` acts in it, each editor it opens takes the next of `editors`.
    void RunMain(std::function<void(HWND, CAnimationDlg&)> step, std::vector<CDialogDriver::Step> editors)
    {
        CDialogDriver driver;
        CAnimationDlg dlg;
        driver.Then([&](HWND hwnd) {
            step(hwnd, dlg);
            dlg.EndDialog(IDOK);
        });
        for (auto& editor : editors)
            driver.Then(editor);
        dlg.DoModal();
        m_nDialogs = driver.m_dialogs.size();
        EXPECT_TRUE(driver.AllStepsRan());
    }
    std::size_t m_nDialogs = 0;
};

std::string TextOf(HWND dialog, int id) { return CWnd::GetWindowText(::GetDlgItem(dialog, id)); }

TEST_F(FieldDispatchTest, EachFieldOpensItsEditor)
{
    struct Row {
        int id;
        std::string seen;  // what the editor shows of its number, or its caption
    };
    const Row rows[] = {
        {IDC_WEBLINK_TEXT1, "field 1"}, {IDC_WEBLINK_TEXT2, "field 2"}, {IDC_WEBLINK_TEXT3, "field 3"},
        {IDC_WEBLINK_TEXT4, "field 4"}, {IDC_CATEGORY1, "field 5"},     {IDC_CATEGORY2, "field 6"},
        {IDC_CATEGORY3, "field 7"},     {IDC_CATEGORY4, "field 8"},     {IDC_CATEGORY5, "field 9"},
        {IDC_WEBLINK_ICON1, "icon 1"},  {IDC_WEBLINK_ICON2, "icon 2"},  {IDC_WEBLINK_ICON3, "icon 3"},
        {IDC_WEBLINK_ICON4, "icon 4"},  {IDC_LEFT_IMAGE, "Access Nimbook Customization"},
        {IDC_EDIT_INTERNET_WELCOME, "Welcome to Access Nimbook on the Internet."},
    };
    std::vector<std::string> seen;
    std::vector<CDialogDriver::Step> editors;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        editors.push_back([&](HWND editor) {
            if (HWND number = ::GetDlgItem(editor, IDC_CATEGORY_FIELD_NUMBER); number && ::GetDlgItem(editor, IDC_CATEGORY_SOURCE))
                seen.push_back("field " + TextOf(editor, IDC_CATEGORY_FIELD_NUMBER));
            else if (::GetDlgItem(editor, IDC_ICON_NUMBER))
                seen.push_back("icon " + TextOf(editor, IDC_ICON_NUMBER));
            else
                seen.push_back(CWnd::GetWindowText(editor));
            ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
        });
    }
    std::vector<std::string> labels;
    RunMain(
        [&](HWND dialog, CAnimationDlg&) {
            // Changed behind the window's back: the reload shows them, the category with its indent.
            SetValue(kLM, RegKeys::MainTexts, "BUTTON3", "Ask Me");
            DeleteValue(kLM, RegKeys::MainTexts, "URL2");
            for (const Row& row : rows) {
                if (row.id == IDC_EDIT_INTERNET_WELCOME)
                    ClickButtonNow(dialog, row.id);
                else
                    ClickFieldNow(dialog, row.id);
            }
            labels = {TextOf(dialog, IDC_CATEGORY3), TextOf(dialog, IDC_WEBLINK_TEXT2), TextOf(dialog, IDC_WEBLINK_TEXT1)};
        },
        editors);
    std::vector<std::string> expected;
    for (const Row& row : rows)
        expected.push_back(row.seen);
    EXPECT_EQ(expected, seen);
    EXPECT_EQ((std::vector<std::string>{"  Ask Me", "", "Corvane on the Web"}), labels);
}

TEST_F(FieldDispatchTest, AChangeShowsEverywhere)
{
    const std::string red = m_base.Path() + "\\red.bmp";
    WriteFileBytes(red, BmpFileBytes(8, 8, [](int, int) { return RGB(255, 0, 0); }));
    CFileOpenFake files;
    files.Answer(red);
    files.Answer(red);
    std::vector<std::string> shown;
    RunMain(
        [&](HWND dialog, CAnimationDlg& dlg) {
            ClickFieldNow(dialog, IDC_CATEGORY3);
            ClickFieldNow(dialog, IDC_WEBLINK_ICON1);
            ClickFieldNow(dialog, IDC_LEFT_IMAGE);
            shown.push_back(TextOf(dialog, IDC_CATEGORY3));
            BITMAP icon{}, left{};
            dlg.GetArtwork().m_bmpWebLinkIcon[0].GetBitmap(icon);
            dlg.GetArtwork().m_bmpLeftImage.GetBitmap(left);
            shown.push_back(std::to_string(icon.bmWidth) + "," + std::to_string(left.bmWidth));
            const bool bLeftShown = reinterpret_cast<HBITMAP>(::SendDlgItemMessageA(
                                        dialog, IDC_LEFT_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0)) ==
                                    dlg.GetArtwork().m_bmpLeftImage.GetSafeHandle();
            shown.push_back(bLeftShown ? "left shown" : "left not shown");
        },
        {[](HWND editor) {
             SetItemText(editor, IDC_CATEGORY_BUTTON_TEXT, "Ask Me");
             ClickButton(editor, IDOK);
         },
         [](HWND editor) {
             ClickFieldNow(editor, IDC_ICON_NORMAL);
             ClickButton(editor, IDOK);
         },
         [](HWND editor) {
             ClickFieldNow(editor, IDC_SIDE_NEW1);
             ClickButton(editor, IDOK);
         }});
    EXPECT_EQ((std::vector<std::string>{"  Ask Me", "8,8", "left shown"}), shown);
    EXPECT_EQ("Ask Me", ValueOf(kLM, RegKeys::MainTexts, "Button3"));
    EXPECT_TRUE(ReadFileBytes(red) == ReadFileBytes(ImagesDirectory() + "\\Icon1.bmp"));
    EXPECT_TRUE(ReadFileBytes(red) == ReadFileBytes(ImagesDirectory() + "\\Image0.bmp"));
    EXPECT_TRUE(ReadFileBytes(red) == ReadFileBytes(m_base.Path() + "\\Customization\\image0.bmp"));
    WriteCustomizationExport(true);
    EXPECT_NE(std::string::npos, ReadFileBytes(m_base.ExportFile()).find("\"Button3\"=\"Ask Me\"\n"));
}

TEST_F(FieldDispatchTest, UsersSwitchDecidesTheInternetEditor)
{
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"FALSE", false}, {"f", false}, {"False", false}, {"F", false},
        {"TRUE", true},   {"0", true},  {"no", true},     {"", true}, {std::nullopt, true},
    };
    for (const auto& [value, bOpens] : cases) {
        SCOPED_TRACE(value.value_or("<missing>"));
        if (value)
            SetValue(HKEY_CURRENT_USER, RegKeys::UserAssistant, RegValues::ShowInetDialog, *value);
        else
            DeleteValue(HKEY_CURRENT_USER, RegKeys::UserAssistant, RegValues::ShowInetDialog);
        std::vector<CDialogDriver::Step> editors;
        if (bOpens)
            editors.push_back([](HWND editor) { ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0); });
        RunMain([](HWND dialog, CAnimationDlg&) { ClickButtonNow(dialog, IDC_EDIT_INTERNET_WELCOME); }, editors);
        EXPECT_EQ(bOpens ? 2u : 1u, m_nDialogs);
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

}  // namespace
