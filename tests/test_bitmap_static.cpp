// The bitmap static control: its background bitmaps, the highlight, the pointer reports, and
// the loading of bitmap files.
#include "controls/BitmapStatic.h"
#include "controls/HoverTarget.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF kUnpainted = RGB(1, 2, 3);

// The colour of a test bitmap's pixel: every pixel differs from its neighbours and from
// kUnpainted.
COLORREF PatternAt(int x, int y)
{
    return RGB(10 + 7 * x, 20 + 9 * y, 200);
}

COLORREF OtherPatternAt(int x, int y)
{
    return RGB(250 - 3 * x, 40, 30 + 5 * y);
}

// A window that takes the pointer reports.
class CHoverRecorder : public CWnd, public CHoverTarget {
public:
    void OnSubTopicHover(int nLine) override { m_calls.emplace_back("sub-topic", nLine); }
    void OnCategoryHover(int nCategory) override { m_calls.emplace_back("category", nCategory); }
    void OnWebLinkHover(int nWebLink) override { m_calls.emplace_back("web link", nWebLink); }

    std::vector<std::pair<std::string, int>> m_calls;
};

// A bitmap static that counts the background erasures it is asked for.
class CCountingBitmapStatic : public CBitmapStatic {
public:
    int m_nErasures = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ERASEBKGND)
            ++m_nErasures;
        return CBitmapStatic::WindowProc(message, wParam, lParam);
    }
};

class BitmapStaticTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hwndParent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                         nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hwndParent);
    }

    void TearDown() override { ::DestroyWindow(m_hwndParent); }

    // A 50 x 30 static control at (10, 10) of the parent.
    HWND CreateStatic(DWORD extraStyle = 0, int id = 100)
    {
        return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | extraStyle, 10, 10, 50, 30,
                                 m_hwndParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    // A bitmap of w x h pixels in the pattern, loaded as the program loads its files.
    void MakeBitmap(CBitmap& bitmap, int w, int h, COLORREF (*colourAt)(int, int) = PatternAt)
    {
        const std::string path = m_base.Path() + "\\pattern.bmp";
        WriteFileBytes(path, BmpFileBytes(w, h, colourAt));
        LoadBitmapFile(bitmap, path);
        ASSERT_TRUE(bitmap);
    }

    // Sends the control WM_ERASEBKGND for a fresh canvas of the control's size.
    LRESULT Erase(HWND hwnd, CDibCanvas& canvas)
    {
        return ::SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
    }

    // Validates the control, so that only what comes after leaves it to be repainted.
    static void Validate(HWND hwnd)
    {
        ::ValidateRect(hwnd, nullptr);
        RECT rc{};
        ASSERT_FALSE(::GetUpdateRect(hwnd, &rc, FALSE));
    }

    static bool IsWhollyInvalid(HWND hwnd)
    {
        RECT update{};
        RECT client{};
        ::GetClientRect(hwnd, &client);
        return ::GetUpdateRect(hwnd, &update, FALSE) && ::EqualRect(&update, &client);
    }

    CScratchDirectory m_base;
    HWND m_hwndParent = nullptr;
};

// Which pixels of a 50 x 30 canvas carry a copy of the bitmap, which are left alone.
void ExpectCopiesAt(const CDibCanvas& canvas, int bw, int bh, const std::vector<POINT>& origins,
                    COLORREF (*colourAt)(int, int) = PatternAt)
{
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            COLORREF expected = kUnpainted;
            for (const POINT& origin : origins)
                if (x >= origin.x && x < origin.x + bw && y >= origin.y && y < origin.y + bh)
                    expected = colourAt(x - origin.x, y - origin.y);
            ASSERT_EQ(expected, canvas.Pixel(x, y)) << "at " << x << ", " << y;
        }
    }
}

TEST_F(BitmapStaticTest, BitmapAtLeastHalfTheControlIsCopiedOnceAtTheOrigin)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 30, 20);
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetBitmaps(&bitmap, nullptr);

    CDibCanvas canvas(50, 30, kUnpainted);
    EXPECT_EQ(TRUE, Erase(control.m_hWnd, canvas));
    // 2 x 30 >= 50 and 2 x 20 >= 30; the copy is clipped to the bitmap's own extent.
    ExpectCopiesAt(canvas, 30, 20, {{0, 0}});
}

TEST_F(BitmapStaticTest, SmallBitmapIsTiledInStepsOfTwiceItsSize)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 10, 10);
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetBitmaps(&bitmap, nullptr);

    CDibCanvas canvas(50, 30, kUnpainted);
    EXPECT_EQ(TRUE, Erase(control.m_hWnd, canvas));
    ExpectCopiesAt(canvas, 10, 10, {{0, 0}, {20, 0}, {40, 0}, {0, 20}, {20, 20}, {40, 20}});
}

TEST_F(BitmapStaticTest, WithoutABitmapTheControlIsAPlainStatic)
{
    // A plain static control of the same kind answers what the default processing answers.
    HWND plain = CreateStatic(0, 101);
    CDibCanvas plainCanvas(50, 30, kUnpainted);
    const LRESULT plainResult = Erase(plain, plainCanvas);

    CBitmap notLoaded;
    LoadBitmapFile(notLoaded, m_base.Path() + "\\missing.bmp");
    ASSERT_FALSE(notLoaded);
    CBitmap loaded;
    MakeBitmap(loaded, 10, 10);

    struct Case {
        const char* name;
        CBitmap* normal;
        CBitmap* highlight;
        int highlighted;
    };
    const Case cases[] = {
        {"both pointers null", nullptr, nullptr, 0},
        {"both pointers null, highlighted", nullptr, nullptr, 1},
        {"normal bitmap whose file failed to load", &notLoaded, &loaded, 0},
        {"highlight bitmap whose file failed to load", &loaded, &notLoaded, 1},
        {"no highlight bitmap", &loaded, nullptr, 1},
        {"no normal bitmap", nullptr, &loaded, 0},
    };
    for (const Case& c : cases) {
        CBitmapStatic control;
        HWND hwnd = CreateStatic();
        ASSERT_TRUE(control.SubclassWindow(hwnd));
        control.SetBitmaps(c.normal, c.highlight);
        control.SetHighlight(c.highlighted);
        CDibCanvas canvas(50, 30, kUnpainted);
        EXPECT_EQ(plainResult, Erase(hwnd, canvas)) << c.name;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                ASSERT_EQ(plainCanvas.Pixel(x, y), canvas.Pixel(x, y)) << c.name << " at " << x << ", " << y;
        control.UnsubclassWindow();
        ::DestroyWindow(hwnd);
    }
}

TEST_F(BitmapStaticTest, HighlightChoosesTheHighlightBitmap)
{
    CBitmap normal;
    MakeBitmap(normal, 30, 20);
    CBitmap highlight;
    MakeBitmap(highlight, 30, 20, OtherPatternAt);
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetBitmaps(&normal, &highlight);
    EXPECT_FALSE(control.IsHighlighted());

    control.SetHighlight(1);
    EXPECT_TRUE(control.IsHighlighted());
    CDibCanvas lit(50, 30, kUnpainted);
    Erase(control.m_hWnd, lit);
    ExpectCopiesAt(lit, 30, 20, {{0, 0}}, OtherPatternAt);

    control.SetHighlight(0);
    EXPECT_FALSE(control.IsHighlighted());
    CDibCanvas unlit(50, 30, kUnpainted);
    Erase(control.m_hWnd, unlit);
    ExpectCopiesAt(unlit, 30, 20, {{0, 0}});
}

TEST_F(BitmapStaticTest, SameBitmapForBothStatesLooksTheSameHighlighted)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 30, 20);
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetBitmaps(&bitmap, &bitmap);
    for (int highlighted : {0, 1}) {
        control.SetHighlight(highlighted);
        CDibCanvas canvas(50, 30, kUnpainted);
        EXPECT_EQ(TRUE, Erase(control.m_hWnd, canvas));
        ExpectCopiesAt(canvas, 30, 20, {{0, 0}});
    }
}

TEST_F(BitmapStaticTest, HighlightFlagIsTheLowByte)
{
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetHighlight(2);
    EXPECT_TRUE(control.IsHighlighted());
    control.SetHighlight(0x100);
    EXPECT_FALSE(control.IsHighlighted());
    control.SetHighlight(0x1FF);
    EXPECT_TRUE(control.IsHighlighted());
}

TEST_F(BitmapStaticTest, SetHighlightRepaintsWithErasingEvenWhenUnchanged)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 30, 20);
    CCountingBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    control.SetBitmaps(&bitmap, &bitmap);
    ::UpdateWindow(control.m_hWnd);

    for (int highlighted : {0, 0, 1, 1, 0}) {
        Validate(control.m_hWnd);
        control.m_nErasures = 0;
        control.SetHighlight(highlighted);
        EXPECT_TRUE(IsWhollyInvalid(control.m_hWnd)) << "SetHighlight(" << highlighted << ")";
        ::UpdateWindow(control.m_hWnd);
        EXPECT_EQ(1, control.m_nErasures) << "SetHighlight(" << highlighted << ")";
    }
}

TEST_F(BitmapStaticTest, SetBitmapsDoesNotRepaint)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 30, 20);
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    ::UpdateWindow(control.m_hWnd);
    Validate(control.m_hWnd);
    control.SetBitmaps(&bitmap, &bitmap);
    RECT rc{};
    EXPECT_FALSE(::GetUpdateRect(control.m_hWnd, &rc, FALSE));
}

TEST_F(BitmapStaticTest, ShowingAndHidingRepaintTheBackground)
{
    CCountingBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    ::UpdateWindow(control.m_hWnd);

    // The notification itself, while the control is on screen.
    for (WPARAM shown : {FALSE, TRUE}) {
        Validate(control.m_hWnd);
        ::SendMessageA(control.m_hWnd, WM_SHOWWINDOW, shown, 0);
        EXPECT_TRUE(IsWhollyInvalid(control.m_hWnd)) << "WM_SHOWWINDOW " << shown;
    }

    // Hiding and showing the control for real.
    Validate(control.m_hWnd);
    ::ShowWindow(control.m_hWnd, SW_HIDE);
    ::ShowWindow(control.m_hWnd, SW_SHOWNA);
    control.m_nErasures = 0;
    ::UpdateWindow(control.m_hWnd);
    EXPECT_EQ(1, control.m_nErasures);
}

TEST_F(BitmapStaticTest, PointerNearTheLeftEdgeIsReportedByTheCode)
{
    CHoverRecorder target;
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic()));
    ::SetWindowPos(control.m_hWnd, nullptr, 0, 0, 250, 30, SWP_NOMOVE | SWP_NOZORDER);
    control.m_pHoverTarget = &target;
    RECT rc;
    ::GetWindowRect(control.m_hWnd, &rc);
    const LPARAM nearLeft = MAKELPARAM(rc.left + 189, rc.top + 5);

    const std::pair<int, std::pair<std::string, int>> cases[] = {
        {201, {"web link", 1}},   {204, {"web link", 4}},  {200, {"category", 100}},
        {105, {"category", 5}},   {101, {"category", 1}},  {100, {"sub-topic", 100}},
        {15, {"sub-topic", 15}},  {0, {"sub-topic", 0}},   {-3, {"sub-topic", -3}},
    };
    for (const auto& [code, expected] : cases) {
        target.m_calls.clear();
        control.m_nHoverCode = code;
        EXPECT_EQ(HTTRANSPARENT, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, nearLeft)) << code;
        ASSERT_EQ(1u, target.m_calls.size()) << code;
        EXPECT_EQ(expected, target.m_calls[0]) << code;
    }

    // The left edge itself reports; 190 pixels and more to its right do not.
    control.m_nHoverCode = 203;
    target.m_calls.clear();
    ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(rc.left, rc.top + 5));
    EXPECT_EQ(1u, target.m_calls.size());
    for (int dx : {190, 200}) {
        target.m_calls.clear();
        EXPECT_EQ(HTTRANSPARENT, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(rc.left + dx, rc.top + 5)));
        EXPECT_TRUE(target.m_calls.empty()) << dx;
    }
}

TEST_F(BitmapStaticTest, HitTestAnswerIsTheStaticControlsOwn)
{
    CHoverRecorder target;
    for (DWORD style : {DWORD{0}, DWORD{SS_NOTIFY}}) {
        HWND plain = CreateStatic(style, 101);
        CBitmapStatic control;
        ASSERT_TRUE(control.SubclassWindow(CreateStatic(style)));
        control.m_pHoverTarget = &target;
        control.m_nHoverCode = 7;
        RECT rc;
        ::GetWindowRect(control.m_hWnd, &rc);
        const LPARAM point = MAKELPARAM(rc.left + 5, rc.top + 5);
        const LRESULT own = ::SendMessageA(plain, WM_NCHITTEST, 0, point);
        EXPECT_EQ(style ? HTCLIENT : HTTRANSPARENT, own);
        EXPECT_EQ(own, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, point));
        control.UnsubclassWindow();
        ::DestroyWindow(control.m_hWnd);
        ::DestroyWindow(plain);
    }
    EXPECT_EQ(2u, target.m_calls.size());
}

TEST_F(BitmapStaticTest, TargetThatTakesNoReportsIsIgnored)
{
    CWnd notATarget;
    CBitmapStatic control;
    ASSERT_TRUE(control.SubclassWindow(CreateStatic(SS_NOTIFY)));
    control.m_nHoverCode = 201;
    RECT rc;
    ::GetWindowRect(control.m_hWnd, &rc);
    const LPARAM point = MAKELPARAM(rc.left + 5, rc.top + 5);

    control.m_pHoverTarget = &notATarget;
    EXPECT_EQ(HTCLIENT, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, point));
    control.m_pHoverTarget = nullptr;
    EXPECT_EQ(HTCLIENT, ::SendMessageA(control.m_hWnd, WM_NCHITTEST, 0, point));
}

TEST_F(BitmapStaticTest, NewControlHasNoCodeTargetOrHighlight)
{
    CBitmapStatic control;
    EXPECT_EQ(0, control.m_nHoverCode);
    EXPECT_EQ(nullptr, control.m_pHoverTarget);
    EXPECT_FALSE(control.IsHighlighted());
}

class LoadBitmapFileTest : public ::testing::Test {
protected:
    static DIBSECTION SectionOf(const CBitmap& bitmap)
    {
        DIBSECTION section{};
        EXPECT_EQ(static_cast<int>(sizeof(section)),
                  ::GetObjectA(bitmap.GetSafeHandle(), sizeof(section), &section))
            << "a device-independent section";
        return section;
    }

    CScratchDirectory m_base;
};

TEST_F(LoadBitmapFileTest, LoadsTheFileAtItsOwnSizeAsASection)
{
    CopySampleImages(m_base.Path());
    CBitmap bitmap;
    LoadBitmapFile(bitmap, m_base.Path() + "\\images\\CDButton.bmp");
    ASSERT_TRUE(bitmap);
    const CBmpFile file(m_base.Path() + "\\images\\CDButton.bmp");
    DIBSECTION section = SectionOf(bitmap);
    EXPECT_EQ(file.Width(), section.dsBm.bmWidth);
    EXPECT_EQ(file.Height(), section.dsBm.bmHeight);
    EXPECT_EQ(24, section.dsBm.bmBitsPixel);

    // The pixels are the file's.
    CMemoryDC memory(nullptr);
    CSelectObject select(memory.Get(), bitmap.GetSafeHandle());
    for (POINT p : {POINT{0, 0}, POINT{40, 1}, POINT{10, 12}, POINT{file.Width() - 1, file.Height() - 1}})
        EXPECT_EQ(file.Pixel(p.x, p.y), ::GetPixel(memory.Get(), p.x, p.y)) << p.x << ", " << p.y;
}

TEST_F(LoadBitmapFileTest, UnloadableFilesLeaveNoBitmap)
{
    WriteFileBytes(m_base.Path() + "\\text.bmp", "not a bitmap at all");
    for (const std::string& path : {std::string(), m_base.Path() + "\\missing.bmp", m_base.Path() + "\\text.bmp",
                                    m_base.Path()}) {
        CBitmap bitmap;
        LoadBitmapFile(bitmap, path);
        EXPECT_FALSE(bitmap) << "'" << path << "'";
        BITMAP bm{};
        EXPECT_FALSE(bitmap.GetBitmap(bm));
    }
}

TEST_F(LoadBitmapFileTest, SecondLoadReplacesTheFirst)
{
    const std::string small = m_base.Path() + "\\small.bmp";
    const std::string large = m_base.Path() + "\\large.bmp";
    WriteFileBytes(small, BmpFileBytes(7, 5, PatternAt));
    WriteFileBytes(large, BmpFileBytes(37, 23, PatternAt));

    CBitmap bitmap;
    LoadBitmapFile(bitmap, small);
    HBITMAP first = bitmap.GetSafeHandle();
    ASSERT_NE(nullptr, first);
    LoadBitmapFile(bitmap, large);
    EXPECT_EQ(0u, ::GetObjectType(first)) << "the first bitmap was deleted";
    EXPECT_EQ(37, SectionOf(bitmap).dsBm.bmWidth);
    EXPECT_EQ(23, SectionOf(bitmap).dsBm.bmHeight);

    HBITMAP second = bitmap.GetSafeHandle();
    LoadBitmapFile(bitmap, m_base.Path() + "\\missing.bmp");
    EXPECT_FALSE(bitmap) << "a failed load leaves no bitmap, not the one before";
    EXPECT_EQ(0u, ::GetObjectType(second));
}

}  // namespace
