// The replica of the software CD welcome dialog, driven through its real dialog against the
// sample installation's registry and artwork.
#include "config/RegistrySchema.h"
#include "editors/CdEditDlg.h"
#include "framework/Gdi.h"
#include "framework/SystemLanguage.h"
#include "res/resource.h"
#include "tests/support/BitmapCases.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

namespace {

using Texts = std::map<std::string, std::string>;

const std::string kTexts = RegKeys::CdDialogTexts;
const std::string kBrowser = RegKeys::Browser;
const char* const kValueNames[] = {"TITLE", "OKAY",  "NO_SHOW", "TEXT1",  "TEXT2",
                                   "TEXT3", "TEXT4", "TEXT5",   "NO_IE4", "COPYRIGHT"};
const int kFields[] = {IDC_CD_TEXT1, IDC_CD_TEXT2, IDC_CD_TEXT3, IDC_CD_TEXT4, IDC_CD_TEXT5};
const char* const kFieldValues[] = {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5"};

Texts StoredTexts()
{
    Texts values;
    for (const char* name : kValueNames)
        values[name] = ValueOf(HKEY_LOCAL_MACHINE, kTexts, name);
    return values;
}

// What the dialog shows in the places of the ten values (TEXT4/TEXT5: the fourth and fifth field).
Texts ShownTexts(HWND dlg)
{
    Texts shown{{"TITLE", CWnd::GetWindowText(dlg)}, {"OKAY", ItemText(dlg, IDC_CD_OKAY)},
                {"NO_SHOW", ItemText(dlg, IDC_CD_NO_SHOW)}, {"COPYRIGHT", ItemText(dlg, IDC_CD_NOTICE)}};
    for (int i = 0; i < 5; ++i)
        shown[kFieldValues[i]] = ItemText(dlg, kFields[i]);
    return shown;
}

class CdEditDlgTest : public ::testing::Test {
protected:
    // The sample installation is imported once; each case starts again from its values of
    // the two keys that the dialog reads, and from the sample artwork.
    static void SetUpTestSuite()
    {
        InstallSampleRegistry();
        s_sampleTexts = StoredTexts();
        s_sampleVersion = ValueOf(HKEY_LOCAL_MACHINE, kBrowser, "Version");
    }

    void SetUp() override { Restore(); }
    void TearDown() override { SetSystemLanguageOverride(0); }

    void Restore()
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTexts);
        for (const auto& [name, text] : s_sampleTexts)
            SetValue(HKEY_LOCAL_MACHINE, kTexts, name, text);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser);
        SetValue(HKEY_LOCAL_MACHINE, kBrowser, "Version", s_sampleVersion);
        m_stored = StoredTexts();
        ASSERT_EQ(s_sampleTexts, m_stored);
        CopySampleImages(m_base.Path());
        m_boxes.m_boxes.clear();
    }

    // Opens the replica; `step` acts on the open dialog. Returns the dialog's result.
    INT_PTR Run(const CDialogDriver::Step& step)
    {
        CCdEditDlg dlg;
        return RunDialog(dlg, [&](HWND hwnd) {
            m_nBoxesWhenShown = m_boxes.m_boxes.size();
            step(m_hwndShown = hwnd);
        });
    }

    // The boxes shown, as "owner|text": owner "none" before the dialog was shown, else "dialog".
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> boxes;
        for (const RecordedBox& box : m_boxes.m_boxes) {
            EXPECT_EQ("Message", box.caption);
            EXPECT_EQ(0u, box.type);
            const char* owner = !box.owner ? "none" : box.owner == m_hwndShown ? "dialog" : "other";
            boxes.push_back(std::string(owner) + "|" + box.text);
        }
        return boxes;
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
    Texts m_stored;  // the key's values before the case
    HWND m_hwndShown = nullptr;
    std::size_t m_nBoxesWhenShown = 0;

    static Texts s_sampleTexts;
    static std::string s_sampleVersion;
};

Texts CdEditDlgTest::s_sampleTexts;
std::string CdEditDlgTest::s_sampleVersion;

const std::string kOpening = "Opening Registry: ";

// --- loading --------------------------------------------------------------------------------

TEST_F(CdEditDlgTest, ShowsTheValuesAndReportsUnreadableOnes)
{
    // The sample's texts are real texts, not empty ones.
    EXPECT_EQ("Nimbook Software Selections CD", m_stored["TITLE"]);
    EXPECT_FALSE(m_stored["TEXT5"].empty());
    const std::string notFound = SystemText(ERROR_FILE_NOT_FOUND);
    const Texts noBrowser{{"TEXT4", ""}, {"TEXT5", m_stored["NO_IE4"]}};
    struct Case {
        const char* name;
        std::function<void()> prepare;
        Texts shownInstead;  // what differs from the stored values
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"sample", [] {}, {}, {}},
        {"missing TEXT3", [] { DeleteValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT3"); }, {{"TEXT3", ""}},
         {"none|Registry Error: " + notFound}},
        // 4094 characters are read; 4095 are more than the dialog offers.
        {"oversized TEXT3", [] {
             SetValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT2", std::string(4094, 'a'));
             SetValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT3", std::string(4095, 'b'));
         }, {{"TEXT3", ""}}, {"none|Registry Error: " + SystemText(ERROR_MORE_DATA)}},
        {"no browser key", [] { DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser); }, noBrowser,
         {"dialog|" + kOpening + notFound}},
        {"no browser version", [] { DeleteValue(HKEY_LOCAL_MACHINE, kBrowser, "Version"); }, noBrowser,
         {"dialog|Querying Registry: " + notFound}},
        {"empty browser version", [] { SetValue(HKEY_LOCAL_MACHINE, kBrowser, "Version", ""); }, {}, {}},
    };
    for (const Case& c : cases) {
        Restore();
        c.prepare();
        Texts expected = StoredTexts();
        expected.erase("NO_IE4");
        for (const auto& [name, text] : c.shownInstead)
            expected[name] = text;
        Texts shown;
        Run([&](HWND dlg) {
            shown = ShownTexts(dlg);
            EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessageA(dlg, IDC_CD_NO_SHOW, BM_GETCHECK, 0, 0));
            PressKey(dlg, VK_ESCAPE);
        });
        EXPECT_EQ(expected, shown) << c.name;
        EXPECT_EQ(c.boxes, Boxes()) << c.name;
    }
}

TEST_F(CdEditDlgTest, MissingKeyIsReportedTwice)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kTexts);
    Texts shown;
    EXPECT_EQ(IDOK, Run([&](HWND dlg) {
        shown = ShownTexts(dlg);
        TypeInto(dlg, IDC_CD_TEXT1, "typed");
        ClickField(dlg, IDC_CD_OKAY);
    }));
    for (const auto& [name, text] : shown)
        EXPECT_EQ("", text) << name;
    EXPECT_EQ(1u, m_nBoxesWhenShown);
    const std::string notFound = kOpening + SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ((std::vector<std::string>{"none|" + notFound, "dialog|" + notFound}), Boxes());
    EXPECT_EQ("<missing>", ValueOf(HKEY_LOCAL_MACHINE, kTexts, "TEXT1")) << "nothing was created";
}

// --- storing --------------------------------------------------------------------------------

TEST_F(CdEditDlgTest, OnAKeyNotWritableOnlyTypingThenOkTriesToStore)
{
    const std::string userShow = ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog");
    const std::string machineShow = ValueOf(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog");
    // Any attempt to write shows a box.
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTexts);
    const CDialogDriver::Step oks[] = {
        [](HWND dlg) { ClickField(dlg, IDC_CD_OKAY); },
        [](HWND dlg) { PressKey(dlg, VK_RETURN); },
        // What the dialog itself does when it fills its multi-line fields is no change.
        [](HWND dlg) { SetItemText(dlg, IDC_CD_TEXT2, "set, not typed"); ClickField(dlg, IDC_CD_OKAY); },
        [](HWND dlg) {
            ClickButtonNow(dlg, IDC_CD_NO_SHOW);
            EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageA(dlg, IDC_CD_NO_SHOW, BM_GETCHECK, 0, 0));
            ClickField(dlg, IDC_CD_OKAY);
        },
    };
    for (const auto& ok : oks)
        EXPECT_EQ(IDOK, Run(ok));
    EXPECT_TRUE(m_boxes.m_boxes.empty());
    EXPECT_EQ(userShow, ValueOf(HKEY_CURRENT_USER, RegKeys::UserAssistant, "Show CD Dialog"));
    EXPECT_EQ(machineShow, ValueOf(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "Show CD Dialog"));

    EXPECT_EQ(IDOK, Run([](HWND dlg) {
        TypeInto(dlg, IDC_CD_TEXT1, "not stored");
        ClickField(dlg, IDC_CD_OKAY);
    }));
    EXPECT_EQ(std::vector<std::string>{"dialog|" + kOpening + SystemText(ERROR_ACCESS_DENIED)}, Boxes());
    EXPECT_EQ(m_stored, StoredTexts());
}

TEST_F(CdEditDlgTest, TypingInAFieldThenOkOrEnterStoresTheFieldsShown)
{
    // Without the browser the last two fields do not show TEXT4 and TEXT5: those are kept.
    enum Ok { Click, Enter, ClickWithoutBrowser };
    for (Ok ok : {Click, Enter, ClickWithoutBrowser}) {
        for (int i = 0; i < 5; ++i) {
            Restore();
            if (ok == ClickWithoutBrowser)
                DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowser);
            const std::string typed = "typed into " + std::string(kFieldValues[i]) + " " + std::to_string(ok);
            EXPECT_EQ(IDOK, Run([&](HWND dlg) {
                TypeInto(dlg, kFields[i], typed);
                if (ok == Enter)
                    PressKey(dlg, VK_RETURN);  // the hidden default button
                else
                    ClickField(dlg, IDC_CD_OKAY);
            }));
            Texts expected = m_stored;
            if (ok != ClickWithoutBrowser || i < 3)
                expected[kFieldValues[i]] = typed;
            EXPECT_EQ(expected, StoredTexts()) << typed;
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kTexts, kFieldValues[i]));
            EXPECT_EQ(ok == ClickWithoutBrowser ? 1u : 0u, m_boxes.m_boxes.size()) << "only the browser test's";
        }
    }
}

TEST_F(CdEditDlgTest, OkKeepsUnshownParagraphs)
{
    using Stored = std::pair<DWORD, std::string>;
    const auto stored = [](const char* name) {
        return Stored{ValueTypeOf(HKEY_LOCAL_MACHINE, kTexts, name), ValueBytesOf(HKEY_LOCAL_MACHINE, kTexts, name)};
    };
    const Stored unread{REG_SZ, std::string(5000, 'x') + '\0'};
    const Stored multi{REG_MULTI_SZ, std::string("a\0b\0\0", 5)};
    const Stored expandable{REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9)};
    const Stored trailing{REG_SZ, std::string("shown\0hidden\0", 14)};
    for (const char* typedInto : {"TEXT1", "TEXT3"}) {
        Restore();
        SetTypedValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT2", unread.first, unread.second);
        SetTypedValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT3", multi.first, multi.second);
        SetTypedValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT4", expandable.first, expandable.second);
        SetTypedValue(HKEY_LOCAL_MACHINE, kTexts, "TEXT5", trailing.first, trailing.second);
        EXPECT_EQ(IDOK, Run([&](HWND dlg) {
            TypeInto(dlg, typedInto == std::string("TEXT1") ? IDC_CD_TEXT1 : IDC_CD_TEXT3, "typed");
            ClickField(dlg, IDC_CD_OKAY);
        }));
        const Stored typed{REG_SZ, std::string("typed", 6)};
        const Stored text1{REG_SZ, m_stored["TEXT1"] + '\0'};
        EXPECT_EQ(typedInto == std::string("TEXT1") ? typed : text1, stored("TEXT1"));
        EXPECT_EQ(unread, stored("TEXT2")) << typedInto;
        EXPECT_EQ(typedInto == std::string("TEXT3") ? typed : multi, stored("TEXT3"));
        EXPECT_EQ(expandable, stored("TEXT4")) << typedInto;
        EXPECT_EQ(trailing, stored("TEXT5")) << typedInto;
    }
}

TEST_F(CdEditDlgTest, CancelEscapeAndCloseBoxWriteNothing)
{
    const CDialogDriver::Step dismissals[] = {
        [](HWND dlg) { PressKey(dlg, VK_ESCAPE); },
        [](HWND dlg) { CloseWithCloseBox(dlg); },
        [](HWND dlg) { ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); },
    };
    for (const auto& dismiss : dismissals) {
        EXPECT_EQ(IDCANCEL, Run([&](HWND dlg) {
            TypeInto(dlg, IDC_CD_TEXT1, "never stored");
            dismiss(dlg);
        }));
        EXPECT_EQ(m_stored, StoredTexts());
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

// --- fonts and colours ----------------------------------------------------------------------

TEST_F(CdEditDlgTest, LabelsAreArialOnEnglishSystems)
{
    const auto fontOf = [](HWND hwnd) { return reinterpret_cast<HFONT>(::SendMessageA(hwnd, WM_GETFONT, 0, 0)); };
    const std::pair<LANGID, bool> languages[] = {{0x0409, true}, {0x0809, true}, {0x040B, false}, {0x0411, false}};
    for (const auto& [language, english] : languages) {
        SetSystemLanguageOverride(language);
        Run([&](HWND dlg) {
            const HFONT labels = fontOf(::GetDlgItem(dlg, IDC_CD_NOTICE));
            for (int id : {IDC_CD_OKAY, IDC_CD_NO_SHOW})
                EXPECT_EQ(labels, fontOf(::GetDlgItem(dlg, id))) << language << " " << id;
            LOGFONTA font{};
            ::GetObjectA(labels, sizeof(font), &font);
            if (english) {
                CClientDC dc(dlg);
                EXPECT_EQ(-::MulDiv(100, ::GetDeviceCaps(dc.Get(), LOGPIXELSY), 720), font.lfHeight) << language;
                EXPECT_EQ(400, font.lfWeight) << language;
                EXPECT_STREQ("Arial", font.lfFaceName) << language;
            } else {
                EXPECT_EQ(::GetStockObject(SYSTEM_FONT), labels) << language;
            }
            // The edit fields keep the template's font, Arial, everywhere.
            for (int id : kFields)
                EXPECT_EQ(fontOf(dlg), fontOf(::GetDlgItem(dlg, id))) << language << " " << id;
            ::GetObjectA(fontOf(dlg), sizeof(font), &font);
            EXPECT_STREQ("Arial", font.lfFaceName) << language;
            PressKey(dlg, VK_ESCAPE);
        });
    }
}

// --- pictures -------------------------------------------------------------------------------

COLORREF TileAt(int x, int y)
{
    return RGB(3 * x, 2 * y, 77);
}

TEST_F(CdEditDlgTest, BackgroundIsThePictureOrTiled)
{
    const std::string file = m_base.Path() + "\\images\\CDBkgd.bmp";
    const CPixels sample = LoadBitmapPixels(file);
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // none: no file
        std::function<COLORREF(int, int)> expected;
    };
    const Case cases[] = {
        {"the sample, larger than the dialog", ReadFileBytes(file),
         [&](int x, int y) { return x < sample.width && y < sample.height ? sample.At(x, y) : CLR_INVALID; }},
        {"smaller both ways", BmpFileBytes(70, 45, TileAt), [](int x, int y) { return TileAt(x % 70, y % 45); }},
        {"wider but lower", BmpFileBytes(900, 45, TileAt), [](int x, int y) { return TileAt(x, y % 45); }},
        {"missing", std::nullopt, [&](int, int) { return face; }},
        {"the sample cut in half", ReadFileBytes(file).substr(0, ReadFileBytes(file).size() / 2),
         [&](int, int) { return face; }},
        {"not a picture", std::string("text"), [&](int, int) { return face; }},
    };
    std::vector<Case> broken(std::begin(cases), std::end(cases));
    for (const CBitmapCase& bad : BitmapCases())
        if (!bad.loads)
            broken.push_back({bad.name.c_str(), std::string(bad.bytes.begin(), bad.bytes.end()),
                              [&](int, int) { return face; }});
    for (const Case& c : broken) {
        ::DeleteFileA(file.c_str());
        if (c.bytes)
            WriteFileBytes(file, *c.bytes);
        Run([&](HWND dlg) {
            RECT client{};
            ::GetClientRect(dlg, &client);
            CDibCanvas canvas(client.right, client.bottom, RGB(1, 2, 3));
            EXPECT_EQ(TRUE, ::SendMessageA(dlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0));
            for (int y = 0; y < canvas.Height(); ++y)
                for (int x = 0; x < canvas.Width(); ++x)
                    ASSERT_EQ(c.expected(x, y), canvas.Pixel(x, y)) << c.name << " at " << x << ", " << y;
            PressKey(dlg, VK_ESCAPE);
        });
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty()) << "missing pictures are not reported";
}

}  // namespace
