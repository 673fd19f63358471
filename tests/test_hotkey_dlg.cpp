// The hot-key button application editor, driven through its real dialog.
#include "config/RegistrySchema.h"
#include "editors/HotkeyAppDlg.h"
#include "framework/CurrentDirectory.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

const std::string kHotkey = RegKeys::HotkeyButton;
const std::string kAssistantFile = "C:\\Program Files\\Corvane\\Access Nimbook II\\HLX.EXE";

class HotkeyAppDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kHotkey);
        SetValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName", "Access Nimbook");
        SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", kAssistantFile);
    }

    // Runs the editor; `step` acts on the open dialog.
    INT_PTR Run(CDialogDriver::Step step)
    {
        CDialogDriver driver;
        driver.Then(std::move(step));
        CHotkeyAppDlg dlg;
        INT_PTR result = dlg.DoModal();
        EXPECT_TRUE(driver.AllStepsRan());
        return result;
    }

    CMessageBoxRecorder m_boxes;
};

TEST_F(HotkeyAppDlgTest, TemplateHasItsControlsAndTexts)
{
    Run([](HWND dlg) {
        EXPECT_EQ("Access Nimbook Customization", CWnd::GetWindowText(dlg));
        EXPECT_EQ("OK", ItemText(dlg, IDOK));
        EXPECT_EQ("Cancel", ItemText(dlg, IDCANCEL));
        EXPECT_EQ("Browse", ItemText(dlg, IDC_HOTKEY_BROWSE));
        EXPECT_EQ("CommandLine", ItemText(dlg, IDC_HOTKEY_FILE_LABEL));
        EXPECT_EQ("Display Name", ItemText(dlg, IDC_HOTKEY_DISPNAME_LABEL));
        EXPECT_EQ("Modify \"Nimbook\" button launchable application.", ItemText(dlg, 0xFFFF)) << "the heading (IDC_STATIC as the template stores it)";
        EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
        EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(dlg, IDC_HOTKEY_FILE), GWL_STYLE) & ES_AUTOHSCROLL);
        // The display name field comes first in the tab order and has the focus.
        EXPECT_EQ(::GetDlgItem(dlg, IDC_HOTKEY_DISPNAME), ::GetFocus());
        ClickButton(dlg, IDCANCEL);
    });
}

TEST_F(HotkeyAppDlgTest, ShowsBothValuesAndOkWritesTheEditedTexts)
{
    INT_PTR result = Run([](HWND dlg) {
        EXPECT_EQ("Access Nimbook", ItemText(dlg, IDC_HOTKEY_DISPNAME));
        EXPECT_EQ(kAssistantFile, ItemText(dlg, IDC_HOTKEY_FILE));
        SetItemText(dlg, IDC_HOTKEY_DISPNAME, "Calculator");
        SetItemText(dlg, IDC_HOTKEY_FILE, "C:\\Windows\\calc.exe");
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Calculator", ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "DispName"));
    EXPECT_EQ("C:\\Windows\\calc.exe", ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(HotkeyAppDlgTest, OkKeepsWhatItCouldNotShowUnlessItWasChanged)
{
    // Values that could not be read, or are not plain text, survive a plain OK byte for byte,
    // type for type; plain text is written back as it was; a changed field is written as text.
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
        const char* typed;  // nullptr: OK without typing
        DWORD storedType;
        std::string stored;
    };
    const std::string tooLong(255, 'd');
    const std::string expandable("%ProgramFiles%\\HLX.EXE\0", 23);  // stored with its zero
    const Case cases[] = {
        {"DispName", REG_SZ, tooLong + '\0', nullptr, REG_SZ, tooLong + '\0'},
        {"DispName", REG_MULTI_SZ, std::string("one\0two\0\0", 9), nullptr, REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"DispName", REG_DWORD, std::string("ROM\0", 4), nullptr, REG_DWORD, std::string("ROM\0", 4)},
        {"File", REG_EXPAND_SZ, expandable, nullptr, REG_EXPAND_SZ, expandable},
        {"File", REG_SZ, kAssistantFile + '\0', nullptr, REG_SZ, kAssistantFile + '\0'},
        {"DispName", REG_SZ, tooLong + '\0', "Typed", REG_SZ, std::string("Typed", 6)},
        {"File", REG_EXPAND_SZ, expandable, "C:\\HLX.EXE", REG_SZ, std::string("C:\\HLX.EXE") + '\0'},
    };
    for (const Case& c : cases) {
        SetUp();
        SetTypedValue(HKEY_LOCAL_MACHINE, kHotkey, c.name, c.type, c.bytes);
        Run([&](HWND dlg) {
            if (c.typed)
                SetItemText(dlg, std::string(c.name) == "File" ? IDC_HOTKEY_FILE : IDC_HOTKEY_DISPNAME, c.typed);
            ClickButton(dlg, IDOK);
        });
        EXPECT_EQ(c.storedType, ValueTypeOf(HKEY_LOCAL_MACHINE, kHotkey, c.name)) << c.name << " " << c.type;
        EXPECT_EQ(c.stored, ValueBytesOf(HKEY_LOCAL_MACHINE, kHotkey, c.name)) << c.name << " " << c.type;
    }
}

TEST_F(HotkeyAppDlgTest, CancelEscapeAndCloseBoxWriteNothing)
{
    const CDialogDriver::Step dismissals[] = {
        [](HWND dlg) { ClickButton(dlg, IDCANCEL); },
        [](HWND dlg) { PressKey(dlg, VK_ESCAPE); },
        [](HWND dlg) { CloseWithCloseBox(dlg); },
    };
    for (const auto& dismiss : dismissals) {
        INT_PTR result = Run([&](HWND dlg) {
            SetItemText(dlg, IDC_HOTKEY_FILE, "C:\\Other\\other.exe");
            dismiss(dlg);
        });
        EXPECT_EQ(IDCANCEL, result);
        EXPECT_EQ(kAssistantFile, ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(HotkeyAppDlgTest, EnterPressesOk)
{
    Run([](HWND dlg) {
        SetItemText(dlg, IDC_HOTKEY_DISPNAME, "Entered");
        PressKey(dlg, VK_RETURN);
    });
    EXPECT_EQ("Entered", ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "DispName"));
}

TEST_F(HotkeyAppDlgTest, BrowseAsksForAnExecutableAndPutsItsPathIntoTheCommandLine)
{
    CFileOpenFake files;
    files.Answer("C:\\Tools\\Launcher.exe");
    CScratchDirectory base;
    files.m_whileShown = [] { ::SetCurrentDirectoryA("C:\\"); };  // as the platform's box may

    Run([](HWND dlg) {
        SetItemText(dlg, IDC_HOTKEY_DISPNAME, "typed before Browse");
        ClickButtonNow(dlg, IDC_HOTKEY_BROWSE);
        // Browse refills both fields from what was read and chosen.
        EXPECT_EQ("C:\\Tools\\Launcher.exe", ItemText(dlg, IDC_HOTKEY_FILE));
        EXPECT_EQ("Access Nimbook", ItemText(dlg, IDC_HOTKEY_DISPNAME));
        ClickButton(dlg, IDCANCEL);
    });

    ASSERT_EQ(1u, files.m_requests.size());
    const FileOpenRequest& request = files.m_requests[0];
    EXPECT_EQ(nullptr, request.owner);
    EXPECT_EQ("Executable files (*.exe)|*.exe|", request.filter);
    EXPECT_EQ("exe", request.defaultExt);
    EXPECT_EQ("*.exe", request.initialName);
    EXPECT_EQ(0x1004u, request.flags);
    EXPECT_EQ(base.Path(), GetCurrentDirectoryString()) << "the base directory is restored";
    EXPECT_EQ(kAssistantFile, ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File")) << "Cancel stored nothing";
}

TEST_F(HotkeyAppDlgTest, BrowseThenOkStoresTheChosenProgram)
{
    CFileOpenFake files;
    files.Answer("C:\\Tools\\Launcher.exe");
    Run([](HWND dlg) {
        ClickButton(dlg, IDC_HOTKEY_BROWSE);
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ("C:\\Tools\\Launcher.exe", ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
    EXPECT_EQ("Access Nimbook", ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "DispName"));
}

TEST_F(HotkeyAppDlgTest, BrowseCancelledLeavesTheCommandLine)
{
    CFileOpenFake files;
    files.Answer(std::nullopt);
    Run([](HWND dlg) {
        ClickButton(dlg, IDC_HOTKEY_BROWSE);
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ(1u, files.m_requests.size());
    EXPECT_EQ(kAssistantFile, ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
}

TEST_F(HotkeyAppDlgTest, MissingKeyGivesTwoOpeningBoxesAndEmptyFields)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kHotkey);
    HWND shown = nullptr;
    Run([&](HWND dlg) {
        shown = dlg;
        EXPECT_EQ("", ItemText(dlg, IDC_HOTKEY_DISPNAME));
        EXPECT_EQ("", ItemText(dlg, IDC_HOTKEY_FILE));
        ClickButton(dlg, IDCANCEL);
    });
    ASSERT_EQ(2u, m_boxes.m_boxes.size());
    for (const RecordedBox& box : m_boxes.m_boxes) {
        EXPECT_EQ(shown, box.owner);
        EXPECT_EQ("Opening Registry: " + SystemText(ERROR_FILE_NOT_FOUND), box.text);
        EXPECT_EQ("Message", box.caption);
        EXPECT_EQ(0u, box.type);
    }
}

TEST_F(HotkeyAppDlgTest, MissingOrTooLongValueGivesOneQueryingBoxForThatValue)
{
    DeleteValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName");
    SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", std::string(254, 'f'));
    Run([](HWND dlg) {
        EXPECT_EQ("", ItemText(dlg, IDC_HOTKEY_DISPNAME));
        EXPECT_EQ(std::string(254, 'f'), ItemText(dlg, IDC_HOTKEY_FILE));
        ClickButton(dlg, IDCANCEL);
    });
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ("Querying Registry: " + SystemText(ERROR_FILE_NOT_FOUND), m_boxes.m_boxes[0].text);

    m_boxes.m_boxes.clear();
    SetValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName", "ok");
    SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", std::string(255, 'f'));
    Run([](HWND dlg) {
        EXPECT_EQ("ok", ItemText(dlg, IDC_HOTKEY_DISPNAME));
        EXPECT_EQ("", ItemText(dlg, IDC_HOTKEY_FILE));
        ClickButton(dlg, IDCANCEL);
    });
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ("Querying Registry: " + SystemText(ERROR_MORE_DATA), m_boxes.m_boxes[0].text);
}

TEST_F(HotkeyAppDlgTest, KeyNotWritableGivesOneQueryingBoxAndStoresNothing)
{
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kHotkey);
    HWND shown = nullptr;
    INT_PTR result = Run([&](HWND dlg) {
        shown = dlg;
        SetItemText(dlg, IDC_HOTKEY_FILE, "C:\\Other\\other.exe");
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(1u, m_boxes.m_boxes.size());
    EXPECT_EQ(shown, m_boxes.m_boxes[0].owner);
    EXPECT_EQ("Querying Registry: " + SystemText(ERROR_ACCESS_DENIED), m_boxes.m_boxes[0].text);
    EXPECT_EQ("Message", m_boxes.m_boxes[0].caption);
    EXPECT_EQ(0u, m_boxes.m_boxes[0].type);
    EXPECT_EQ(kAssistantFile, ValueOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
}

TEST_F(HotkeyAppDlgTest, DialogIsStillOnScreenWhileOkStores)
{
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kHotkey);
    HWND shown = nullptr;
    bool visibleAtBox = false;
    m_boxes.m_onBox = [&](const RecordedBox&) { visibleAtBox = ::IsWindowVisible(shown) != FALSE; };
    Run([&](HWND dlg) {
        shown = dlg;
        ClickButton(dlg, IDOK);
    });
    EXPECT_TRUE(visibleAtBox);
    EXPECT_FALSE(::IsWindow(shown));
}

}  // namespace
