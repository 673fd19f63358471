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

#include <functional>
#include <optional>

namespace {

const std::string kHotkey = RegKeys::HotkeyButton;
const std::string kAssistantFile = "C:\\Program Files\\Corvane\\Access Nimbook II\\HLX.EXE";

std::string Stored(const char* name)
{
    return ValueOf(HKEY_LOCAL_MACHINE, kHotkey, name);
}

class HotkeyAppDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kHotkey);
        SetValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName", "Access Nimbook");
        SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", kAssistantFile);
        m_boxes.m_boxes.clear();
    }

    // Runs the editor; `step` acts on the open dialog, whose handle lands in m_hwndShown.
    INT_PTR Run(const CDialogDriver::Step& step)
    {
        CHotkeyAppDlg dlg;
        return RunDialog(dlg, [&](HWND hwnd) { step(m_hwndShown = hwnd); });
    }

    // Every box so far: its text, owned by the dialog, caption "Message", no icon.
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const RecordedBox& box : m_boxes.m_boxes) {
            EXPECT_EQ(m_hwndShown, box.owner);
            EXPECT_EQ("Message", box.caption);
            EXPECT_EQ(0u, box.type);
            texts.push_back(box.text);
        }
        return texts;
    }

    CMessageBoxRecorder m_boxes;
    HWND m_hwndShown = nullptr;
};

TEST_F(HotkeyAppDlgTest, OnlyOkStoresTheFields)
{
    const std::pair<INT_PTR, CDialogDriver::Step> endings[] = {
        {IDOK, [](HWND dlg) { ClickButton(dlg, IDOK); }},
        {IDOK, [](HWND dlg) { PressKey(dlg, VK_RETURN); }},
        {IDCANCEL, [](HWND dlg) { ClickButton(dlg, IDCANCEL); }},
        {IDCANCEL, [](HWND dlg) { PressKey(dlg, VK_ESCAPE); }},
        {IDCANCEL, [](HWND dlg) { CloseWithCloseBox(dlg); }},
    };
    for (const auto& [result, end] : endings) {
        SetUp();
        EXPECT_EQ(result, Run([&](HWND dlg) {
            EXPECT_EQ("Access Nimbook", ItemText(dlg, IDC_HOTKEY_DISPNAME));
            EXPECT_EQ(kAssistantFile, ItemText(dlg, IDC_HOTKEY_FILE));
            EXPECT_EQ(::GetDlgItem(dlg, IDC_HOTKEY_DISPNAME), ::GetFocus());
            SetItemText(dlg, IDC_HOTKEY_DISPNAME, "Calculator");
            SetItemText(dlg, IDC_HOTKEY_FILE, "C:\\Windows\\calc.exe");
            end(dlg);
        }));
        EXPECT_EQ(result == IDOK ? "Calculator" : "Access Nimbook", Stored("DispName"));
        EXPECT_EQ(result == IDOK ? "C:\\Windows\\calc.exe" : kAssistantFile, Stored("File"));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueTypeOf(HKEY_LOCAL_MACHINE, kHotkey, "File"));
        EXPECT_TRUE(m_boxes.m_boxes.empty());
    }
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
    const std::string tooLong = std::string(255, 'd') + '\0';
    const std::string expandable("%ProgramFiles%\\HLX.EXE\0", 23);  // stored with its zero
    const Case cases[] = {
        {"DispName", REG_SZ, tooLong, nullptr, REG_SZ, tooLong},
        {"DispName", REG_MULTI_SZ, std::string("one\0two\0\0", 9), nullptr, REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"DispName", REG_DWORD, std::string("ROM\0", 4), nullptr, REG_DWORD, std::string("ROM\0", 4)},
        {"File", REG_EXPAND_SZ, expandable, nullptr, REG_EXPAND_SZ, expandable},
        {"File", REG_SZ, kAssistantFile + '\0', nullptr, REG_SZ, kAssistantFile + '\0'},
        {"DispName", REG_SZ, tooLong, "Typed", REG_SZ, std::string("Typed", 6)},
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

TEST_F(HotkeyAppDlgTest, BrowseAsksForAnExecutableAndRefillsBothFields)
{
    for (bool bChosen : {true, false}) {
        SetUp();
        CFileOpenFake files;
        files.Answer(bChosen ? std::optional<std::string>("C:\\Tools\\Launcher.exe") : std::nullopt);
        CScratchDirectory base;
        files.m_whileShown = [] { ::SetCurrentDirectoryA("C:\\"); };  // as the platform's box may
        Run([&](HWND dlg) {
            SetItemText(dlg, IDC_HOTKEY_DISPNAME, "typed before Browse");
            ClickButtonNow(dlg, IDC_HOTKEY_BROWSE);
            // Browse refills both fields from what was read and chosen.
            EXPECT_EQ(bChosen ? "C:\\Tools\\Launcher.exe" : kAssistantFile, ItemText(dlg, IDC_HOTKEY_FILE));
            EXPECT_EQ("Access Nimbook", ItemText(dlg, IDC_HOTKEY_DISPNAME));
            ClickButton(dlg, IDOK);
        });
        ASSERT_EQ(1u, files.m_requests.size());
        const FileOpenRequest& request = files.m_requests[0];
        EXPECT_EQ(nullptr, request.owner);
        EXPECT_EQ("Executable files (*.exe)|*.exe|", request.filter);
        EXPECT_EQ("exe", request.defaultExt);
        EXPECT_EQ("*.exe", request.initialName);
        EXPECT_EQ(0x1004u, request.flags);
        EXPECT_EQ(base.Path(), GetCurrentDirectoryString()) << "the base directory is restored";
        EXPECT_EQ(bChosen ? "C:\\Tools\\Launcher.exe" : kAssistantFile, Stored("File"));
        EXPECT_EQ("Access Nimbook", Stored("DispName"));
    }
}

TEST_F(HotkeyAppDlgTest, FailuresAreReported)
{
    const std::string opening = "Opening Registry: " + SystemText(ERROR_FILE_NOT_FOUND);
    const std::string querying = "Querying Registry: ";
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string dispName, file;  // shown
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"no key", [] { DeleteKeyTree(HKEY_LOCAL_MACHINE, kHotkey); }, "", "", {opening, opening}},
        {"no display name, a command line of 254 characters",
         [] {
             DeleteValue(HKEY_LOCAL_MACHINE, kHotkey, "DispName");
             SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", std::string(254, 'f'));
         },
         "", std::string(254, 'f'), {querying + SystemText(ERROR_FILE_NOT_FOUND)}},
        {"a command line of 255 characters", [] { SetValue(HKEY_LOCAL_MACHINE, kHotkey, "File", std::string(255, 'f')); },
         "Access Nimbook", "", {querying + SystemText(ERROR_MORE_DATA)}},
    };
    for (const Case& c : cases) {
        SetUp();
        c.prepare();
        Run([&](HWND dlg) {
            EXPECT_EQ(c.dispName, ItemText(dlg, IDC_HOTKEY_DISPNAME)) << c.name;
            EXPECT_EQ(c.file, ItemText(dlg, IDC_HOTKEY_FILE)) << c.name;
            ClickButton(dlg, IDCANCEL);
        });
        EXPECT_EQ(c.boxes, Boxes()) << c.name;
    }

    // Without the right to write: one box while the dialog is still on screen, nothing stored.
    SetUp();
    CReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kHotkey);
    bool visibleAtBox = false;
    m_boxes.m_onBox = [&](const RecordedBox&) { visibleAtBox = ::IsWindowVisible(m_hwndShown) != FALSE; };
    EXPECT_EQ(IDOK, Run([&](HWND dlg) {
        SetItemText(dlg, IDC_HOTKEY_FILE, "C:\\Other\\other.exe");
        ClickButton(dlg, IDOK);
    }));
    EXPECT_EQ(std::vector<std::string>{querying + SystemText(ERROR_ACCESS_DENIED)}, Boxes());
    EXPECT_TRUE(visibleAtBox);
    EXPECT_FALSE(::IsWindow(m_hwndShown));
    EXPECT_EQ(kAssistantFile, Stored("File"));
}

}  // namespace
