// The main window's place, size, control layout and artwork once it has opened.
#include "config/RegistrySchema.h"
#include "framework/CurrentDirectory.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

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

TEST_F(MainWindowLayoutTest, OpensAtTheTopLeftWithItsIconAndMovie)
{
    Check([&](HWND d, CAnimationDlg& dlg) {
        RECT rc{};
        ::GetWindowRect(d, &rc);
        EXPECT_EQ(Rect(0, 0, 800, 600), rc);
        EXPECT_TRUE(::IsWindowVisible(d));
        const LONG style = ::GetWindowLongA(d, GWL_STYLE);
        EXPECT_EQ(0, style & WS_CAPTION) << "no caption bar";
        EXPECT_EQ(WS_POPUP, style & WS_POPUP);
        EXPECT_TRUE(::GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_STATICEDGE);

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

        HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(reinterpret_cast<LRESULT>(icon), ::SendMessageA(d, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(m_base.Path() + "\\images\\corvane.swf", dlg.GetFlash().GetMovie());
        char className[64] = {};
        ::GetClassNameA(::GetDlgItem(d, IDC_ANIMATION), className, sizeof(className));
        EXPECT_STREQ("{D27CDB6E-AE6D-11CF-96B8-444553540000}", className);
        EXPECT_EQ(::GetDlgItem(d, IDC_ANIMATION), dlg.GetFlash().m_hWnd);
    });
}

TEST_F(MainWindowLayoutTest, GoButtonFollowsAWideningGoText)
{
    // The fields that take the pointer never overlap (a web-link icon may reach under its
    // text), and all lie inside the 800 x 600 window.
    Check([](HWND d, CAnimationDlg&) {
        std::vector<int> ids(kCategoryIds.begin(), kCategoryIds.end());
        ids.insert(ids.end(), kWebLinkTextIds.begin(), kWebLinkTextIds.end());
        ids.insert(ids.end(), {IDC_SEARCH_LABEL, IDC_SEARCH_EDIT, IDC_GO_TEXT, IDC_GO_BUTTON, IDC_LEFT_IMAGE,
                               IDC_CENTER_IMAGE, IDC_ANIMATION, IDC_MINIMIZE, IDC_CLOSE});
        const RECT window{0, 0, 800, 600};
        for (int a : ids) {
            RECT ra = ControlRect(d, a), both{};
            EXPECT_TRUE(::IntersectRect(&both, &ra, &window) && both == ra) << a << " at " << ra;
            for (int b : ids) {
                const RECT rb = ControlRect(d, b);
                EXPECT_TRUE(a == b || !::IntersectRect(&both, &ra, &rb)) << a << " and " << b;
            }
        }
    });
    // The Go text widens with its text; the Go button stays right beside it (at most 9 pixels apart).
    int lastWidth = 0;
    for (const char* text : {"", "Go", "Go!", "Go on", "Search", "Find now!", "Search now", "Search the help"}) {
        SetValue(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, RegValues::GoText, text);
        Check([&](HWND d, CAnimationDlg&) {
            const RECT go = ControlRect(d, IDC_GO_TEXT), button = ControlRect(d, IDC_GO_BUTTON);
            EXPECT_GE(button.left - go.right, 0) << text;
            EXPECT_LE(button.left - go.right, 9) << text;
            EXPECT_GE(go.right - go.left, lastWidth) << text;
            lastWidth = go.right - go.left;
        });
    }
}

TEST_F(MainWindowLayoutTest, PicturesShowTheirFilesFromTheImagesDirectory)
{
    Check([&](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.GetArtwork().m_bmpLeftImage.GetSafeHandle()),
                  ::SendDlgItemMessageA(d, IDC_LEFT_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.GetArtwork().m_bmpCenterRest.GetSafeHandle()),
                  ::SendDlgItemMessageA(d, IDC_CENTER_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_NE(nullptr, dlg.GetArtwork().m_bmpLeftImage.GetSafeHandle());
        EXPECT_NE(nullptr, dlg.GetArtwork().m_bmpCenterRest.GetSafeHandle());

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
        // Each field with its picture at rest and highlighted; close and minimize keep theirs.
        std::vector<std::tuple<int, std::string, std::string>> pictures = {
            {IDC_GO_BUTTON, "gobtn_re.bmp", "gobtn_hi.bmp"}, {IDC_CLOSE, "close.bmp", "close.bmp"},
            {IDC_MINIMIZE, "minimize.bmp", "minimize.bmp"}};
        for (int i = 0; i < 5; ++i) {
            const std::string n = std::to_string(i + 1);
            pictures.emplace_back(kCategoryIds[i], "L" + n + "Rest.bmp", "L" + n + "High.bmp");
            if (i < 4)
                pictures.emplace_back(kWebLinkIconIds[i], "Icon" + n + ".bmp", "Icon" + n + "_hi.bmp");
        }
        for (const auto& [id, rest, high] : pictures) {
            expectPaints(id, rest);
            BitmapStaticOf(d, id).SetHighlight(true);
            expectPaints(id, high);
            BitmapStaticOf(d, id).SetHighlight(false);
        }

        // The web-link texts have no pictures: they paint nothing of their own.
        CPixels text = PaintErase(::GetDlgItem(d, IDC_WEBLINK_TEXT2), 20, 20);
        EXPECT_EQ(RGB(255, 255, 255), text.At(10, 10));
    });
}

TEST_F(MainWindowLayoutTest, BackgroundShowsTheLogoOnlyWhenAsked)
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
                if (!bNoLogo)
                    dlg.SetNoLogo(false);
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
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpBackground.GetSafeHandle());
        CPixels painted = PaintErase(d, 300, 200);
        EXPECT_EQ(RGB(0, 0, 0), painted.At(0, 0));
        EXPECT_EQ(RGB(0, 0, 0), painted.At(299, 199));
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty()) << "a missing picture is not reported";
}

TEST_F(MainWindowLayoutTest, PicturesComeFromTheFolderCurrentWhenTheWindowOpens)
{
    // The window begins reading its pictures when it is constructed; a folder changed before
    // it opens is the one it shows.
    CScratchDirectory other;
    CopySampleImages(other.Path());
    ASSERT_TRUE(::CopyFileA((other.Path() + "\\images\\Image1.bmp").c_str(),
                            (other.Path() + "\\images\\BkgdNoLg.bmp").c_str(), FALSE));
    ASSERT_TRUE(::SetCurrentDirectoryA(m_base.Path().c_str()));
    Check([](HWND, CAnimationDlg& dlg) {
        BITMAP bm{};
        ASSERT_TRUE(dlg.GetArtwork().m_bmpBackground.GetBitmap(bm));
        EXPECT_EQ(72, bm.bmWidth);
    }, [&](CAnimationDlg&) { ASSERT_TRUE(::SetCurrentDirectoryA(other.Path().c_str())); });
    ::SetCurrentDirectoryA(m_base.Path().c_str());
}

TEST_F(MainWindowLayoutTest, MissingPicturesLeaveTheirFieldsEmpty)
{
    const std::string images = ImagesDirectory();
    for (const char* file : {"Image0.bmp", "cntrRest.bmp", "L2Rest.bmp", "Icon3_hi.bmp", "gobtn_re.bmp"})
        ASSERT_TRUE(::DeleteFileA((images + "\\" + file).c_str())) << file;
    ASSERT_TRUE(::MoveFileA((images + "\\Icon2_hi.bmp").c_str(), (images + "\\ICON2_HI.BMP").c_str()));
    Check([](HWND d, CAnimationDlg& dlg) {
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpLeftImage.GetSafeHandle());
        EXPECT_EQ(0, ::SendDlgItemMessageA(d, IDC_LEFT_IMAGE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpCenterRest.GetSafeHandle());
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpCategoryRest[1].GetSafeHandle());
        EXPECT_NE(nullptr, dlg.GetArtwork().m_bmpCategoryHigh[1].GetSafeHandle());
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpWebLinkIconHigh[2].GetSafeHandle());
        EXPECT_NE(nullptr, dlg.GetArtwork().m_bmpWebLinkIconHigh[1].GetSafeHandle()) << "found in capitals";
        EXPECT_EQ(nullptr, dlg.GetArtwork().m_bmpGoRest.GetSafeHandle());
        // An empty picture paints nothing: the field shows what is behind it.
        CPixels painted = PaintErase(::GetDlgItem(d, IDC_CATEGORY2), 40, 20);
        EXPECT_EQ(RGB(255, 255, 255), painted.At(20, 10));
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
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
        EXPECT_EQ(deep + "\\images\\corvane.swf", dlg.GetFlash().GetMovie());
    });
    ::SetCurrentDirectoryA(m_base.Path().c_str());
}

}  // namespace
