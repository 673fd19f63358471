// The main window under the pointer and under clicks: web-link highlighting, the search help,
// dragging by the top strip, the rest state, and what each field does when clicked.
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

const COLORREF kGold = RGB(238, 181, 4);
const COLORREF kWhite = RGB(255, 255, 255);
const char kNonCustomizableText[] = "Customization of this Access Nimbook information field is not supported.";
const char kNonCustomizableCaption[] = "Access Nimbook Customization - Non-customizable Field";

// What the window tells a static control to draw with: text colour, background mode, brush.
struct CStaticColours {
    COLORREF text;
    int bkMode;
    HBRUSH brush;
};

CStaticColours ColoursOf(HWND dialog, int id)
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkMode(dc, OPAQUE);
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id))));
    CStaticColours colours{::GetTextColor(dc), ::GetBkMode(dc), brush};
    ::DeleteDC(dc);
    return colours;
}

// The centre of a control, in screen coordinates.
POINT CentreOf(HWND dialog, int id)
{
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

bool Highlighted(HWND dialog, int id)
{
    return BitmapStaticOf(dialog, id).IsHighlighted();
}

// The web link (1 to 4) whose text and icon are highlighted; 0 for none. Fails when a text
// and its icon disagree.
int HighlightedWebLink(HWND dialog)
{
    int found = 0;
    for (int i = 0; i < 4; ++i) {
        const bool text = Highlighted(dialog, kWebLinkTextIds[i]);
        EXPECT_EQ(text, Highlighted(dialog, kWebLinkIconIds[i])) << "web link " << i + 1;
        if (text) {
            EXPECT_EQ(0, found) << "two web links highlighted";
            found = i + 1;
        }
    }
    return found;
}

// The pointer over the left end of a sub-topic line: the lines stay hidden in the replica, so
// only their own hit test sees it.
void PointerOnHiddenLine(HWND dialog, int id)
{
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::SendMessageA(::GetDlgItem(dialog, id), WM_NCHITTEST, 0, MAKELPARAM(rc.left + 5, rc.top + 5));
}

bool SearchHelpShown(HWND dialog)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, IDC_SEARCH_HELP)) != FALSE;
}

class MainWindowHoverTest : public CMainWindowTest {
protected:
    void Check(std::function<void(HWND dialog, CAnimationDlg& dlg)> check)
    {
        Run([&](HWND dialog, CAnimationDlg& dlg) {
            check(dialog, dlg);
            dlg.EndDialog(IDCANCEL);
        });
    }

    // The pointer at a point of the window's own background: the window itself answers.
    static LRESULT PointerOnBackground(HWND dialog, POINT screen)
    {
        CHitTest hit = SystemHitTest(dialog, screen);
        EXPECT_EQ(dialog, hit.window) << "a field lies under " << screen.x << ", " << screen.y;
        return hit.code;
    }

    void ExpectNonCustomizableBoxes(HWND owner, size_t count)
    {
        ASSERT_EQ(count, m_boxes.m_boxes.size());
        for (const RecordedBox& box : m_boxes.m_boxes) {
            EXPECT_EQ(owner, box.owner);
            EXPECT_EQ(kNonCustomizableText, box.text);
            EXPECT_EQ(kNonCustomizableCaption, box.caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK), box.type);
        }
    }
};

TEST_F(MainWindowHoverTest, WebLinkHighlightFollowsThePointerFromLinkToLink)
{
    CPixels iconRest = LoadBitmapPixels(ImagesDirectory() + "\\Icon2.bmp");
    CPixels iconHigh = LoadBitmapPixels(ImagesDirectory() + "\\Icon2_hi.bmp");
    Check([&](HWND d, CAnimationDlg&) {
        EXPECT_EQ(0, HighlightedWebLink(d));
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_WEBLINK_TEXT2).text);

        // Onto web-link icon 2: the field itself answers, as a notifying static does.
        CHitTest hit = SystemHitTest(d, CentreOf(d, IDC_WEBLINK_ICON2));
        EXPECT_EQ(::GetDlgItem(d, IDC_WEBLINK_ICON2), hit.window);
        EXPECT_EQ(HTCLIENT, hit.code);
        EXPECT_EQ(2, HighlightedWebLink(d));
        CStaticColours text2 = ColoursOf(d, IDC_WEBLINK_TEXT2);
        EXPECT_EQ(kGold, text2.text);
        EXPECT_EQ(TRANSPARENT, text2.bkMode);
        EXPECT_EQ(::GetStockObject(NULL_BRUSH), text2.brush);
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_WEBLINK_TEXT1).text);
        CPixels painted = PaintErase(::GetDlgItem(d, IDC_WEBLINK_ICON2), 40, 40);
        EXPECT_EQ(iconHigh.At(39, 2), painted.At(39, 2)) << "the gold ring of Icon2_hi.bmp";
        EXPECT_NE(iconRest.At(39, 2), painted.At(39, 2));

        // Onto web-link text 3: link 3 takes the highlight from link 2.
        hit = SystemHitTest(d, CentreOf(d, IDC_WEBLINK_TEXT3));
        EXPECT_EQ(::GetDlgItem(d, IDC_WEBLINK_TEXT3), hit.window);
        EXPECT_EQ(3, HighlightedWebLink(d));
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_WEBLINK_TEXT2).text);
        EXPECT_EQ(kGold, ColoursOf(d, IDC_WEBLINK_TEXT3).text);
        painted = PaintErase(::GetDlgItem(d, IDC_WEBLINK_ICON2), 40, 40);
        EXPECT_EQ(iconRest.At(39, 2), painted.At(39, 2));

        // The title and the hint keep their colours whatever is highlighted.
        EXPECT_EQ(RGB(0, 255, 255), ColoursOf(d, IDC_TITLE).text);
        EXPECT_EQ(RGB(255, 255, 64), ColoursOf(d, IDC_HINT).text);
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_SEARCH_HELP).text);
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_STATIC).text);

        // Onto the background right of the links: everything returns to rest.
        EXPECT_EQ(HTCLIENT, PointerOnBackground(d, WindowPoint(d, 785, 300)));
        EXPECT_EQ(0, HighlightedWebLink(d));
        EXPECT_EQ(kWhite, ColoursOf(d, IDC_WEBLINK_TEXT3).text);
        // Every icon and every text highlights its own link.
        for (int i = 0; i < 4; ++i) {
            for (int id : {kWebLinkIconIds[i], kWebLinkTextIds[i]}) {
                SystemHitTest(d, CentreOf(d, id));
                EXPECT_EQ(i + 1, HighlightedWebLink(d)) << id;
                PointerOnBackground(d, WindowPoint(d, 785, 120));
            }
        }
    });
}

TEST_F(MainWindowHoverTest, SearchHelpShowsOnlyInsideTheSearchArea)
{
    // The pointer's way from the window's top left corner (L, T), and whether the help shows
    // after each step: x = L + 60 and y = T + 514 or T + 515 change nothing, and from x = L + 375
    // on nothing shows it, while only the areas left of L + 60 and right of L + 575 hide it.
    const std::tuple<int, int, bool> way[] = {
        {61, 430, true},   {60, 430, true},   {59, 430, false},  {60, 430, false}, {375, 430, false},
        {374, 430, true},  {375, 430, true},  {576, 430, false}, {575, 430, false}, {100, 420, true},
        {100, 419, false}, {100, 513, true},  {100, 514, true},  {100, 515, true}, {100, 516, false},
        {100, 515, false}, {100, 514, false},
    };
    Check([&](HWND d, CAnimationDlg&) {
        EXPECT_FALSE(SearchHelpShown(d));
        for (const auto& [dx, dy, shown] : way) {
            PointerOnBackground(d, WindowPoint(d, dx, dy));
            EXPECT_EQ(shown, SearchHelpShown(d)) << "L + " << dx << ", T + " << dy;
        }
        // Showing the help resets the links.
        SystemHitTest(d, CentreOf(d, IDC_WEBLINK_ICON4));
        EXPECT_EQ(4, HighlightedWebLink(d));
        PointerOnBackground(d, WindowPoint(d, 350, 430));
        EXPECT_TRUE(SearchHelpShown(d));
        EXPECT_EQ(0, HighlightedWebLink(d));
        // Over the help text itself the window still answers: it does not notify clicks.
        PointerOnBackground(d, CentreOf(d, IDC_SEARCH_HELP));
    });
}

TEST_F(MainWindowHoverTest, TopStripDragsTheWindowAndResetsTheLinks)
{
    Check([](HWND d, CAnimationDlg&) {
        SystemHitTest(d, CentreOf(d, IDC_WEBLINK_TEXT1));
        EXPECT_EQ(1, HighlightedWebLink(d));
        EXPECT_EQ(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 50, 99)));
        EXPECT_EQ(0, HighlightedWebLink(d));
        EXPECT_EQ(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 50, 1)));
        EXPECT_EQ(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 1, 50)));
        EXPECT_EQ(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 799, 50)));
        EXPECT_EQ(HTCLIENT, PointerOnBackground(d, WindowPoint(d, 50, 100)));
        EXPECT_NE(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 50, 0)));
        EXPECT_NE(HTCAPTION, PointerOnBackground(d, WindowPoint(d, 0, 50)));
        // Over the title (a static that lets the pointer through) the strip still drags.
        EXPECT_EQ(HTCAPTION, PointerOnBackground(d, CentreOf(d, IDC_TITLE)));
    });
}

TEST_F(MainWindowHoverTest, RestStateClearsSubTopics)
{
    Check([](HWND d, CAnimationDlg& dlg) {
        SystemHitTest(d, CentreOf(d, IDC_WEBLINK_ICON2));
        const int repaints = dlg.GetHoverStatistics().nRepaints;
        for (int id : kCategoryIds) {
            CHitTest hit = SystemHitTest(d, CentreOf(d, id));
            EXPECT_EQ(::GetDlgItem(d, id), hit.window);
            EXPECT_EQ(HTCLIENT, hit.code);
        }
        for (int id : kCategoryIds) {
            EXPECT_FALSE(Highlighted(d, id));
            EXPECT_EQ(kWhite, ColoursOf(d, id).text);
        }
        EXPECT_EQ(2, HighlightedWebLink(d));
        EXPECT_EQ(repaints, dlg.GetHoverStatistics().nRepaints);

        // A sub-topic's highlight is cleared by the rest state.
        PointerOnHiddenLine(d, IDC_SUBTOPIC3);
        EXPECT_TRUE(Highlighted(d, IDC_SUBTOPIC3));
        EXPECT_EQ(kGold, ColoursOf(d, IDC_SUBTOPIC3).text);
        PointerOnHiddenLine(d, IDC_SUBTOPIC15);
        EXPECT_FALSE(Highlighted(d, IDC_SUBTOPIC3));
        EXPECT_TRUE(Highlighted(d, IDC_SUBTOPIC15));
        PointerOnBackground(d, WindowPoint(d, 20, 300));
        for (int id : kSubTopicIds) {
            EXPECT_FALSE(Highlighted(d, id));
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, id)));
        }
    });
}

TEST_F(MainWindowHoverTest, OnlyChangedFieldsAreRepainted)
{
    Check([](HWND d, CAnimationDlg& dlg) {
        const CAnimationDlg::CHoverStatistics& stats = dlg.GetHoverStatistics();
        ASSERT_EQ(0, stats.nRepaints);

        // A sweep over areas that are at rest already repaints nothing.
        for (int y = 110; y < 590; y += 8)
            PointerOnBackground(d, WindowPoint(d, 20, y));
        for (int y = 110; y < 510; y += 8)
            PointerOnBackground(d, WindowPoint(d, 785, y));
        for (int x = 20; x < 560; x += 10)
            PointerOnBackground(d, WindowPoint(d, x, 580));
        EXPECT_GT(stats.nResets, 100);
        EXPECT_EQ(0, stats.nRepaints);

        SystemHitTest(d, CentreOf(d, IDC_WEBLINK_ICON2));
        EXPECT_EQ(2, stats.nRepaints) << "text and icon of link 2";
        for (int i = 0; i < 10; ++i)
            SystemHitTest(d, CentreOf(d, IDC_WEBLINK_TEXT2));
        EXPECT_EQ(2, stats.nRepaints) << "link 2 stays highlighted";
        SystemHitTest(d, CentreOf(d, IDC_WEBLINK_TEXT3));
        EXPECT_EQ(6, stats.nRepaints) << "link 2 back to rest, link 3 highlighted";
        PointerOnBackground(d, WindowPoint(d, 785, 300));
        EXPECT_EQ(8, stats.nRepaints);
        PointerOnBackground(d, WindowPoint(d, 350, 430));
        EXPECT_EQ(9, stats.nRepaints) << "the search help shows";
        PointerOnBackground(d, WindowPoint(d, 350, 440));
        EXPECT_EQ(9, stats.nRepaints);
        PointerOnBackground(d, WindowPoint(d, 100, 530));
        EXPECT_EQ(10, stats.nRepaints) << "and hides";
        EXPECT_GT(stats.nWebLinkHovers, 10);
    });
}

TEST_F(MainWindowHoverTest, TooltipsAreStyledAndTypingRaisesNothing)
{
    Check([&](HWND d, CAnimationDlg& dlg) {
        HWND toolTip = dlg.GetToolTipWindow();
        ::PostMessageA(d, WM_NULL, 0, 0);
        PumpMessages(d);
        EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(::SendMessageA(toolTip, TTM_GETTIPTEXTCOLOR, 0, 0)));
        EXPECT_EQ(RGB(0, 17, 40), static_cast<COLORREF>(::SendMessageA(toolTip, TTM_GETTIPBKCOLOR, 0, 0)));
        EXPECT_EQ(200, ::SendMessageA(toolTip, TTM_GETMAXTIPWIDTH, 0, 0));
        EXPECT_EQ(300, ::SendMessageA(toolTip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));

        // Typing into the read-only search field raises nothing.
        HWND search = ::GetDlgItem(d, IDC_SEARCH_EDIT);
        ::SetFocus(search);
        for (char c : std::string("battery")) {
            ::PostMessageA(search, WM_CHAR, static_cast<WPARAM>(c), 1);
            PumpMessages(d);
        }
        EXPECT_EQ("", ItemText(d, IDC_SEARCH_EDIT));
        EXPECT_TRUE(m_boxes.m_boxes.empty());
    });
}

TEST_F(MainWindowHoverTest, EnterAnswersOnlyWithASearchText)
{
    Run([&](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(MAKELONG(IDC_DEFAULT_BUTTON, DC_HASDEFID), ::SendMessageA(d, DM_GETDEFID, 0, 0));
        PressKey(d, VK_RETURN);
        PumpMessages(d);
        EXPECT_TRUE(m_boxes.m_boxes.empty()) << "empty search field";
        ClickButtonNow(d, IDC_DEFAULT_BUTTON);
        EXPECT_TRUE(m_boxes.m_boxes.empty());
        for (int id : {IDC_GO_BUTTON, IDC_GO_TEXT, IDC_SEARCH_LABEL}) {
            ClickFieldNow(d, id);
            ExpectNonCustomizableBoxes(d, 1);
            m_boxes.m_boxes.clear();
        }

        // Every change of the search field's text answers that it cannot be customized.
        SetItemText(d, IDC_SEARCH_EDIT, "battery");
        ExpectNonCustomizableBoxes(d, 1);
        PressKey(d, VK_RETURN);
        PumpMessages(d);
        ExpectNonCustomizableBoxes(d, 2);
        EXPECT_EQ("battery", dlg.GetSearchText());
        SetItemText(d, IDC_SEARCH_EDIT, "battery life");
        ExpectNonCustomizableBoxes(d, 3);
        EXPECT_TRUE(::IsWindow(d)) << "the window goes on";
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(MainWindowHoverTest, CaptionFieldsCloseAndMinimize)
{
    EXPECT_EQ(IDOK, Run([&](HWND d, CAnimationDlg& dlg) {
        SetItemText(d, IDC_SEARCH_EDIT, "typed");
        m_boxes.m_boxes.clear();
        ClickFieldNow(d, IDC_CLOSE);
        EXPECT_EQ("typed", dlg.GetSearchText()) << "the texts are taken first";
    }));
    EXPECT_EQ(IDCANCEL, Run([](HWND d, CAnimationDlg&) { PressKey(d, VK_ESCAPE); }));
    Run([](HWND d, CAnimationDlg& dlg) {
        for (int id : kSubTopicIds)
            ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(d, id)));
        EXPECT_TRUE(::IsWindowVisible(d));
        ClickFieldNow(d, IDC_MINIMIZE);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        ::GetWindowPlacement(d, &placement);
        EXPECT_TRUE(::IsIconic(d));
        EXPECT_EQ(static_cast<UINT>(SW_SHOWMINIMIZED), placement.showCmd);
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

}  // namespace
