// bench_field_editors: figures of the field editors on the sample installation.
//
//   bench_field_editors.exe [CYCLES]
//
// For each editor, CYCLES times (20 unless given): a click on its field of the main window,
// the editor shown and painted, the change made (a typed text, or a bitmap chosen through the
// file-open seam), OK, and the main window reloaded and repainted. Prints the medians of the
// click-to-shown and click-to-repainted times, and the registry calls and
// file copies of the last cycle (counted by redirecting this program's imports; the first cycle of
// an image editor also keeps the originals). It asserts nothing.
#include "mainwnd/AnimationDlg.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"
#include "tools/benchmark/BenchTiming.h"
#include "tools/benchmark/CallCounting.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// One editor: the field clicked in the main window and what is done in the editor before OK.
struct CEditor {
    const char* name;
    int nFieldId;
    bool bButton;
    std::function<void(HWND editor)> change;
    int nOkId;
};

void Measure(const CEditor& editor, int nCycles, const std::string& chosen)
{
    CFigures shown;
    CFigures repainted;
    CCallCounts perCycle{};
    CFileOpenFake files;
    CDialogDriver driver;
    CAnimationDlg dlg;
    driver.Then([&](HWND main) {
        for (int i = 0; i < nCycles; ++i) {
            files.Answer(chosen);
            const CCallCounts before = g_calls;
            const LONGLONG start = Now();
            driver.Then([&](HWND hwnd) {
                ::UpdateWindow(hwnd);
                shown.values.push_back(Milliseconds(start, Now()));
                editor.change(hwnd);
                ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(editor.nOkId, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, editor.nOkId)));
            });
            if (editor.bButton)
                ClickButtonNow(main, editor.nFieldId);
            else
                ClickFieldNow(main, editor.nFieldId);
            ::UpdateWindow(main);
            repainted.values.push_back(Milliseconds(start, Now()));
            perCycle = g_calls - before;
        }
        dlg.EndDialog(IDOK);
    });
    dlg.DoModal();
    std::printf("%-26s click to shown %7.2f ms, click to repainted after OK %7.2f ms (medians of %zu)\n",
                editor.name, shown.Median(), repainted.Median(), repainted.values.size());
    std::printf("%-26s registry: opens %ld creates %ld queries %ld writes %ld closes %ld;"
                " files: copied in place (CopyFileA) %ld, copied whole and renamed into place (MoveFileExA) %ld\n",
                "", perCycle.nOpens, perCycle.nCreates, perCycle.nQueries, perCycle.nSets, perCycle.nCloses,
                perCycle.nCopies, perCycle.nMoves);
}

}  // namespace

int main(int argc, char** argv)
{
    const int nCycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    InstallSampleRegistry();
    CScratchDirectory base;
    CopySampleImages(base.Path());
    CMessageBoxRecorder boxes;
    SetSystemLanguageOverride(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const std::string chosen = base.Path() + "\\new.bmp";
    WriteFileBytes(chosen, BmpFileBytes(24, 24, [](int x, int y) { return RGB(x * 10, y * 10, 128); }));
    CountCalls();

    int nCycle = 0;
    const CEditor editors[] = {
        {"category label 3 (216)", IDC_CATEGORY3, false,
         [&](HWND hwnd) { SetItemText(hwnd, IDC_CATEGORY_BUTTON_TEXT, "Label " + std::to_string(++nCycle)); }, IDOK},
        {"web-link icon 1 (222)", IDC_WEBLINK_ICON1, false, [](HWND hwnd) { ClickFieldNow(hwnd, IDC_ICON_NORMAL); }, IDOK},
        {"left-side picture (229)", IDC_LEFT_IMAGE, false, [](HWND hwnd) { ClickFieldNow(hwnd, IDC_SIDE_NEW1); }, IDOK},
        {"Internet welcome (148)", IDC_EDIT_INTERNET_WELCOME, true,
         [&](HWND hwnd) {
             // Typed, as the replica stores only what the administrator typed.
             HWND field = ::GetDlgItem(hwnd, IDC_INET_TEXT1);
             ::SendMessageA(field, EM_SETSEL, 0, -1);
             for (char c : "Text " + std::to_string(++nCycle))
                 ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
         },
         IDC_INET_OKAY},
    };
    std::printf("Field editors: click -> editor shown -> change -> OK -> main window repainted, %d cycles each\n",
                nCycles);
    for (const CEditor& editor : editors)
        Measure(editor, nCycles, chosen);
    std::printf("message boxes shown: %zu\n", boxes.m_boxes.size());
    return 0;
}
