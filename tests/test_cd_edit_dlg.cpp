// The replica of the software CD welcome dialog, driven through its real dialog against the
// sample installation's registry and artwork.
#include "config/RegistrySchema.h"
#include "editors/CdEditDlg.h"
#include "framework/Gdi.h"
#include "framework/SystemLanguage.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

const std::string kTexts = RegKeys::CdDialogTexts;
const std::string kBrowser = RegKeys::Browser;
const char* const kValueNames[] = {"TITLE", "OKAY",  "NO_SHOW", "TEXT1",  "TEXT2",
                                   "TEXT3", "TEXT4", "TEXT5",   "NO_IE4", "COPYRIGHT"};
const int kFields[] = {IDC_CD_TEXT1, IDC_CD_TEXT2, IDC_CD_TEXT3, IDC_CD_TEXT4, IDC_CD_TEXT5};
const char* const kFieldValues[] = {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5"};

// Every value of the dialog's key, by name.
std::map<std::string, std::string> StoredTexts()
{
    std::map<std::string, std::string> values;
    for (const char* name : kValueNames)
        values[name] = ValueOf(HKEY_LOCAL_MACHINE, kTexts, name);
    return values;
}

// Types a text into an edit field as the keyboard does, replacing what it holds.
void TypeInto(HWND dialog, int id, const std::string& text)
{
    HWND field = ::GetDlgItem(dialog, id);
    ::SetFocus(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    for (char c : text)
        ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}

LOGFONTA FontOf(HWND hwnd)
{
    LOGFONTA logFont{};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
    EXPECT_NE(nullptr, font);
    ::GetObjectA(font, sizeof(logFont), &logFont);
    return logFont;
}

HFONT FontHandleOf(HWND hwnd)
{
    return reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0));
}

class CdEditDlgTest : public ::testing::Test {
protected:
    // The sample installation is imported once; each test starts again from its values of
    // the two keys that the dialog reads.
    static void SetUpTestSuite()
    {
        InstallSampleRegistry();
        s_sampleTexts = StoredTexts();
        s_sampleVersion = ValueOf(HKEY_LOCAL_MACHINE, kBrowser, "Version");
    }

    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTexts);
        for (const auto& [name, text] : s_sampleTexts)
            SetValue(HKEY_LOCAL_MACHINE, kTexts, name, text);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser);
        SetValue(HKEY_LOCAL_MACHINE, kBrowser, "Version", s_sampleVersion);
        m_stored = StoredTexts();
        ASSERT_EQ(s_sampleTexts, m_stored);

        const std::string images = m_base.Path() + "\\images";
        ::CreateDirectoryA(images.c_str(), nullptr);
        for (const char* name : {"CDBkgd.bmp", "CDButton.bmp"})
            ::CopyFileA((SampleImagesDirectory() + "\\" + name).c_str(), (images + "\\" + name).c_str(), FALSE);
    }

    void TearDown() override { SetSystemLanguageOverride(0); }

    // Opens the replica; `step` acts on the open dialog. Returns the dialog's result.
    INT_PTR Run(CDialogDriver::Step step)
    {
        CDialogDriver driver;
        driver.Then(std::move(step));
        CCdEditDlg dlg;
        m_nBoxesBeforeShown = m_boxes.m_boxes.size();
        INT_PTR result = dlg.DoModal();
        EXPECT_TRUE(driver.AllStepsRan());
        return result;
    }

    void ExpectBox(std::size_t index, HWND owner, const std::string& text)
    {
        ASSERT_LT(index, m_boxes.m_boxes.size());
        const RecordedBox& box = m_boxes.m_boxes[index];
        EXPECT_EQ(owner, box.owner);
        EXPECT_EQ(text, box.text);
        EXPECT_EQ("Message", box.caption);
        EXPECT_EQ(0u, box.type);
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
    std::map<std::string, std::string> m_stored;  // the key's values before the test
    std::size_t m_nBoxesBeforeShown = 0;

    static std::map<std::string, std::string> s_sampleTexts;
    static std::string s_sampleVersion;
};

std::map<std::string, std::string> CdEditDlgTest::s_sampleTexts;
std::string CdEditDlgTest::s_sampleVersion;

// --- the template ---------------------------------------------------------------------------

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(CdEditTemplateTest, HasItsControlsInTabOrderWithTheirKindsTextsAndRectangles)
{
    HWND dlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CD_EDIT), nullptr,
                                    &PlainDialogProc, 0);
    ASSERT_NE(nullptr, dlg);

    EXPECT_EQ("Nimbook Software Selections CD", CWnd::GetWindowText(dlg));
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(dlg, GWL_STYLE));
    for (DWORD bit : {DWORD{WS_POPUP}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU}, DWORD{DS_MODALFRAME}, DWORD{DS_SETFOREGROUND}})
        EXPECT_EQ(bit, style & bit) << std::hex << bit;
    EXPECT_EQ(0u, style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    RECT size{0, 0, 253, 169};
    ::MapDialogRect(dlg, &size);
    RECT client{};
    ::GetClientRect(dlg, &client);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);

    const LOGFONTA font = FontOf(dlg);
    EXPECT_STREQ("Arial", font.lfFaceName);
    {
        CClientDC dc(dlg);
        EXPECT_EQ(-::MulDiv(10, ::GetDeviceCaps(dc.Get(), LOGPIXELSY), 72), font.lfHeight);
    }

    struct Row {
        int id;
        const char* className;
        DWORD style;    // the kind and flags, besides WS_CHILD
        DWORD exStyle;  // besides WS_EX_NOPARENTNOTIFY
        const char* text;
        RECT units;    // x, y, width, height
    };
    // The dialog manager draws the border of an edit field as a sunken client edge, and gives
    // a control with a modal frame the raised window edge as well.
    const DWORD edit = WS_VISIBLE | WS_TABSTOP | ES_MULTILINE;
    const Row rows[] = {
        {1105, "Edit", edit, WS_EX_CLIENTEDGE, "", {8, 7, 235, 13}},
        {1106, "Edit", edit | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, "", {8, 21, 235, 18}},
        {1110, "Edit", edit, WS_EX_CLIENTEDGE, "", {8, 39, 235, 38}},
        {1111, "Edit", edit, WS_EX_CLIENTEDGE, "", {8, 78, 235, 22}},
        {1112, "Edit", edit, WS_EX_CLIENTEDGE, "", {8, 101, 235, 39}},
        {1078, "Static", WS_VISIBLE | WS_TABSTOP | SS_CENTER | SS_NOTIFY | SS_CENTERIMAGE,
         WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TRANSPARENT, "OK", {194, 148, 48, 12}},
        {1033, "Button", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE, WS_EX_TRANSPARENT,
         "Do not show this window again.", {8, 138, 188, 17}},
        {1095, "Static", WS_VISIBLE | SS_LEFT, WS_EX_TRANSPARENT, "Copyright notice", {8, 160, 235, 9}},
        {1044, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, "OK", {248, 163, 6, 6}},
    };
    HWND child = ::GetWindow(dlg, GW_CHILD);
    for (const Row& row : rows) {
        ASSERT_NE(nullptr, child) << "no control for " << row.id;
        EXPECT_EQ(row.id, ::GetDlgCtrlID(child)) << "tab order";
        char className[64] = {};
        ::GetClassNameA(child, className, sizeof(className));
        EXPECT_STREQ(row.className, className) << row.id;
        const DWORD childStyle = static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE)) & ~DWORD{WS_CHILD};
        EXPECT_EQ(row.style, childStyle) << row.id << std::hex << " style " << childStyle;
        const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(child, GWL_EXSTYLE)) & ~DWORD{WS_EX_NOPARENTNOTIFY};
        EXPECT_EQ(row.exStyle, exStyle) << row.id << std::hex << " extended style " << exStyle;
        EXPECT_EQ(row.text, CWnd::GetWindowText(child)) << row.id;

        // Position and size are converted from dialog units each on its own.
        RECT pixels = row.units;
        ::MapDialogRect(dlg, &pixels);
        RECT expected{pixels.left, pixels.top, pixels.left + pixels.right, pixels.top + pixels.bottom};
        RECT actual{};
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(::EqualRect(&expected, &actual))
            << row.id << ": " << actual.left << ", " << actual.top << ", " << actual.right << ", " << actual.bottom
            << " instead of " << expected.left << ", " << expected.top << ", " << expected.right << ", "
            << expected.bottom;
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child) << "no further controls";
    EXPECT_EQ(MAKELONG(IDC_DEFAULT_BUTTON, DC_HASDEFID), ::SendMessageA(dlg, DM_GETDEFID, 0, 0));
    ::DestroyWindow(dlg);
}

// --- loading --------------------------------------------------------------------------------

TEST_F(CdEditDlgTest, ShowsEveryValueWhereItBelongs)
{
    Run([&](HWND dlg) {
        EXPECT_EQ(m_stored["TITLE"], CWnd::GetWindowText(dlg));
        EXPECT_EQ(m_stored["OKAY"], ItemText(dlg, IDC_CD_OKAY));
        EXPECT_EQ(m_stored["NO_SHOW"], ItemText(dlg, IDC_CD_NO_SHOW));
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(m_stored[kFieldValues[i]], ItemText(dlg, kFields[i])) << kFieldValues[i];
        EXPECT_EQ(m_stored["COPYRIGHT"], ItemText(dlg, IDC_CD_NOTICE));
        EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessageA(dlg, IDC_CD_NO_SHOW, BM_GETCHECK, 0, 0));
        ClickField(dlg, IDC_CD_OKAY);
    });
    // The sample's texts are real texts, not empty ones.
    EXPECT_EQ("Nimbook Software Selections CD", m_stored["TITLE"]);
    EXPECT_FALSE(m_stored["TEXT5"].empty());
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(CdEditDlgTest, MissingKeyGivesOneBoxBeforeTheDialogAndASecondOneOnOk)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kTexts);
    HWND shown = nullptr;
    std::size_t boxesWhenShown = 0;
    INT_PTR result = Run([&](HWND dlg) {
        shown = dlg;
        boxesWhenShown = m_boxes.m_boxes.size();
        EXPECT_EQ("", CWnd::GetWindowText(dlg));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_OKAY));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_NO_SHOW));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_NOTICE));
        for (int id : kFields)
            EXPECT_EQ("", ItemText(dlg, id)) << id;
        TypeInto(dlg, IDC_CD_TEXT1, "typed");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(1u, m_nBoxesBeforeShown) << "reported by the constructor";
    EXPECT_EQ(1u, boxesWhenShown);
    ASSERT_EQ(2u, m_boxes.m_boxes.size());
    ExpectBox(0, nullptr, "Opening Registry: " + SystemText(ERROR_FILE_NOT_FOUND));
    ExpectBox(1, shown, "Opening Registry: " + SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ("<missing>", ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT1")) << "nothing was created";
}

TEST_F(CdEditDlgTest, MissingValueGivesOneBoxAndTheOtherValuesAppear)
{
    DeleteValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT3");
    Run([&](HWND dlg) {
        EXPECT_EQ(m_stored["TITLE"], CWnd::GetWindowText(dlg));
        EXPECT_EQ(m_stored["OKAY"], ItemText(dlg, IDC_CD_OKAY));
        EXPECT_EQ(m_stored["NO_SHOW"], ItemText(dlg, IDC_CD_NO_SHOW));
        EXPECT_EQ(m_stored["TEXT1"], ItemText(dlg, IDC_CD_TEXT1));
        EXPECT_EQ(m_stored["TEXT2"], ItemText(dlg, IDC_CD_TEXT2));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_TEXT3));
        EXPECT_EQ(m_stored["TEXT4"], ItemText(dlg, IDC_CD_TEXT4));
        EXPECT_EQ(m_stored["TEXT5"], ItemText(dlg, IDC_CD_TEXT5));
        EXPECT_EQ(m_stored["COPYRIGHT"], ItemText(dlg, IDC_CD_NOTICE));
        PressKey(dlg, VK_ESCAPE);
    });
    EXPECT_EQ(1u, m_nBoxesBeforeShown);
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    ExpectBox(0, nullptr, "Registry Error: " + SystemText(ERROR_FILE_NOT_FOUND));
}

TEST_F(CdEditDlgTest, TextsUpTo4094CharactersAreRead)
{
    SetValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT2", std::string(4094, 'a'));
    SetValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT4", std::string(4095, 'b'));
    Run([&](HWND dlg) {
        EXPECT_EQ(std::string(4094, 'a'), ItemText(dlg, IDC_CD_TEXT2));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_TEXT4));
        EXPECT_EQ(m_stored["TEXT5"], ItemText(dlg, IDC_CD_TEXT5));
        PressKey(dlg, VK_ESCAPE);
    });
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    ExpectBox(0, nullptr, "Registry Error: " + SystemText(ERROR_MORE_DATA));
}

TEST_F(CdEditDlgTest, ValueStoredAsANumberIsReadAsItsBytes)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT1", 0x004b4f);  // "OK" and a zero byte
    Run([](HWND dlg) {
        EXPECT_EQ("OK", ItemText(dlg, IDC_CD_TEXT1));
        PressKey(dlg, VK_ESCAPE);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

// --- the browser test -----------------------------------------------------------------------

TEST_F(CdEditDlgTest, WithoutTheBrowserKeyTheFieldsTellToInstallIt)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser);
    HWND shown = nullptr;
    Run([&](HWND dlg) {
        shown = dlg;
        EXPECT_EQ(m_stored["TEXT3"], ItemText(dlg, IDC_CD_TEXT3));
        EXPECT_EQ("", ItemText(dlg, IDC_CD_TEXT4));
        EXPECT_EQ(m_stored["NO_IE4"], ItemText(dlg, IDC_CD_TEXT5));
        PressKey(dlg, VK_ESCAPE);
    });
    EXPECT_EQ(0u, m_nBoxesBeforeShown);
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    ExpectBox(0, shown, "Opening Registry: " + SystemText(ERROR_FILE_NOT_FOUND));
}

TEST_F(CdEditDlgTest, WithoutTheBrowserVersionTheFieldsTellToInstallIt)
{
    DeleteValue(HKEY_LOCAL_MACHINE, kBrowser, "Version");
    HWND shown = nullptr;
    Run([&](HWND dlg) {
        shown = dlg;
        EXPECT_EQ("", ItemText(dlg, IDC_CD_TEXT4));
        EXPECT_EQ(m_stored["NO_IE4"], ItemText(dlg, IDC_CD_TEXT5));
        PressKey(dlg, VK_ESCAPE);
    });
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    ExpectBox(0, shown, "Querying Registry: " + SystemText(ERROR_FILE_NOT_FOUND));
}

TEST_F(CdEditDlgTest, AnyBrowserVersionCounts)
{
    SetValue(HKEY_LOCAL_MACHINE, kBrowser, "Version", "");
    Run([&](HWND dlg) {
        EXPECT_EQ(m_stored["TEXT4"], ItemText(dlg, IDC_CD_TEXT4));
        EXPECT_EQ(m_stored["TEXT5"], ItemText(dlg, IDC_CD_TEXT5));
        PressKey(dlg, VK_ESCAPE);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(CdEditDlgTest, OkWithoutTheBrowserStoresTheFirstThreeFieldsOnly)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser);
    Run([](HWND dlg) {
        TypeInto(dlg, IDC_CD_TEXT1, "first");
        TypeInto(dlg, IDC_CD_TEXT5, "not the fifth text");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_EQ("first", ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT1"));
    EXPECT_EQ(m_stored["TEXT2"], ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT2"));
    EXPECT_EQ(m_stored["TEXT4"], ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT4"));
    EXPECT_EQ(m_stored["TEXT5"], ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT5"));
    EXPECT_EQ(m_stored["NO_IE4"], ValueOf(HKEY_LOCAL_MACHINE, kTexts, "NO_IE4"));
    EXPECT_EQ(1u, m_boxes.m_boxes.size()) << "only the browser test's box";
}

// --- storing --------------------------------------------------------------------------------

TEST_F(CdEditDlgTest, OkWithoutTypingWritesNothing)
{
    // Writing is impossible: any attempt would show a box.
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTexts);
    const CDialogDriver::Step oks[] = {
        [](HWND dlg) { ClickField(dlg, IDC_CD_OKAY); },
        [](HWND dlg) { PressKey(dlg, VK_RETURN); },
    };
    for (const auto& ok : oks) {
        EXPECT_EQ(IDOK, Run(ok));
        EXPECT_TRUE(m_boxes.m_boxes.empty());
        EXPECT_EQ(m_stored, StoredTexts());
    }
}

TEST_F(CdEditDlgTest, FillingTheFieldsFromTheProgramIsNoChange)
{
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTexts);
    Run([](HWND dlg) {
        // What the dialog itself does when it fills its multi-line fields.
        SetItemText(dlg, IDC_CD_TEXT2, "set, not typed");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
    EXPECT_EQ(m_stored, StoredTexts());
}

TEST_F(CdEditDlgTest, TypingThenOkStoresTheFiveFields)
{
    INT_PTR result = Run([](HWND dlg) {
        TypeInto(dlg, IDC_CD_TEXT2, "Second paragraph, typed.");
        SetItemText(dlg, IDC_CD_TEXT4, "Fourth, set after typing");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(m_boxes.m_boxes.empty());
    std::map<std::string, std::string> expected = m_stored;
    expected["TEXT2"] = "Second paragraph, typed.";
    expected["TEXT4"] = "Fourth, set after typing";
    EXPECT_EQ(expected, StoredTexts());
    for (const char* name : kFieldValues)
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kTexts, name)) << name;
}

TEST_F(CdEditDlgTest, TypingInAnyFieldMakesOkStoreIt)
{
    for (int i = 0; i < 5; ++i) {
        const std::string typed = "typed into field " + std::to_string(kFields[i]);
        Run([&](HWND dlg) {
            TypeInto(dlg, kFields[i], typed);
            ClickField(dlg, IDC_CD_OKAY);
        });
        EXPECT_EQ(typed, ValueOf(HKEY_LOCAL_MACHINE, kTexts, kFieldValues[i]));
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(CdEditDlgTest, EnterStoresThroughTheHiddenDefaultButton)
{
    INT_PTR result = Run([](HWND dlg) {
        TypeInto(dlg, IDC_CD_TEXT3, "Entered.");
        EXPECT_EQ(::GetDlgItem(dlg, IDC_CD_TEXT3), ::GetFocus());
        PressKey(dlg, VK_RETURN);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Entered.", ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT3"));
    EXPECT_EQ(m_stored["TEXT1"], ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT1"));
}

TEST_F(CdEditDlgTest, CancelEscapeAndCloseBoxWriteNothing)
{
    const CDialogDriver::Step dismissals[] = {
        [](HWND dlg) { PressKey(dlg, VK_ESCAPE); },
        [](HWND dlg) { CloseWithCloseBox(dlg); },
        [](HWND dlg) { ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); },
    };
    for (const auto& dismiss : dismissals) {
        INT_PTR result = Run([&](HWND dlg) {
            TypeInto(dlg, IDC_CD_TEXT1, "never stored");
            dismiss(dlg);
        });
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_EQ(m_stored, StoredTexts());
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(CdEditDlgTest, KeyNotWritableGivesOneOpeningBoxAndTheDialogStillEnds)
{
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTexts);
    HWND shown = nullptr;
    INT_PTR result = Run([&](HWND dlg) {
        shown = dlg;
        TypeInto(dlg, IDC_CD_TEXT1, "not stored");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    ExpectBox(0, shown, "Opening Registry: " + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(m_stored, StoredTexts());
}

TEST_F(CdEditDlgTest, CheckBoxCanBeTickedAndNothingIsStored)
{
    const std::string userShow = ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog");
    const std::string machineShow = ValueOf(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog");
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTexts);
    Run([](HWND dlg) {
        ClickButtonNow(dlg, IDC_CD_NO_SHOW);
        EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageA(dlg, IDC_CD_NO_SHOW, BM_GETCHECK, 0, 0));
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
    EXPECT_EQ(m_stored, StoredTexts());
    EXPECT_EQ(userShow, ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
    EXPECT_EQ(machineShow, ValueOf(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog"));
}

// --- fonts ----------------------------------------------------------------------------------

TEST_F(CdEditDlgTest, EnglishSystemsGiveTheLabelsArial)
{
    for (LANGID language : {LANGID{0x0409}, LANGID{0x0809}, LANGID{0x3409}}) {
        SetSystemLanguageOverride(language);
        Run([&](HWND dlg) {
            int pixelsPerInch = 0;
            {
                CClientDC dc(dlg);
                pixelsPerInch = ::GetDeviceCaps(dc.Get(), LOGPIXELSY);
            }
            HFONT labels = FontHandleOf(::GetDlgItem(dlg, IDC_CD_NOTICE));
            EXPECT_NE(FontHandleOf(dlg), labels) << language;
            for (int id : {IDC_CD_NOTICE, IDC_CD_OKAY, IDC_CD_NO_SHOW}) {
                HWND control = ::GetDlgItem(dlg, id);
                EXPECT_EQ(labels, FontHandleOf(control)) << id;
                const LOGFONTA font = FontOf(control);
                EXPECT_EQ(-::MulDiv(100, pixelsPerInch, 720), font.lfHeight) << id;
                EXPECT_EQ(400, font.lfWeight) << id;
                EXPECT_STREQ("Arial", font.lfFaceName) << id;
            }
            for (int id : kFields)
                EXPECT_EQ(FontHandleOf(dlg), FontHandleOf(::GetDlgItem(dlg, id))) << "template font for " << id;
            PressKey(dlg, VK_ESCAPE);
        });
    }
}

TEST_F(CdEditDlgTest, OtherSystemsGiveTheLabelsTheSystemFont)
{
    for (LANGID language : {LANGID{0x040B}, LANGID{0x0411}, LANGID{0x0407}}) {
        SetSystemLanguageOverride(language);
        Run([&](HWND dlg) {
            for (int id : {IDC_CD_NOTICE, IDC_CD_OKAY, IDC_CD_NO_SHOW})
                EXPECT_EQ(::GetStockObject(SYSTEM_FONT), FontHandleOf(::GetDlgItem(dlg, id))) << language << " " << id;
            for (int id : kFields) {
                EXPECT_EQ(FontHandleOf(dlg), FontHandleOf(::GetDlgItem(dlg, id))) << "template font for " << id;
                EXPECT_STREQ("Arial", FontOf(::GetDlgItem(dlg, id)).lfFaceName);
            }
            PressKey(dlg, VK_ESCAPE);
        });
    }
}

// --- colours and pictures -------------------------------------------------------------------

TEST_F(CdEditDlgTest, TextsOnThePictureAreWhiteOnATransparentBackground)
{
    Run([](HWND dlg) {
        const std::pair<UINT, int> onPicture[] = {
            {WM_CTLCOLORSTATIC, IDC_CD_NOTICE},
            {WM_CTLCOLORSTATIC, IDC_CD_OKAY},
            {WM_CTLCOLORBTN, IDC_CD_NO_SHOW},
            {WM_CTLCOLORDLG, 0},
            {WM_CTLCOLORLISTBOX, 0},
        };
        for (const auto& [message, id] : onPicture) {
            CDibCanvas canvas(4, 4, RGB(0, 0, 0));
            ::SetTextColor(canvas.Dc(), RGB(1, 2, 3));
            ::SetBkMode(canvas.Dc(), OPAQUE);
            HWND control = id ? ::GetDlgItem(dlg, id) : dlg;
            LRESULT brush = ::SendMessageA(dlg, message, reinterpret_cast<WPARAM>(canvas.Dc()),
                                           reinterpret_cast<LPARAM>(control));
            EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)), brush) << std::hex << message;
            EXPECT_EQ(RGB(255, 255, 255), ::GetTextColor(canvas.Dc())) << std::hex << message;
            EXPECT_EQ(TRANSPARENT, ::GetBkMode(canvas.Dc())) << std::hex << message;
        }
        // Edit fields, message boxes and scroll bars get the platform's colours.
        const std::pair<UINT, int> ownColours[] = {
            {WM_CTLCOLOREDIT, IDC_CD_TEXT1},
            {WM_CTLCOLORMSGBOX, 0},
            {WM_CTLCOLORSCROLLBAR, 0},
        };
        for (const auto& [message, id] : ownColours) {
            HWND control = id ? ::GetDlgItem(dlg, id) : dlg;
            CDibCanvas platform(4, 4, RGB(0, 0, 0));
            LRESULT platformBrush = ::DefWindowProcA(dlg, message, reinterpret_cast<WPARAM>(platform.Dc()),
                                                     reinterpret_cast<LPARAM>(control));
            CDibCanvas canvas(4, 4, RGB(0, 0, 0));
            LRESULT brush = ::SendMessageA(dlg, message, reinterpret_cast<WPARAM>(canvas.Dc()),
                                           reinterpret_cast<LPARAM>(control));
            EXPECT_EQ(platformBrush, brush) << std::hex << message;
            EXPECT_NE(reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH)), brush);
            EXPECT_EQ(::GetTextColor(platform.Dc()), ::GetTextColor(canvas.Dc())) << std::hex << message;
            EXPECT_EQ(::GetBkMode(platform.Dc()), ::GetBkMode(canvas.Dc())) << std::hex << message;
        }
        PressKey(dlg, VK_ESCAPE);
    });
}

// Sends the window WM_ERASEBKGND for a canvas of its client area's size.
std::unique_ptr<CDibCanvas> EraseInto(HWND hwnd, LRESULT& result)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    auto canvas = std::make_unique<CDibCanvas>(client.right, client.bottom, RGB(1, 2, 3));
    result = ::SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas->Dc()), 0);
    return canvas;
}

TEST_F(CdEditDlgTest, BackgroundIsThePictureFromTheImagesDirectory)
{
    const CBmpFile picture(m_base.Path() + "\\images\\CDBkgd.bmp");
    Run([&](HWND dlg) {
        LRESULT result = 0;
        auto canvas = EraseInto(dlg, result);
        EXPECT_EQ(TRUE, result);
        ASSERT_LE(canvas->Width(), picture.Width());
        ASSERT_LE(canvas->Height(), picture.Height());
        for (int y = 0; y < canvas->Height(); ++y)
            for (int x = 0; x < canvas->Width(); ++x)
                ASSERT_EQ(picture.Pixel(x, y), canvas->Pixel(x, y)) << x << ", " << y;
        PressKey(dlg, VK_ESCAPE);
    });
}

COLORREF TileAt(int x, int y)
{
    return RGB(3 * x, 2 * y, 77);
}

TEST_F(CdEditDlgTest, SmallerBackgroundIsTiledByItsOwnSize)
{
    WriteFileBytes(m_base.Path() + "\\images\\CDBkgd.bmp", BmpFileBytes(70, 45, TileAt));
    Run([&](HWND dlg) {
        LRESULT result = 0;
        auto canvas = EraseInto(dlg, result);
        EXPECT_EQ(TRUE, result);
        for (int y = 0; y < canvas->Height(); ++y)
            for (int x = 0; x < canvas->Width(); ++x)
                ASSERT_EQ(TileAt(x % 70, y % 45), canvas->Pixel(x, y)) << x << ", " << y;
        PressKey(dlg, VK_ESCAPE);
    });
}

TEST_F(CdEditDlgTest, BackgroundPictureNarrowerOrLowerThanTheDialogIsTiled)
{
    WriteFileBytes(m_base.Path() + "\\images\\CDBkgd.bmp", BmpFileBytes(900, 45, TileAt));
    Run([&](HWND dlg) {
        LRESULT result = 0;
        auto canvas = EraseInto(dlg, result);
        for (int y = 0; y < canvas->Height(); ++y)
            for (int x = 0; x < canvas->Width(); ++x)
                ASSERT_EQ(TileAt(x, y % 45), canvas->Pixel(x, y)) << x << ", " << y;
        PressKey(dlg, VK_ESCAPE);
    });
}

TEST_F(CdEditDlgTest, WithoutABackgroundPictureTheDialogHasItsDefaultColour)
{
    ::DeleteFileA((m_base.Path() + "\\images\\CDBkgd.bmp").c_str());
    WriteFileBytes(m_base.Path() + "\\not-a-picture.bmp", "text");
    for (bool unreadable : {false, true}) {
        if (unreadable)
            ::CopyFileA((m_base.Path() + "\\not-a-picture.bmp").c_str(),
                        (m_base.Path() + "\\images\\CDBkgd.bmp").c_str(), FALSE);
        Run([&](HWND dlg) {
            LRESULT result = 0;
            auto canvas = EraseInto(dlg, result);
            EXPECT_EQ(TRUE, result);
            const COLORREF face = ::GetSysColor(COLOR_3DFACE);
            for (int y = 0; y < canvas->Height(); ++y)
                for (int x = 0; x < canvas->Width(); ++x)
                    ASSERT_EQ(face, canvas->Pixel(x, y)) << x << ", " << y << (unreadable ? " unreadable" : " missing");
            PressKey(dlg, VK_ESCAPE);
        });
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty()) << "missing pictures are not reported";
}

TEST_F(CdEditDlgTest, OkLabelShowsTheButtonPictureBehindItsText)
{
    const CBmpFile picture(m_base.Path() + "\\images\\CDButton.bmp");
    Run([&](HWND dlg) {
        HWND label = ::GetDlgItem(dlg, IDC_CD_OKAY);
        for (bool highlighted : {false, true}) {
            // The same picture in both states.
            CBitmapStatic* control = static_cast<CBitmapStatic*>(CWnd::FromHandle(label));
            ASSERT_NE(nullptr, control);
            control->SetHighlight(highlighted);
            LRESULT result = 0;
            auto canvas = EraseInto(label, result);
            EXPECT_EQ(TRUE, result);
            for (int y = 0; y < std::min(canvas->Height(), picture.Height()); ++y)
                for (int x = 0; x < std::min(canvas->Width(), picture.Width()); ++x)
                    ASSERT_EQ(picture.Pixel(x, y), canvas->Pixel(x, y)) << x << ", " << y;
        }
        PressKey(dlg, VK_ESCAPE);
    });
}

TEST_F(CdEditDlgTest, WithoutTheButtonPictureTheOkLabelStillShowsItsText)
{
    ::DeleteFileA((m_base.Path() + "\\images\\CDButton.bmp").c_str());
    Run([&](HWND dlg) {
        HWND label = ::GetDlgItem(dlg, IDC_CD_OKAY);
        EXPECT_EQ(m_stored["OKAY"], ItemText(dlg, IDC_CD_OKAY));
        EXPECT_TRUE(::IsWindowVisible(label));
        LRESULT result = 0;
        auto canvas = EraseInto(label, result);
        for (int y = 0; y < canvas->Height(); ++y)
            for (int x = 0; x < canvas->Width(); ++x)
                ASSERT_EQ(RGB(1, 2, 3), canvas->Pixel(x, y)) << "the static leaves the dialog's background";
        // And a click on it still stores.
        TypeInto(dlg, IDC_CD_TEXT1, "clicked without a picture");
        ClickField(dlg, IDC_CD_OKAY);
    });
    EXPECT_EQ("clicked without a picture", ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT1"));
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(CdEditDlgTest, PicturesComeFromTheCurrentDirectory)
{
    // Another base directory without pictures: the dialog has its default background.
    CScratchDirectory other;
    Run([&](HWND dlg) {
        LRESULT result = 0;
        auto canvas = EraseInto(dlg, result);
        EXPECT_EQ(::GetSysColor(COLOR_3DFACE), canvas->Pixel(canvas->Width() / 2, canvas->Height() / 2));
        PressKey(dlg, VK_ESCAPE);
    });
}

}  // namespace
