// The main window's place, size, control layout and artwork once it has opened.
#include "config/RegistrySchema.h"
#include "framework/CurrentDirectory.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable rectangles in failure messages.
inline std::ostream& operator<<(std::ostream& out, const RECT& rc)
{
    return out << "(" << rc.left << ", " << rc.top << ", " << rc.right - rc.left << " x " << rc.bottom - rc.top
               << ")";
}
inline bool operator==(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

namespace {

RECT Rect(int x, int y, int cx, int cy)
{
    return {x, y, x + cx, y + cy};
}

// A rectangle at a pixel position with a size in dialog units (a size the window kept).
RECT PixelsAndUnits(HWND dialog, int x, int y, int cxUnits, int cyUnits)
{
    POINT size = DialogUnitsToPixels(dialog, cxUnits, cyUnits);
    return Rect(x, y, size.x, size.y);
}

// A rectangle wholly in dialog units (a control the window left where the template put it).
RECT Units(HWND dialog, int x, int y, int cx, int cy)
{
    POINT origin = DialogUnitsToPixels(dialog, x, y);
    POINT size = DialogUnitsToPixels(dialog, cx, cy);
    return Rect(origin.x, origin.y, size.x, size.y);
}

SIZE BitmapFileSize(const std::string& path)
{
    CPixels pixels = LoadBitmapPixels(path);
    return {pixels.width, pixels.height};
}

class MainWindowLayoutTest : public CMainWindowTest {
protected:
    // Runs the window and hands the open dialog to `check`, then closes it.
    void Check(std::function<void(HWND dialog, CAnimationDlg& dlg)> check,
               std::function<void(CAnimationDlg&)> prepare = {})
    {
        Run(
            [&](HWND dialog, CAnimationDlg& dlg) {
                check(dialog, dlg);
                dlg.EndDialog(IDCANCEL);
            },
            std::move(prepare));
    }
};

TEST_F(MainWindowLayoutTest, WindowSitsAtTheTopLeftCornerWith800By600Pixels)
{
    Check([](HWND dialog, CAnimationDlg&) {
        RECT rc{};
        ::GetWindowRect(dialog, &rc);
        EXPECT_EQ(Rect(0, 0, 800, 600), rc);
        EXPECT_TRUE(::IsWindowVisible(dialog));
        const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(0, style & WS_CAPTION) << "no caption bar";
        EXPECT_EQ(WS_POPUP, style & WS_POPUP);
        EXPECT_TRUE(::GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    });
}

TEST_F(MainWindowLayoutTest, ControlsSitWhereTheLayoutPutsThem)
{
    SIZE leftImage = BitmapFileSize(ImagesDirectory() + "\\Image0.bmp");
    SIZE centerImage = BitmapFileSize(ImagesDirectory() + "\\cntrRest.bmp");
    ASSERT_EQ(72, leftImage.cx);
    ASSERT_EQ(23, centerImage.cx);

    Check([&](HWND d, CAnimationDlg&) {
        const int categoryY[] = {172, 222, 271, 321, 370};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Rect(61, categoryY[i], 235, 26), ControlRect(d, kCategoryIds[i])) << kCategoryIds[i];
        EXPECT_EQ(PixelsAndUnits(d, 61, 421, 134, 13), ControlRect(d, IDC_SEARCH_LABEL));
        EXPECT_EQ(Rect(73, 455, 185, 24), ControlRect(d, IDC_SEARCH_EDIT));
        EXPECT_EQ(PixelsAndUnits(d, 77, 517, 226, 36), ControlRect(d, IDC_SEARCH_HELP));
        EXPECT_EQ(Rect(262, 450, 30, 30), ControlRect(d, IDC_GO_TEXT)) << "\"Go\": two characters";
        EXPECT_EQ(PixelsAndUnits(d, 292, 452, 18, 14), ControlRect(d, IDC_GO_BUTTON));
        // Pictures take their bitmap's size.
        EXPECT_EQ(Rect(230, 100, leftImage.cx, leftImage.cy), ControlRect(d, IDC_LEFT_IMAGE));
        EXPECT_EQ(Rect(302, 130, centerImage.cx, centerImage.cy), ControlRect(d, IDC_CENTER_IMAGE));
        for (int line = 0; line < 14; ++line)
            EXPECT_EQ(Rect(303, 131 + 20 * line, 273, 22), ControlRect(d, kSubTopicIds[line])) << "line " << line + 1;
        EXPECT_EQ(Rect(474, 0, 240, 130), ControlRect(d, IDC_ANIMATION));
        EXPECT_EQ(PixelsAndUnits(d, 747, 11, 8, 8), ControlRect(d, IDC_MINIMIZE));
        EXPECT_EQ(PixelsAndUnits(d, 768, 11, 8, 8), ControlRect(d, IDC_CLOSE));
        const int iconY[] = {168, 260, 356, 452};
        const int iconHeight[] = {38, 38, 37, 38};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(PixelsAndUnits(d, 585, iconY[i], 45, iconHeight[i]), ControlRect(d, kWebLinkIconIds[i]))
                << kWebLinkIconIds[i];
        const int textY[] = {184, 278, 374, 464};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Rect(665, textY[i], 105, 85), ControlRect(d, kWebLinkTextIds[i])) << kWebLinkTextIds[i];
    });
}

TEST_F(MainWindowLayoutTest, SomeControlsKeepTheirTemplatePlaces)
{
    Check([](HWND d, CAnimationDlg&) {
        EXPECT_EQ(Units(d, 65, 7, 196, 28), ControlRect(d, IDC_TITLE));
        EXPECT_EQ(Units(d, 92, 277, 287, 25), ControlRect(d, IDC_HINT));
        EXPECT_EQ(Units(d, 410, 18, 42, 48), ControlRect(d, IDC_STATIC));
        EXPECT_EQ(Units(d, 383, 275, 49, 21), ControlRect(d, IDC_EDIT_INTERNET_WELCOME));
        EXPECT_EQ(Units(d, 160, 241, 31, 13), ControlRect(d, IDC_DEFAULT_BUTTON));
        EXPECT_EQ(Units(d, 173, 206, 156, 11), ControlRect(d, IDC_SUBTOPIC15));
        EXPECT_EQ("Close application when finished making changes.", ItemText(d, IDC_STATIC));
        EXPECT_EQ("Edit Internet    Welcome", ItemText(d, IDC_EDIT_INTERNET_WELCOME));
        EXPECT_EQ("Default", ItemText(d, IDC_DEFAULT_BUTTON));
    });
}

TEST_F(MainWindowLayoutTest, HiddenControlsStayHiddenAndTheOthersShow)
{
    Check([](HWND d, CAnimationDlg&) {
        for (int id : kSubTopicIds)
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, id))) << id;
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, IDC_SEARCH_HELP)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, IDC_DEFAULT_BUTTON)));
        const int shown[] = {IDC_CATEGORY1, IDC_CATEGORY5, IDC_SEARCH_LABEL, IDC_SEARCH_EDIT, IDC_GO_TEXT,
                             IDC_GO_BUTTON, IDC_LEFT_IMAGE, IDC_CENTER_IMAGE, IDC_WEBLINK_ICON1,
                             IDC_WEBLINK_TEXT4, IDC_MINIMIZE, IDC_CLOSE, IDC_ANIMATION, IDC_TITLE, IDC_HINT,
                             IDC_STATIC, IDC_EDIT_INTERNET_WELCOME};
        for (int id : shown)
            EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(d, id))) << id;
    });
}

TEST_F(MainWindowLayoutTest, GoTextWidensWithItsTextAndTheGoButtonMovesRightOfIt)
{
    struct Row {
        std::string text;
        RECT goText;
        int goButtonX;
    };
    const Row rows[] = {
        {"", Rect(262, 450, 30, 30), 292},
        {"Go", Rect(262, 450, 30, 30), 292},
        {"Go!", Rect(262, 450, 50, 30), 321},
        {"Go on", Rect(262, 450, 50, 30), 321},
        {"Search", Rect(262, 450, 62, 30), 327},
        {"Find now!", Rect(262, 450, 62, 30), 327},
        {"Search now", Rect(261, 450, 110, 30), 374},
        {"Search the whole help", Rect(261, 450, 110, 30), 374},
    };
    for (const Row& row : rows) {
        SetValue(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, RegValues::GoText, row.text);
        Check([&](HWND d, CAnimationDlg&) {
            EXPECT_EQ(row.text, ItemText(d, IDC_GO_TEXT));
            EXPECT_EQ(row.goText, ControlRect(d, IDC_GO_TEXT)) << "GO_TEXT \"" << row.text << "\"";
            EXPECT_EQ(PixelsAndUnits(d, row.goButtonX, 452, 18, 14), ControlRect(d, IDC_GO_BUTTON))
                << "GO_TEXT \"" << row.text << "\"";
        });
    }
}

TEST_F(MainWindowLayoutTest, PicturesShowTheirFilesFromTheImagesDirectory)
{
    Check([&](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_bmpLeftImage.GetSafeHandle()),
                  ::SendDlgItemMessageA(d, IDC_LEFT_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_bmpCenterRest.GetSafeHandle()),
                  ::SendDlgItemMessageA(d, IDC_CENTER_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_NE(nullptr, dlg.m_bmpLeftImage.GetSafeHandle());
        EXPECT_NE(nullptr, dlg.m_bmpCenterRest.GetSafeHandle());

        // The bitmap fields paint their files: rest pictures at rest, the others when highlighted.
        auto expectPaints = [&](int id, const std::string& file) {
            CPixels expected = LoadBitmapPixels(ImagesDirectory() + "\\" + file);
            ASSERT_GT(expected.width, 0) << file;
            RECT rc = ControlRect(d, id);
            const int w = std::min<int>(rc.right - rc.left, expected.width);
            const int h = std::min<int>(rc.bottom - rc.top, expected.height);
            CPixels painted = PaintErase(::GetDlgItem(d, id), w, h);
            for (int y = 0; y < h; y += 3)
                for (int x = 0; x < w; x += 3)
                    ASSERT_EQ(expected.At(x, y), painted.At(x, y)) << file << " at " << x << ", " << y;
        };
        for (int i = 0; i < 5; ++i) {
            const std::string n = std::to_string(i + 1);
            expectPaints(kCategoryIds[i], "L" + n + "Rest.bmp");
            BitmapStaticOf(d, kCategoryIds[i]).SetHighlight(1);
            expectPaints(kCategoryIds[i], "L" + n + "High.bmp");
            BitmapStaticOf(d, kCategoryIds[i]).SetHighlight(0);
        }
        for (int i = 0; i < 4; ++i) {
            const std::string n = std::to_string(i + 1);
            expectPaints(kWebLinkIconIds[i], "Icon" + n + ".bmp");
            BitmapStaticOf(d, kWebLinkIconIds[i]).SetHighlight(1);
            expectPaints(kWebLinkIconIds[i], "Icon" + n + "_hi.bmp");
            BitmapStaticOf(d, kWebLinkIconIds[i]).SetHighlight(0);
        }
        expectPaints(IDC_GO_BUTTON, "gobtn_re.bmp");
        BitmapStaticOf(d, IDC_GO_BUTTON).SetHighlight(1);
        expectPaints(IDC_GO_BUTTON, "gobtn_hi.bmp");
        BitmapStaticOf(d, IDC_GO_BUTTON).SetHighlight(0);
        for (int highlight = 0; highlight < 2; ++highlight) {
            BitmapStaticOf(d, IDC_CLOSE).SetHighlight(highlight);
            BitmapStaticOf(d, IDC_MINIMIZE).SetHighlight(highlight);
            expectPaints(IDC_CLOSE, "close.bmp");
            expectPaints(IDC_MINIMIZE, "minimize.bmp");
        }
        BitmapStaticOf(d, IDC_CLOSE).SetHighlight(0);
        BitmapStaticOf(d, IDC_MINIMIZE).SetHighlight(0);

        // The web-link texts have no pictures: they paint nothing of their own.
        CPixels text = PaintErase(::GetDlgItem(d, IDC_WEBLINK_TEXT2), 20, 20);
        EXPECT_EQ(RGB(255, 255, 255), text.At(10, 10));
    });
}

TEST_F(MainWindowLayoutTest, BackgroundIsTheNoLogoPictureUnlessTheCreatorAsksForTheLogo)
{
    CPixels noLogo = LoadBitmapPixels(ImagesDirectory() + "\\BkgdNoLg.bmp");
    CPixels logo = LoadBitmapPixels(ImagesDirectory() + "\\BkgdLogo.bmp");
    ASSERT_EQ(800, noLogo.width);
    ASSERT_NE(noLogo.At(56, 48), logo.At(56, 48)) << "the logo's ring";

    for (bool bNoLogo : {true, false}) {
        const CPixels& expected = bNoLogo ? noLogo : logo;
        Check(
            [&](HWND d, CAnimationDlg&) {
                RECT client{};
                ::GetClientRect(d, &client);
                CPixels painted = PaintErase(d, client.right, client.bottom);
                for (POINT pt : {POINT{56, 48}, POINT{0, 0}, POINT{400, 300}, POINT{client.right - 1, client.bottom - 1}})
                    EXPECT_EQ(expected.At(pt.x, pt.y), painted.At(pt.x, pt.y))
                        << (bNoLogo ? "BkgdNoLg" : "BkgdLogo") << " at " << pt.x << ", " << pt.y;
            },
            [&](CAnimationDlg& dlg) {
                EXPECT_TRUE(dlg.m_bNoLogo) << "the constructor's choice";
                dlg.m_bNoLogo = bNoLogo;
            });
    }
}

TEST_F(MainWindowLayoutTest, SmallBackgroundIsTiledAndAMissingOneLeavesBlack)
{
    // A 72 x 72 picture in a bigger client area: copies every 72 pixels.
    ASSERT_TRUE(::CopyFileA((ImagesDirectory() + "\\Image1.bmp").c_str(),
                            (ImagesDirectory() + "\\BkgdNoLg.bmp").c_str(), FALSE));
    CPixels tile = LoadBitmapPixels(ImagesDirectory() + "\\Image1.bmp");
    ASSERT_EQ(72, tile.width);
    Check([&](HWND d, CAnimationDlg&) {
        CPixels painted = PaintErase(d, 300, 200);
        for (POINT pt : {POINT{0, 0}, POINT{35, 30}, POINT{72 + 35, 30}, POINT{144 + 10, 72 + 60}, POINT{71, 71}})
            EXPECT_EQ(tile.At(pt.x % 72, pt.y % 72), painted.At(pt.x, pt.y)) << pt.x << ", " << pt.y;
    });

    ASSERT_TRUE(::DeleteFileA((ImagesDirectory() + "\\BkgdNoLg.bmp").c_str()));
    Check([&](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(nullptr, dlg.m_bmpBackground.GetSafeHandle());
        CPixels painted = PaintErase(d, 300, 200);
        EXPECT_EQ(RGB(0, 0, 0), painted.At(0, 0));
        EXPECT_EQ(RGB(0, 0, 0), painted.At(299, 199));
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty()) << "a missing picture is not reported";
}

TEST_F(MainWindowLayoutTest, MissingPicturesLeaveTheirFieldsEmptyWithoutAMessage)
{
    for (const char* file : {"Image0.bmp", "cntrRest.bmp", "L2Rest.bmp", "Icon3_hi.bmp", "gobtn_re.bmp"})
        ASSERT_TRUE(::DeleteFileA((ImagesDirectory() + "\\" + file).c_str())) << file;
    Check([](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(nullptr, dlg.m_bmpLeftImage.GetSafeHandle());
        EXPECT_EQ(0, ::SendDlgItemMessageA(d, IDC_LEFT_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(nullptr, dlg.m_bmpCenterRest.GetSafeHandle());
        EXPECT_EQ(nullptr, dlg.m_bmpCategoryRest[1].GetSafeHandle());
        EXPECT_NE(nullptr, dlg.m_bmpCategoryHigh[1].GetSafeHandle());
        EXPECT_EQ(nullptr, dlg.m_bmpWebLinkIconHigh[2].GetSafeHandle());
        EXPECT_EQ(nullptr, dlg.m_bmpGoRest.GetSafeHandle());
        // An empty picture paints nothing: the field shows what is behind it.
        CPixels painted = PaintErase(::GetDlgItem(d, IDC_CATEGORY2), 40, 20);
        EXPECT_EQ(RGB(255, 255, 255), painted.At(20, 10));
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(MainWindowLayoutTest, PictureNamesAreFoundWhateverTheirCapitals)
{
    const std::string images = ImagesDirectory();
    ASSERT_TRUE(::MoveFileA((images + "\\Icon2_hi.bmp").c_str(), (images + "\\ICON2_HI.BMP").c_str()));
    ASSERT_TRUE(::MoveFileA((images + "\\Image0.bmp").c_str(), (images + "\\image0.bmp").c_str()));
    Check([](HWND, CAnimationDlg& dlg) {
        EXPECT_NE(nullptr, dlg.m_bmpWebLinkIconHigh[1].GetSafeHandle());
        EXPECT_NE(nullptr, dlg.m_bmpLeftImage.GetSafeHandle());
    });
}

TEST_F(MainWindowLayoutTest, WindowIconAndAnimationMovieComeFromTheInstallation)
{
    Check([&](HWND d, CAnimationDlg& dlg) {
        HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(icon, dlg.m_hIcon);
        EXPECT_EQ(reinterpret_cast<LRESULT>(icon), ::SendMessageA(d, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(m_base.Path(), dlg.m_szCurrentDir);
        EXPECT_EQ(m_base.Path() + "\\images\\corvane.swf", dlg.m_flash.GetMovie());
        char className[64] = {};
        ::GetClassNameA(::GetDlgItem(d, IDC_ANIMATION), className, sizeof(className));
        EXPECT_STREQ("{D27CDB6E-AE6D-11CF-96B8-444553540000}", className);
        EXPECT_EQ(::GetDlgItem(d, IDC_ANIMATION), dlg.m_flash.m_hWnd);
    });
}

TEST_F(MainWindowLayoutTest, LongCurrentDirectoryIsKeptWhole)
{
    // As deep as a directory may be (a little under MAX_PATH): its picture paths run longer.
    std::string deep = m_base.Path();
    while (deep.size() < 240) {
        deep += "\\sub";
        ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr)) << deep.size();
    }
    ASSERT_GT((deep + "\\images\\corvane.swf").size(), 256u);
    ASSERT_TRUE(::SetCurrentDirectoryA(deep.c_str()));
    Check([&](HWND, CAnimationDlg& dlg) {
        EXPECT_EQ(deep, dlg.m_szCurrentDir);
        EXPECT_EQ(deep + "\\images\\corvane.swf", dlg.m_flash.GetMovie());
    });
    ::SetCurrentDirectoryA(m_base.Path().c_str());
}

TEST_F(MainWindowLayoutTest, HoveringControlsReportTheirCodesToTheWindow)
{
    Check([](HWND d, CAnimationDlg& dlg) {
        for (int i = 0; i < 15; ++i) {
            EXPECT_EQ(1 + i, BitmapStaticOf(d, kSubTopicIds[i]).m_nHoverCode);
            EXPECT_EQ(&dlg, BitmapStaticOf(d, kSubTopicIds[i]).m_pHoverTarget);
        }
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(101 + i, BitmapStaticOf(d, kCategoryIds[i]).m_nHoverCode);
            EXPECT_EQ(&dlg, BitmapStaticOf(d, kCategoryIds[i]).m_pHoverTarget);
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(201 + i, BitmapStaticOf(d, kWebLinkTextIds[i]).m_nHoverCode);
            EXPECT_EQ(201 + i, BitmapStaticOf(d, kWebLinkIconIds[i]).m_nHoverCode);
            EXPECT_EQ(&dlg, BitmapStaticOf(d, kWebLinkTextIds[i]).m_pHoverTarget);
            EXPECT_EQ(&dlg, BitmapStaticOf(d, kWebLinkIconIds[i]).m_pHoverTarget);
        }
        for (int id : {IDC_TITLE, IDC_HINT, IDC_GO_BUTTON, IDC_SEARCH_LABEL, IDC_CLOSE, IDC_MINIMIZE}) {
            EXPECT_EQ(0, BitmapStaticOf(d, id).m_nHoverCode) << id;
            EXPECT_EQ(nullptr, BitmapStaticOf(d, id).m_pHoverTarget) << id;
        }
        EXPECT_EQ(0, dlg.m_nSelectedCategory);
    });
}

}  // namespace
