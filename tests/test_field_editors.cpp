// The field editors through their real dialogs, against the sample installation's registry
// and artwork: what they show, what OK stores, that every way of cancelling stores nothing,
// and the boxes their failures show.
#include "config/RegistrySchema.h"
#include "editors/CategoryEditDlg.h"
#include "editors/CdEditDlg.h"
#include "editors/HotkeyAppDlg.h"
#include "editors/InternetEditDlg.h"
#include "editors/SideImageDlg.h"
#include "editors/UrlIconDlg.h"
#include "framework/CurrentDirectory.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <vector>

namespace {

const HKEY kLM = HKEY_LOCAL_MACHINE;
const std::string kMainTexts = RegKeys::MainTexts;
const std::string kInternet = RegKeys::InternetDialogTexts;
std::string ControlKey(const char* subkey) { return std::string(RegKeys::Control) + "\\" + subkey; }

// The ways of leaving a dialog without OK: Escape (as the dialog manager sends it), the close
// box and, where there is one, the Cancel button.
const std::function<void(HWND)> kCancels[] = {
    [](HWND dlg) { ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); },
    [](HWND dlg) { CloseWithCloseBox(dlg); },
    [](HWND dlg) { ClickButton(dlg, IDCANCEL); },
};
const std::span<const std::function<void(HWND)>> kEscapeAndCloseBox(kCancels, 2);

class FieldEditorTest : public ::testing::Test {
protected:
    FieldEditorTest() { InstallSampleRegistry(); CopySampleImages(m_base.Path()); }

    template <class TDialog>
    INT_PTR Run(TDialog& dlg, const CDialogDriver::Step& step)
    {
        return RunDialog(dlg, [&](HWND hwnd) { step(m_hwnd = hwnd); });
    }
    INT_PTR RunCategory(int nField, CDialogDriver::Step step)
    {
        CCategoryEditDlg dlg;
        dlg.m_strFieldNumber = std::to_string(nField);
        return Run(dlg, step);
    }
    // The boxes shown, as "owner|caption|text", owner "dialog", "none" or "other".
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> boxes;
        for (const RecordedBox& box : m_boxes.m_boxes)
            boxes.push_back(std::string(box.owner == m_hwnd ? "dialog" : box.owner ? "other" : "none") + "|" +
                            box.caption + "|" + box.text);
        return boxes;
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
    HWND m_hwnd = nullptr;
};

// What the category editor shows: "source|read-only|item|text".
std::string CategoryShown(HWND dlg)
{
    HWND combo = ::GetDlgItem(dlg, IDC_CATEGORY_SOURCE);
    const LRESULT position = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char label[64] = "<none>";
    if (position >= 0)
        ::SendMessageA(combo, CB_GETLBTEXT, position, reinterpret_cast<LPARAM>(label));
    const bool bReadOnly = ::GetWindowLongA(::GetDlgItem(dlg, IDC_CATEGORY_LAUNCHABLE_ITEM), GWL_STYLE) & ES_READONLY;
    return std::string(label) + "|" + (bReadOnly ? "ro" : "rw") + "|" + ItemText(dlg, IDC_CATEGORY_LAUNCHABLE_ITEM) +
           "|" + ItemText(dlg, IDC_CATEGORY_BUTTON_TEXT);
}

void SelectSource(HWND dlg, int position)
{
    HWND combo = ::GetDlgItem(dlg, IDC_CATEGORY_SOURCE);
    ::SendMessageA(combo, CB_SETCURSEL, position, 0);
    ::SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CATEGORY_SOURCE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

TEST_F(FieldEditorTest, CategoryEditorShowsEachStoredStateAndStoresOnOk)
{
    const std::string longItem(600, 'x');  // more than the 511 bytes offered
    struct Case {
        const char* name;
        int nField;
        std::function<void()> prepare;
        std::string shown;                // at opening
        std::function<void(HWND)> act;    // before OK
        const char* subkey;
        std::string source, item, text;   // stored afterwards
    };
    const Case cases[] = {
        {"HTML help ignores the stored item", 7, [] { SetValue(kLM, ControlKey("HLXBUT03"), "LaunchableItem", "stale"); },
         "HTML Help|ro||How Do I?", [](HWND dlg) { SetItemText(dlg, IDC_CATEGORY_BUTTON_TEXT, "Ask Me"); },
         "HLXBUT03", "IOIS", "", "Ask Me"},
        {"program, then HTML help and back restores the item", 8, {},
         "Program|rw|\"C:\\Program Files\\Corvane\\Access Nimbook II\\Tools\\NBDIAG.EXE\" /menu|Problem Solver",
         [](HWND dlg) {
             SetItemText(dlg, IDC_CATEGORY_LAUNCHABLE_ITEM, "typed");
             SelectSource(dlg, 0);
             EXPECT_EQ("HTML Help|ro||Problem Solver", CategoryShown(dlg));
             SelectSource(dlg, 2);
         },
         "HLXBUT04", "WEB", "\"C:\\Program Files\\Corvane\\Access Nimbook II\\Tools\\NBDIAG.EXE\" /menu", "Problem Solver"},
        {"web link by exact code", 1, {}, "URL|rw|http://www.corvane.com/|Corvane on the Web",
         [](HWND dlg) { SetItemText(dlg, IDC_CATEGORY_LAUNCHABLE_ITEM, "http://example.com/"); },
         "URL1", "WEB", "http://example.com/", "Corvane on the Web"},
        {"HTML help on a web link is not understood and survives", 2,
         [] { SetValue(kLM, ControlKey("URL2"), "InformationSource", "IOIS"); },
         "<none>|ro||Register Your Nimbook", {}, "URL2", "IOIS",
         "\"C:\\Program Files\\Corvane\\Access Nimbook II\\Register\\NBREG.EXE\" /online", "Register Your Nimbook"},
        {"an unknown code stays when none is chosen", 9, [] { SetValue(kLM, ControlKey("HLXBUT05"), "InformationSource", "web"); },
         "<none>|rw|http://www.corvane.com/support/nimbook/|Contact Corvane", {}, "HLXBUT05", "web",
         "http://www.corvane.com/support/nimbook/", "Contact Corvane"},
        {"values that could not be read stay byte for byte", 6,
         [&] {
             SetValue(kLM, ControlKey("HLXBUT02"), "InformationSource", "EXEC");
             SetValue(kLM, ControlKey("HLXBUT02"), "LaunchableItem", longItem);
             SetDwordValue(kLM, kMainTexts, "Button2", 0x41);
         },
         "Program|rw||A", {}, "HLXBUT02", "EXEC", longItem, "<dword>"},
        {"a long item is written when the administrator changes it", 5,
         [&] {
             SetValue(kLM, ControlKey("HLXBUT01"), "InformationSource", "EXEC");
             SetValue(kLM, ControlKey("HLXBUT01"), "LaunchableItem", longItem);
         },
         "Program|rw||Top Ten", [](HWND dlg) { SetItemText(dlg, IDC_CATEGORY_LAUNCHABLE_ITEM, "new.exe"); },
         "HLXBUT01", "EXEC", "new.exe", "Top Ten"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.prepare)
            c.prepare();
        std::string shown;
        RunCategory(c.nField, [&](HWND dlg) {
            shown = CategoryShown(dlg);
            EXPECT_EQ(std::to_string(c.nField), ItemText(dlg, IDC_CATEGORY_FIELD_NUMBER));
            if (c.act)
                c.act(dlg);
            ClickButton(dlg, IDOK);
        });
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.source, ValueOf(kLM, ControlKey(c.subkey), "InformationSource"));
        EXPECT_EQ(c.item, ValueOf(kLM, ControlKey(c.subkey), "LaunchableItem"));
        const std::string textName = c.nField >= 5 ? "Button" + std::to_string(c.nField - 4) : "URL" + std::to_string(c.nField);
        if (c.text == "<dword>")
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), ValueTypeOf(kLM, kMainTexts, textName));
        else
            EXPECT_EQ(c.text, ValueOf(kLM, kMainTexts, textName));
        EXPECT_TRUE(m_boxes.m_boxes.empty());
    }
}

TEST_F(FieldEditorTest, CategoryEditorCancelStoresNothing)
{
    for (const auto& cancel : kCancels) {
        RunCategory(8, [&](HWND dlg) {
            SetItemText(dlg, IDC_CATEGORY_BUTTON_TEXT, "nope");
            SelectSource(dlg, 0);
            cancel(dlg);
        });
        EXPECT_EQ("Problem Solver", ValueOf(kLM, kMainTexts, "Button4"));
        EXPECT_EQ("EXEC", ValueOf(kLM, ControlKey("HLXBUT04"), "InformationSource"));
    }
    {
        // The texts cannot be written: one box, and the target is still stored.
        CReadOnlyKey readOnly(kLM, kMainTexts);
        RunCategory(8, [](HWND dlg) {
            SetItemText(dlg, IDC_CATEGORY_BUTTON_TEXT, "nope");
            SelectSource(dlg, 2);
            ClickButton(dlg, IDOK);
        });
    }
    EXPECT_EQ(std::vector<std::string>{"dialog|Message|Querying Registry: " + SystemText(ERROR_ACCESS_DENIED)}, Boxes());
    EXPECT_EQ("Problem Solver", ValueOf(kLM, kMainTexts, "Button4"));
    EXPECT_EQ("WEB", ValueOf(kLM, ControlKey("HLXBUT04"), "InformationSource"));

    m_boxes.m_boxes.clear();
    DeleteKeyTree(kLM, ControlKey("URL3"));
    RunCategory(3, [](HWND dlg) {
        EXPECT_EQ("<none>|rw||Nimbook Accessories", CategoryShown(dlg));
        SetItemText(dlg, IDC_CATEGORY_BUTTON_TEXT, "Extras");
        ClickButton(dlg, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>{"dialog|Message|Querying Registry: " + SystemText(ERROR_FILE_NOT_FOUND)}, Boxes());
    EXPECT_EQ("Extras", ValueOf(kLM, kMainTexts, "URL3"));
}

TEST_F(FieldEditorTest, InternetEditorStoresOnlyWhatTheAdministratorTyped)
{
    const char* const names[] = {"TEXT1", "TEXT2", "TEXT3", "SHOW_ME", "CANCEL", "TRY_AGAIN", "NO_SHOW"};
    const int fields[] = {IDC_INET_TEXT1,   IDC_INET_TEXT2,    IDC_INET_TEXT3,  IDC_INET_SHOW_ME,
                          IDC_INET_CANCEL, IDC_INET_TRY_AGAIN, IDC_INET_NO_SHOW};
    const std::string longText(5000, 'y');
    SetValue(kLM, kInternet, "TEXT2", longText);
    {
        // Filling the fields is no change: OK without typing does not even open the key.
        CReadOnlyKey readOnly(kLM, kInternet);
        CInternetEditDlg dlg;
        EXPECT_EQ(kInternetDialogStored, Run(dlg, [&](HWND dlg) {
            EXPECT_EQ("Welcome to Access Nimbook on the Internet.", CWnd::GetWindowText(dlg));
            for (int i = 0; i < 7; ++i)
                EXPECT_EQ(i == 1 ? "" : ValueOf(kLM, kInternet, names[i]), ItemText(dlg, fields[i])) << names[i];
            ClickButton(dlg, IDC_INET_OKAY);
        }));
    }
    EXPECT_EQ(std::vector<std::string>{"none|Message|Registry Error: " + SystemText(ERROR_MORE_DATA)}, Boxes());

    for (const auto& cancel : kEscapeAndCloseBox) {
        CInternetEditDlg dlg;
        EXPECT_EQ(IDCANCEL, Run(dlg, [&](HWND dlg) {
            TypeInto(dlg, IDC_INET_TRY_AGAIN, "Never");
            cancel(dlg);
        }));
        EXPECT_EQ("Try Again", ValueOf(kLM, kInternet, "TRY_AGAIN"));
    }

    {
        CInternetEditDlg dlg;
        Run(dlg, [](HWND dlg) {
            TypeInto(dlg, IDC_INET_TEXT1, "Hello");
            TypeInto(dlg, IDC_INET_SHOW_ME, "Show");
            ClickButton(dlg, IDC_INET_OKAY);
        });
    }
    EXPECT_EQ("Hello", ValueOf(kLM, kInternet, "TEXT1"));
    EXPECT_EQ("Show", ValueOf(kLM, kInternet, "SHOW_ME"));
    EXPECT_EQ(longText, ValueOf(kLM, kInternet, "TEXT2"));  // unread and untouched: kept

    m_boxes.m_boxes.clear();
    DeleteKeyTree(kLM, kInternet);
    DeleteValue(kLM, RegKeys::Control, "HELP_FILE");
    CInternetEditDlg dlg;
    Run(dlg, [](HWND dlg) {
        TypeInto(dlg, IDC_INET_TEXT1, "Hello");
        ClickButton(dlg, IDC_INET_OKAY);
    });
    const std::string notFound = SystemText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ((std::vector<std::string>{"none|Message|Opening Registry: " + notFound,
                                        "none|Message|Registry Error: " + notFound,
                                        "dialog|Message|Opening Registry: " + notFound}),
              Boxes());
}

TEST_F(FieldEditorTest, ImageEditorsRefuseNonBitmapsAndTouchNoFileUntilOk)
{
    const std::string text = m_base.Path() + "\\notes.bmp";
    WriteFileBytes(text, "this is no bitmap");
    const std::string red = m_base.Path() + "\\red.bmp";
    WriteFileBytes(red, BmpFileBytes(8, 8, [](int, int) { return RGB(255, 0, 0); }));
    const std::string elsewhere = m_base.Path() + "\\images";

    CFileOpenFake files;
    files.m_whileShown = [&] { ::SetCurrentDirectoryA(elsewhere.c_str()); };
    files.Answer(text);
    files.Answer(red);
    files.Answer(std::nullopt);  // a cancelled box keeps the choice
    CUrlIconDlg icons;
    icons.m_strIconNumber = "2";
    Run(icons, [&](HWND dlg) {
        ClickFieldNow(dlg, IDC_ICON_NORMAL);
        EXPECT_EQ(m_base.Path(), GetCurrentDirectoryString());
        EXPECT_EQ(std::vector<std::string>{"dialog|Access Nimbook Customization - Error|"
                                           "This file is not a bitmap that the assistant can show:\n" + text},
                  Boxes());
        EXPECT_TRUE(icons.m_strNewNormalFile.empty());
        ClickFieldNow(dlg, IDC_ICON_NORMAL);
        ClickFieldNow(dlg, IDC_ICON_NORMAL);
        BITMAP bm{};
        ::GetObjectA(reinterpret_cast<HBITMAP>(::SendDlgItemMessageA(dlg, IDC_ICON_NORMAL, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                     sizeof(bm), &bm);
        EXPECT_EQ(8, bm.bmWidth);
        ClickButton(dlg, IDOK);
    });
    ASSERT_EQ(3u, files.m_requests.size());
    const FileOpenRequest& request = files.m_requests[0];
    EXPECT_EQ("Bitmap files (*.bmp)|*.bmp| bmp *.bmp 4100",
              request.filter + " " + request.defaultExt + " " + request.initialName + " " + std::to_string(request.flags));
    EXPECT_TRUE(ReadFileBytes(red) == ReadFileBytes(elsewhere + "\\Icon2.bmp"));

    // Cancelled dialogs touch no file.
    const std::string image2 = ReadFileBytes(elsewhere + "\\Image2.bmp");
    for (const auto& cancel : kCancels) {
        files.Answer(red);
        CSideImageDlg side;
        Run(side, [&](HWND dlg) {
            ClickFieldNow(dlg, IDC_SIDE_NEW3);
            cancel(dlg);
        });
        EXPECT_FALSE(FileExists(m_base.Path() + "\\Customization\\Backup\\image2.BAK"));
    }
    EXPECT_TRUE(image2 == ReadFileBytes(elsewhere + "\\Image2.bmp"));
}

struct FirstChange {
    const char* what;
    std::function<void()> change;  // changes something through the editor
};

TEST_F(FieldEditorTest, TheFirstChangeOfEachKindKeepsTheFactoryValuesOnce)
{
    const std::string snapshot = m_base.Path() + "\\Customization\\Backup\\Original\\HLXCM.REG";
    const std::string factory = ReadFileBytes(TestDataFile("sample-export.reg"));
    int n = 0;
    auto typed = [&n] { return "changed " + std::to_string(++n); };
    const FirstChange kinds[] = {
        {"category editor", [&] {
             RunCategory(5, [&](HWND dlg) { SetItemText(dlg, IDC_CATEGORY_BUTTON_TEXT, typed()); ClickButton(dlg, IDOK); });
         }},
        {"CD replica", [&] {
             CCdEditDlg dlg;
             Run(dlg, [&](HWND dlg) { TypeInto(dlg, IDC_CD_TEXT1, typed()); ClickField(dlg, IDC_CD_OKAY); });
         }},
        {"Internet replica", [&] {
             CInternetEditDlg dlg;
             Run(dlg, [&](HWND dlg) { TypeInto(dlg, IDC_INET_TEXT1, typed()); ClickButton(dlg, IDC_INET_OKAY); });
         }},
        {"hot-key editor", [&] {
             CHotkeyAppDlg dlg;
             Run(dlg, [&](HWND dlg) { SetItemText(dlg, IDC_HOTKEY_DISPNAME, typed()); ClickButton(dlg, IDOK); });
         }},
        {"icon exchange", [&] {
             CUrlIconDlg dlg;
             dlg.m_strIconNumber = "1";
             Run(dlg, [](HWND dlg) { ClickButton(dlg, IDOK); });
             SetValue(kLM, kMainTexts, "URL1", typed());  // so that a second snapshot would differ
         }},
        {"side image", [&] {
             CSideImageDlg dlg;
             Run(dlg, [](HWND dlg) { ClickButton(dlg, IDOK); });
             SetValue(kLM, kMainTexts, "URL1", typed());
         }},
    };
    for (const FirstChange& kind : kinds) {
        InstallSampleRegistry();
        ::DeleteFileA(snapshot.c_str());
        kind.change();
        EXPECT_EQ(factory, ReadFileBytes(snapshot)) << kind.what;
        kind.change();
        EXPECT_EQ(factory, ReadFileBytes(snapshot)) << kind.what << ": written once";
    }

    // The hot-key editor closes on every start: unchanged, it keeps nothing.
    ::DeleteFileA(snapshot.c_str());
    CHotkeyAppDlg hotkey;
    Run(hotkey, [](HWND dlg) { ClickButton(dlg, IDOK); });
    EXPECT_FALSE(FileExists(snapshot));
}

}  // namespace
