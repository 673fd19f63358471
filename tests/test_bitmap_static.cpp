// The bitmap static control: its background bitmaps, the highlight, the pointer reports, and
// the loading of bitmap files.
#include "controls/BitmapFile.h"
#include "controls/BitmapStatic.h"
#include "tests/support/BitmapCases.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kUnpainted = RGB(1, 2, 3);

// The colours of the test bitmaps: every pixel differs from its neighbours and from kUnpainted.
COLORREF PatternAt(int x, int y)
{
    return RGB(10 + 7 * x, 20 + 9 * y, 200);
}

COLORREF OtherPatternAt(int x, int y)
{
    return RGB(250 - 3 * x, 40, 30 + 5 * y);
}

// A bitmap static that counts the background erasures it is asked for.
class CCountingBitmapStatic : public CBitmapStatic {
public:
    int m_nErasures = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        m_nErasures += message == WM_ERASEBKGND;
        return CBitmapStatic::WindowProc(message, wParam, lParam);
    }
};

// Whether the action leaves the whole of the (validated) window to be repainted.
bool InvalidatesAll(HWND hwnd, const std::function<void()>& action)
{
    ::ValidateRect(hwnd, nullptr);
    action();
    RECT update{}, client{};
    ::GetClientRect(hwnd, &client);
    return ::GetUpdateRect(hwnd, &update, FALSE) && ::EqualRect(&update, &client);
}

class BitmapStaticTest : public ::testing::Test {
protected:
    BitmapStaticTest()
        : m_hwndParent(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                         nullptr, nullptr, nullptr)) {}
    ~BitmapStaticTest() override { ::DestroyWindow(m_hwndParent); }

    // A static control at (10, 10) of the parent, 30 pixels high.
    HWND CreateStatic(DWORD extraStyle = 0, int width = 50)
    {
        return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | extraStyle, 10, 10, width, 30,
                                 m_hwndParent, nullptr, nullptr, nullptr);
    }

    CScratchDirectory m_base;
    HWND m_hwndParent;
};

TEST_F(BitmapStaticTest, PaintsTheBitmapOfItsState)
{
    const auto makeBitmap = [&](CBitmap& bitmap, int w, int h, COLORREF (*colourAt)(int, int)) {
        WriteFileBytes(m_base.Path() + "\\pattern.bmp", BmpFileBytes(w, h, colourAt));
        LoadBitmapFile(bitmap, m_base.Path() + "\\pattern.bmp");
        ASSERT_TRUE(bitmap);
    };
    CBitmap big, other, flat, small, notLoaded;
    makeBitmap(big, 30, 20, PatternAt);
    makeBitmap(other, 30, 20, OtherPatternAt);
    makeBitmap(flat, 30, 10, PatternAt);
    makeBitmap(small, 10, 10, PatternAt);
    LoadBitmapFile(notLoaded, m_base.Path() + "\\missing.bmp");

    // What a plain static control of the same kind paints, by the default processing.
    CDibCanvas plain(50, 30, kUnpainted);
    const LRESULT plainResult = ::SendMessageA(CreateStatic(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(plain.Dc()), 0);

    const std::vector<POINT> tiles{{0, 0}, {20, 0}, {40, 0}, {0, 20}, {20, 20}, {40, 20}};
    struct Case {
        CBitmap *normal, *highlight;
        int highlighted, w, h;  // w x h: the copies at the origins; no origins: a plain static
        std::vector<POINT> origins;
        COLORREF (*colourAt)(int, int);
    };
    const Case cases[] = {
        // 2 x 30 >= 50 and 2 x 20 >= 30: one copy, clipped to the bitmap's own extent.
        {&big, nullptr, 0, 30, 20, {{0, 0}}, PatternAt},
        {&small, nullptr, 0, 10, 10, tiles, PatternAt},  // tiles in steps of twice the size
        {&flat, nullptr, 0, 30, 10, {{0, 0}, {0, 20}}, PatternAt},  // tiles when either way is short
        {&big, &other, 1, 30, 20, {{0, 0}}, OtherPatternAt},
        {&big, &other, 0, 30, 20, {{0, 0}}, PatternAt},
        {&big, &big, 1, 30, 20, {{0, 0}}, PatternAt},
        {nullptr, nullptr, 0, 0, 0, {}, nullptr},
        {&notLoaded, &big, 0, 0, 0, {}, nullptr},
        {&big, &notLoaded, 1, 0, 0, {}, nullptr},
        {&big, nullptr, 1, 0, 0, {}, nullptr},
        {nullptr, &big, 0, 0, 0, {}, nullptr},
    };
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        control.SetBitmaps(c.normal, c.highlight);
        control.SetHighlight(c.highlighted != 0);
        CDibCanvas canvas(50, 30, kUnpainted);
        const LRESULT result = ::SendMessageA(control.m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
        EXPECT_EQ(c.origins.empty() ? plainResult : TRUE, result) << "case " << i;
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                COLORREF expected = c.origins.empty() ? plain.Pixel(x, y) : kUnpainted;
                for (const POINT& o : c.origins)
                    if (x >= o.x && x < o.x + c.w && y >= o.y && y < o.y + c.h)
                        expected = c.colourAt(x - o.x, y - o.y);
                ASSERT_EQ(expected, canvas.Pixel(x, y)) << "case " << i << " at " << x << ", " << y;
            }
        }
    }
}

TEST_F(BitmapStaticTest, RepaintsWhenItsStateChangesOrItIsShownOrHidden)
{
    CCountingBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    ::UpdateWindow(control.m_hWnd);
    for (bool highlight : {false, true, true, false}) {
        const bool changes = highlight != control.IsHighlighted();
        EXPECT_EQ(changes, InvalidatesAll(control.m_hWnd, [&] { EXPECT_EQ(changes, control.SetHighlight(highlight)); }));
        EXPECT_EQ(highlight, control.IsHighlighted());
        control.m_nErasures = 0;
        ::UpdateWindow(control.m_hWnd);
        EXPECT_EQ(changes ? 1 : 0, control.m_nErasures) << highlight;
    }
    for (WPARAM shown : {FALSE, TRUE})
        EXPECT_TRUE(InvalidatesAll(control.m_hWnd, [&] { ::SendMessageA(control.m_hWnd, WM_SHOWWINDOW, shown, 0); }))
            << shown;
}

TEST_F(BitmapStaticTest, PointerNearTheLeftEdgeCallsTheHoverHandler)
{
    for (DWORD style : {DWORD{0}, DWORD{SS_NOTIFY}}) {
        HWND plain = CreateStatic(style, 250);
        CBitmapStatic control;
        ASSERT_TRUE(control.SubclassWindow(CreateStatic(style, 250)));
        RECT rc;
        ::GetWindowRect(control.m_hWnd, &rc);
        int calls = 0;
        for (bool withCallback : {false, true}) {
            if (withCallback)
                control.SetHoverCallback([&calls] { ++calls; });
            for (int dx : {0, 189, 190, 200}) {  // only the first 190 pixels report
                const LPARAM point = MAKELPARAM(rc.left + dx, rc.top + 5);
                calls = 0;
                const LRESULT own = ::SendMessageA(plain, WM_NCHITTEST, 0, point);
                EXPECT_EQ(style ? HTCLIENT : HTTRANSPARENT, own);
                EXPECT_EQ(own, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, point)) << dx;
                EXPECT_EQ(withCallback && dx < 190 ? 1 : 0, calls) << style << " at " << dx;
            }
        }
        control.UnsubclassWindow();
        ::DestroyWindow(control.m_hWnd);
        ::DestroyWindow(plain);
    }
}

TEST(LoadBitmapFileTest, LoadsOnlyWhatTheCheckAccepts)
{
    CScratchDirectory base;
    const std::string path = base.Path() + "\\case.bmp";
    CBitmap bitmap;
    HBITMAP previous = nullptr;
    // Each load replaces the last, whether it loads or not; a path that is no file loads nothing.
    for (const CBitmapCase& c : BitmapCases()) {
        WriteFileBytes(path, std::string(c.bytes.begin(), c.bytes.end()));
        LoadBitmapFile(bitmap, path);
        EXPECT_EQ(c.loads, IsLoadableBitmapFile(path)) << c.name;
        EXPECT_TRUE(!previous || !::GetObjectType(previous)) << c.name << ": the bitmap before was deleted";
        previous = bitmap.GetSafeHandle();
        ASSERT_EQ(c.loads, static_cast<bool>(bitmap)) << c.name;
        if (!c.loads)
            continue;
        DIBSECTION section{};
        ASSERT_EQ(static_cast<int>(sizeof(section)), ::GetObjectA(bitmap.GetSafeHandle(), sizeof(section), &section));
        EXPECT_EQ(c.width, section.dsBm.bmWidth) << c.name;
        EXPECT_EQ(c.height, section.dsBm.bmHeight) << c.name;
        EXPECT_EQ(c.bitCount, section.dsBm.bmBitsPixel) << c.name;
        CMemoryDC memory(nullptr);
        CSelectObject select(memory.Get(), bitmap.GetSafeHandle());
        if (c.topLeft != kAnyColour) {
            EXPECT_EQ(RGB(c.topLeft >> 16, (c.topLeft >> 8) & 0xFF, c.topLeft & 0xFF), ::GetPixel(memory.Get(), 0, 0))
                << c.name;
        }
    }
    for (const std::string& other : {std::string(), base.Path() + "\\missing.bmp", base.Path()}) {
        LoadBitmapFile(bitmap, other);
        EXPECT_FALSE(bitmap) << "'" << other << "'";
        EXPECT_FALSE(IsLoadableBitmapFile(other)) << "'" << other << "'";
    }
}

}  // namespace
