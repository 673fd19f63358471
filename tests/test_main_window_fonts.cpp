// The main window's fonts, chosen by the system language.
#include "res/resource.h"
#include "tests/support/MainWindowHarness.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

HFONT FontOf(HWND hwnd)
{
    return reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
}

LOGFONTA LogFontOf(HFONT font)
{
    LOGFONTA logFont{};
    ::GetObjectA(font, sizeof(logFont), &logFont);
    return logFont;
}

// The height of a point font of so many tenths of a point on the screen.
LONG HeightOfTenths(int nTenths)
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return -::MulDiv(nTenths, dpi, 720);
}

// The controls of each font; the tooltip takes the line font too.
std::vector<int> LineFontIds()
{
    std::vector<int> ids(kSubTopicIds.begin(), kSubTopicIds.end());
    ids.push_back(IDC_SEARCH_HELP);
    ids.insert(ids.end(), kWebLinkTextIds.begin(), kWebLinkTextIds.end());
    return ids;
}

std::vector<int> CategoryFontIds()
{
    std::vector<int> ids(kCategoryIds.begin(), kCategoryIds.end());
    ids.push_back(IDC_SEARCH_LABEL);
    ids.push_back(IDC_GO_TEXT);
    return ids;
}

// The tooltip control keeps a font made from the one it is given: the same face and size.
void ExpectSameFont(HFONT expected, HFONT actual)
{
    LOGFONTA a = LogFontOf(expected);
    LOGFONTA b = LogFontOf(actual);
    EXPECT_STREQ(a.lfFaceName, b.lfFaceName);
    EXPECT_EQ(a.lfHeight, b.lfHeight);
    EXPECT_EQ(a.lfWeight, b.lfWeight);
}

class MainWindowFontsTest : public CMainWindowTest {
protected:
    void Check(LANGID language, std::function<void(HWND dialog, CAnimationDlg& dlg)> check)
    {
        SetSystemLanguageOverride(language);
        Run([&](HWND dialog, CAnimationDlg& dlg) {
            check(dialog, dlg);
            dlg.EndDialog(IDCANCEL);
        });
    }

    static void ExpectSearchFieldWithSystemFontAndNoMargins(HWND d)
    {
        HWND search = ::GetDlgItem(d, IDC_SEARCH_EDIT);
        EXPECT_EQ(::GetStockObject(SYSTEM_FONT), FontOf(search));
        EXPECT_EQ(0, ::SendMessageA(search, EM_GETMARGINS, 0, 0)) << "left and right margins of 0";
    }
};

TEST_F(MainWindowFontsTest, WesternLanguageGetsTheAssistantsFonts)
{
    Check(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), [](HWND d, CAnimationDlg& dlg) {
        struct Expected {
            HFONT font;
            const char* face;
            int tenths;
            LONG weight;
            std::vector<int> ids;
        };
        const Expected rows[] = {
            {dlg.GetFonts().m_fontLine.GetSafeHandle(), "Arial", 100, 400, LineFontIds()},
            {dlg.GetFonts().m_fontCategory.GetSafeHandle(), "Arial", 118, 700, CategoryFontIds()},
            {dlg.GetFonts().m_fontTitle.GetSafeHandle(), "Times", 300, 700, {IDC_TITLE}},
            {dlg.GetFonts().m_fontHint.GetSafeHandle(), "Times", 200, 700, {IDC_HINT}},
        };
        for (const Expected& row : rows) {
            ASSERT_NE(nullptr, row.font) << row.face << " " << row.tenths;
            LOGFONTA logFont = LogFontOf(row.font);
            EXPECT_STREQ(row.face, logFont.lfFaceName);
            EXPECT_EQ(HeightOfTenths(row.tenths), logFont.lfHeight) << row.face << " " << row.tenths;
            EXPECT_EQ(row.weight, logFont.lfWeight) << row.face << " " << row.tenths;
            for (int id : row.ids)
                EXPECT_EQ(row.font, FontOf(::GetDlgItem(d, id))) << "control " << id;
        }
        ExpectSameFont(dlg.GetFonts().m_fontLine.GetSafeHandle(), FontOf(dlg.GetToolTipWindow()));
        EXPECT_EQ(nullptr, dlg.GetFonts().m_hSystemFont);
        ExpectSearchFieldWithSystemFontAndNoMargins(d);
    });
}

TEST_F(MainWindowFontsTest, OtherLanguagesGetTheSystemFont)
{
    for (LANGID language : {LANGID{0x040B}, LANGID{0x0411}}) {
        Check(language, [&](HWND d, CAnimationDlg& dlg) {
            HFONT system = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
            EXPECT_EQ(system, dlg.GetFonts().m_hSystemFont);
            std::vector<int> ids = LineFontIds();
            for (int id : CategoryFontIds())
                ids.push_back(id);
            ids.push_back(IDC_TITLE);
            for (int id : ids)
                EXPECT_EQ(system, FontOf(::GetDlgItem(d, id))) << "language " << language << ", control " << id;
            ExpectSameFont(system, FontOf(dlg.GetToolTipWindow()));
            EXPECT_EQ(FontOf(d), FontOf(::GetDlgItem(d, IDC_HINT))) << "the template's Arial 10";
            EXPECT_NE(system, FontOf(d));
            EXPECT_STREQ("Arial", LogFontOf(FontOf(::GetDlgItem(d, IDC_HINT))).lfFaceName);
            // No font of its own is made.
            for (const CFont* font : {&dlg.GetFonts().m_fontLine, &dlg.GetFonts().m_fontCategory, &dlg.GetFonts().m_fontTitle, &dlg.GetFonts().m_fontHint})
                EXPECT_EQ(nullptr, font->GetSafeHandle());
            ExpectSearchFieldWithSystemFontAndNoMargins(d);
        });
    }
}

}  // namespace
