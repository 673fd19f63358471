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

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Calls counted on their way through this program's import table.
struct CCalls {
    long nOpens = 0, nCreates = 0, nQueries = 0, nSets = 0, nCloses = 0, nCopies = 0, nMoves = 0;
};
CCalls g_calls;

// Points every import of `function` from `dll` at `replacement`; the original goes to `real`.
template <class Fn>
void Redirect(const char* dll, const char* function, Fn replacement, Fn& real)
{
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, function))
                continue;
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
            real = reinterpret_cast<Fn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
        }
    }
}

decltype(&::RegOpenKeyExA) g_open = &::RegOpenKeyExA;
decltype(&::RegCreateKeyExA) g_create = &::RegCreateKeyExA;
decltype(&::RegQueryValueExA) g_query = &::RegQueryValueExA;
decltype(&::RegSetValueExA) g_set = &::RegSetValueExA;
decltype(&::RegCloseKey) g_close = &::RegCloseKey;
decltype(&::CopyFileA) g_copy = &::CopyFileA;
decltype(&::MoveFileExA) g_move = &::MoveFileExA;

LONG WINAPI Open(HKEY r, LPCSTR p, DWORD o, REGSAM a, PHKEY k) { ++g_calls.nOpens; return g_open(r, p, o, a, k); }
LONG WINAPI Create(HKEY r, LPCSTR p, DWORD x, LPSTR c, DWORD o, REGSAM a, LPSECURITY_ATTRIBUTES s, PHKEY k, LPDWORD d)
{
    ++g_calls.nCreates;
    return g_create(r, p, x, c, o, a, s, k, d);
}
LONG WINAPI Query(HKEY k, LPCSTR n, LPDWORD r, LPDWORD t, LPBYTE d, LPDWORD s) { ++g_calls.nQueries; return g_query(k, n, r, t, d, s); }
LONG WINAPI Set(HKEY k, LPCSTR n, DWORD r, DWORD t, const BYTE* d, DWORD s) { ++g_calls.nSets; return g_set(k, n, r, t, d, s); }
LONG WINAPI Close(HKEY k) { ++g_calls.nCloses; return g_close(k); }
BOOL WINAPI Copy(LPCSTR s, LPCSTR t, BOOL f) { ++g_calls.nCopies; return g_copy(s, t, f); }
BOOL WINAPI Move(LPCSTR s, LPCSTR t, DWORD f) { ++g_calls.nMoves; return g_move(s, t, f); }

void CountCalls()
{
    Redirect("advapi32.dll", "RegOpenKeyExA", &Open, g_open);
    Redirect("advapi32.dll", "RegCreateKeyExA", &Create, g_create);
    Redirect("advapi32.dll", "RegQueryValueExA", &Query, g_query);
    Redirect("advapi32.dll", "RegSetValueExA", &Set, g_set);
    Redirect("advapi32.dll", "RegCloseKey", &Close, g_close);
    Redirect("kernel32.dll", "CopyFileA", &Copy, g_copy);
    Redirect("kernel32.dll", "MoveFileExA", &Move, g_move);
}

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
    CCalls perCycle{};
    CFileOpenFake files;
    CDialogDriver driver;
    CAnimationDlg dlg;
    driver.Then([&](HWND main) {
        for (int i = 0; i < nCycles; ++i) {
            files.Answer(chosen);
            const CCalls before = g_calls;
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
            const CCalls& after = g_calls;
            perCycle = {after.nOpens - before.nOpens,   after.nCreates - before.nCreates,
                        after.nQueries - before.nQueries, after.nSets - before.nSets,
                        after.nCloses - before.nCloses, after.nCopies - before.nCopies,
                        after.nMoves - before.nMoves};
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
