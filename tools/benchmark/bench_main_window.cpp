// bench_main_window: figures of the main customization window on the sample installation.
//
//   bench_main_window.exe [RUNS]
//
// - How long the real program takes from its start until the main replica is fully painted
//   (the hot-key editor and the CD dialog answered at once by this driver), next to the start
//   of a minimal Win32 program (this program with --minimal-program) in the same run, and
//   the three stretches of that start.
// - How many registry calls the program's start-up makes up to the painted main window, and
//   the export after it (the same start-up run in this process, its calls counted).
// - How long the window takes from construction until it is open and fully painted, next to
//   the creation of a minimal dialog and of the window's own template by the platform alone
//   (the floor) in the same process, and how that time divides into the window's steps.
// - How many registry calls its construction and its opening make (counted by redirecting
//   this program's imports of the registry functions).
// - How many controls a sweep of 1,000 pointer moves over the window repaints, next to what
//   repainting every control that a hover operation touches would cost.
// Run it under Xvfb (scripts/bench.sh): the sweep moves the real pointer. It prints figures;
// it asserts nothing.
#include "app/CustomizeApp.h"
#include "framework/SystemLanguage.h"
#include "mainwnd/AnimationDlg.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"
#include "tools/benchmark/BenchTiming.h"
#include "tools/benchmark/CallCounting.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Figures.

void Print(const char* what, const CFigures& figures)
{
    std::printf("  %-44s median %7.2f ms   min %7.2f   max %7.2f   (%zu runs)\n", what, figures.Median(),
                figures.Min(), figures.Max(), figures.values.size());
}

// ---------------------------------------------------------------------------------------
// A minimal dialog: one static text, built in memory.

struct CMinimalTemplate {
    alignas(4) WORD words[64] = {};
};

CMinimalTemplate MakeMinimalTemplate()
{
    CMinimalTemplate t;
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.words);
    dlg->style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    dlg->cdit = 1;
    dlg->cx = 200;
    dlg->cy = 100;
    WORD* p = reinterpret_cast<WORD*>(dlg + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // standard class
    *p++ = 0;  // no title
    p = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR{3});
    auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(p);
    item->style = WS_CHILD | WS_VISIBLE | SS_LEFT;
    item->x = 10;
    item->y = 10;
    item->cx = 100;
    item->cy = 10;
    item->id = 100;
    p = reinterpret_cast<WORD*>(item + 1);
    *p++ = 0xFFFF;
    *p++ = 0x0082;  // static
    for (const char* c = "Minimal"; *c; ++c)
        *p++ = static_cast<WORD>(*c);
    *p++ = 0;
    *p++ = 0;  // no creation data
    return t;
}

INT_PTR CALLBACK MinimalDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Creation to painted of a dialog that the platform makes from a template, with no code of ours.
double OpenTemplateDialog(const void* dialogTemplate)
{
    const LONGLONG start = Now();
    HWND dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                               static_cast<const DLGTEMPLATE*>(dialogTemplate), nullptr,
                                               &MinimalDialogProc, 0);
    ::ShowWindow(dialog, SW_SHOWNORMAL);
    ::UpdateWindow(dialog);
    const double elapsed = Milliseconds(start, Now());
    ::DestroyWindow(dialog);
    PumpMessages(nullptr);
    return elapsed;
}

// The platform's floor: the main window's own template 205, created by the platform with
// no code of ours (no data exchange, no layout, no artwork, no fonts of ours). The Flash
// control's class exists only through our host, so the copy is told to go on without it.
std::vector<char> MainWindowTemplate()
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(205), MAKEINTRESOURCEA(5));
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    std::vector<char> copy(bytes, bytes + ::SizeofResource(nullptr, found));
    DWORD style = 0;  // DLGTEMPLATEEX: version, signature, help id, extended style, style
    std::memcpy(&style, copy.data() + 12, sizeof(style));
    style |= DS_NOFAILCREATE;
    std::memcpy(copy.data() + 12, &style, sizeof(style));
    return copy;
}

// ---------------------------------------------------------------------------------------
// The main window.

struct COpening {
    double constructed = 0;
    double initialised = 0;
    double painted = 0;
    std::vector<std::pair<std::string, double>> steps;  // initialisation, step by step
    CCallCounts constructionCalls;
    CCallCounts openingCalls;
};

// The main window timed without hooks, which would make each of its messages dearer: the
// init step marks it initialised, and the first timer message, which comes only after every
// paint, marks it painted and closes it.
class CTimedAnimationDlg : public CAnimationDlg {
public:
    explicit CTimedAnimationDlg(LONGLONG start) : m_start(start) {}
    double m_initialised = 0;
    double m_painted = 0;
    std::function<void(HWND, CAnimationDlg&)> m_whileOpen;
    LONGLONG m_lastStep = 0;  // the end of the step before
    std::vector<std::pair<std::string, double>> m_steps;

protected:
    void OnInitStepDone(const char* pszStep) override
    {
        const LONGLONG now = Now();
        m_steps.emplace_back(pszStep, Milliseconds(m_lastStep, now));
        m_lastStep = now;
    }

    BOOL OnInitDialog() override
    {
        const BOOL result = CAnimationDlg::OnInitDialog();
        m_initialised = Milliseconds(m_start, Now());
        s_pOpen = this;
        ::SetTimer(nullptr, 0, 1, &AfterPainting);
        return result;
    }

private:
    static void CALLBACK AfterPainting(HWND, UINT, UINT_PTR id, DWORD)
    {
        ::KillTimer(nullptr, id);
        CTimedAnimationDlg& dlg = *s_pOpen;
        ::UpdateWindow(dlg.m_hWnd);
        dlg.m_painted = Milliseconds(dlg.m_start, Now());
        if (dlg.m_whileOpen)
            dlg.m_whileOpen(dlg.m_hWnd, dlg);
        dlg.EndDialog(IDCANCEL);
    }

    static inline CTimedAnimationDlg* s_pOpen = nullptr;
    LONGLONG m_start;
};

COpening OpenMainWindow(std::function<void(HWND, CAnimationDlg&)> whileOpen = {})
{
    COpening opening;
    const CCallCounts atStart = g_calls;
    const LONGLONG start = Now();
    CTimedAnimationDlg dlg(start);
    opening.constructed = Milliseconds(start, Now());
    opening.constructionCalls = g_calls - atStart;
    const CCallCounts afterConstruction = g_calls;
    dlg.m_whileOpen = std::move(whileOpen);
    dlg.m_lastStep = Now();
    dlg.DoModal();
    opening.steps = dlg.m_steps;
    opening.openingCalls = g_calls - afterConstruction;
    opening.initialised = dlg.m_initialised;
    opening.painted = dlg.m_painted;
    return opening;
}

void PrintCalls(const char* when, const CCallCounts& calls)
{
    std::printf("  %-22s opens %3ld   queries %3ld   closes %3ld   creates %ld   writes %ld\n", when, calls.nOpens,
                calls.nQueries, calls.nCloses, calls.nCreates, calls.nSets);
}

// 1,000 pointer moves over the window: across the web links, the search area, the strip and
// the background, each followed by the messages it causes.
void SweepThePointer(HWND dialog, CAnimationDlg& dlg)
{
    constexpr int kMoves = 1000;
    RECT window{};
    ::GetWindowRect(dialog, &window);
    PumpMessages(dialog);
    const CAnimationDlg::CHoverStatistics before = dlg.GetHoverStatistics();
    const LONGLONG start = Now();
    for (int i = 0; i < kMoves; ++i) {
        const int x = 10 + (i * 37) % 780;
        const int y = 10 + (i * 53) % 580;
        ::SetCursorPos(window.left + x, window.top + y);
        PumpMessages(dialog);
    }
    ::UpdateWindow(dialog);
    const double elapsed = Milliseconds(start, Now());
    const CAnimationDlg::CHoverStatistics& after = dlg.GetHoverStatistics();
    const int resets = after.nResets - before.nResets;
    const int hovers = after.nWebLinkHovers - before.nWebLinkHovers;
    const int repaints = after.nRepaints - before.nRepaints;
    // Repainting every control a hover operation touches: a reset clears 8 web-link fields
    // and 15 sub-topic lines and sets 2 pictures; a web-link report clears 8 fields and
    // highlights 2.
    const long everything = 25L * resets + 10L * hovers;
    std::printf("\nPointer sweep: %d moves in %.1f ms (%.3f ms per move)\n", kMoves, elapsed, elapsed / kMoves);
    std::printf("  returns to the rest state   %6d\n", resets);
    std::printf("  web-link reports            %6d\n", hovers);
    std::printf("  controls repainted          %6d   (repainting everything touched: %ld)\n", repaints, everything);
}

// ---------------------------------------------------------------------------------------
// The real program's start.

// True once the window is visible and has nothing left to paint.
bool IsPainted(HWND hwnd)
{
    return hwnd && ::IsWindowVisible(hwnd) && !::GetUpdateRect(hwnd, nullptr, FALSE);
}

HWND WaitUntilPainted(CProgramRun& program, int controlId)
{
    return program.WaitForWindow([controlId](HWND hwnd) { return ::GetDlgItem(hwnd, controlId) && IsPainted(hwnd); });
}

// From CreateProcess to the main replica painted, in its three stretches: to the hot-key
// editor, from answering it to the CD dialog, from answering that to the painted replica. The
// windows before the replica are answered as soon as they appear. Empty when a window did not
// come.
std::vector<double> StartProgram(const std::string& base)
{
    const LONGLONG start = Now();
    CProgramRun program(base);
    HWND editor = program.WaitForDialogWith(IDC_HOTKEY_FILE);
    const LONGLONG editorShown = Now();
    if (!editor)
        return {};
    ::PostMessageA(::GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
    HWND cdDialog = program.WaitForDialogWith(IDC_CD_OKAY);
    const LONGLONG cdShown = Now();
    if (!cdDialog)
        return {};
    ::PostMessageA(::GetDlgItem(cdDialog, IDC_DEFAULT_BUTTON), BM_CLICK, 0, 0);
    HWND mainWindow = WaitUntilPainted(program, IDC_CLOSE);
    const LONGLONG painted = Now();
    if (!mainWindow)
        return {};
    ClickField(mainWindow, IDC_CLOSE);
    program.WaitForExit();
    return {Milliseconds(start, painted), Milliseconds(start, editorShown), Milliseconds(editorShown, cdShown),
            Milliseconds(cdShown, painted)};
}

// A minimal Win32 program: this program, showing the minimal dialog until it is closed.
int RunMinimalProgram()
{
    const CMinimalTemplate t = MakeMinimalTemplate();
    HWND dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                               reinterpret_cast<const DLGTEMPLATE*>(t.words), nullptr,
                                               &MinimalDialogProc, 0);
    MSG msg;
    while (::IsWindow(dialog) && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE || (msg.hwnd == dialog && msg.message == WM_SYSCOMMAND)) {
            ::DestroyWindow(dialog);
            break;
        }
        if (!::IsDialogMessageA(dialog, &msg))
            ::DispatchMessageA(&msg);
    }
    return 0;
}

double StartMinimalProgram()
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\"" + std::string(self) + "\" --minimal-program";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const LONGLONG start = Now();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    HWND found = nullptr;
    while (!found && ::WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); hwnd;
             hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (pid == pi.dwProcessId && IsPainted(hwnd))
                found = hwnd;
        }
    }
    const double elapsed = Milliseconds(start, Now());
    if (found)
        ::PostMessageA(found, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return found ? elapsed : -1;
}

// The program's start-up in this process, with its registry calls counted: up to the main
// window painted, and the export after it.
void CountStartupCalls()
{
    CCallCounts toMainWindow;
    CDialogDriver driver;
    driver.Then([](HWND dlg) { ClickButton(dlg, IDCANCEL); });
    driver.Then([](HWND dlg) { ClickField(dlg, IDC_CD_OKAY); });
    driver.Then([&](HWND dlg) {
        ::UpdateWindow(dlg);
        toMainWindow = g_calls;
        ClickField(dlg, IDC_CLOSE);
    });
    const CCallCounts atStart = g_calls;
    {
        // Started as an administrator starts it, whatever this benchmark's own arguments.
        CCustomizeApp app(L"NbCustomize.exe");
        app.InitInstance();
    }
    std::printf("\nRegistry calls of the start-up (the same sequence in this process)\n");
    PrintCalls("to the painted replica", toMainWindow - atStart);
    PrintCalls("the export after it", g_calls - toMainWindow);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--minimal-program") == 0)
        return RunMinimalProgram();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    InstallSampleRegistry();
    CScratchDirectory base;
    CopySampleImages(base.Path());
    SetSystemLanguageOverride(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    CMessageBoxRecorder boxes;
    const bool counting = CountCalls();

    // One of each first, so that the classes, fonts and files are warm.
    const CMinimalTemplate minimal = MakeMinimalTemplate();
    OpenTemplateDialog(minimal.words);
    const std::vector<char> floorTemplate = MainWindowTemplate();
    OpenTemplateDialog(floorTemplate.data());
    OpenMainWindow();

    CFigures minimalFigures;
    CFigures floor;
    CFigures constructed;
    CFigures initialised;
    CFigures painted;
    std::vector<std::pair<std::string, CFigures>> steps;
    COpening last;
    for (int i = 0; i < runs; ++i) {
        minimalFigures.Add(OpenTemplateDialog(minimal.words));
        floor.Add(OpenTemplateDialog(floorTemplate.data()));
        last = OpenMainWindow();
        constructed.Add(last.constructed);
        initialised.Add(last.initialised);
        painted.Add(last.painted);
        for (size_t step = 0; step < last.steps.size(); ++step) {
            if (steps.size() <= step)
                steps.emplace_back(last.steps[step].first, CFigures{});
            steps[step].second.Add(last.steps[step].second);
        }
    }

    std::printf("Main window on the sample installation (%d runs after one warm-up run)\n", runs);
    Print("construction (registry reads)", constructed);
    Print("construction to initialised", initialised);
    Print("construction to fully painted", painted);
    Print("minimal dialog: creation to painted", minimalFigures);
    std::printf("  fully painted against the minimal dialog     %.1f times (medians)\n",
                painted.Median() / minimalFigures.Median());
    Print("floor: template 205 by the platform alone", floor);
    std::printf("  fully painted against the floor              %.1f times (medians; the goal is at most 1.5)\n",
                painted.Median() / floor.Median());
    std::printf("  where the time goes (medians):\n");
    std::printf("    %-44s %7.2f ms\n", "construction (registry reads, artwork read begun)", constructed.Median());
    for (const auto& [name, figures] : steps)
        std::printf("    %-44s %7.2f ms\n", name.c_str(), figures.Median());
    std::printf("    %-44s %7.2f ms\n", "painting", painted.Median() - initialised.Median());

    std::printf("\nRegistry calls of one window%s\n", counting ? "" : " (not counted: imports not found)");
    PrintCalls("construction", last.constructionCalls);
    PrintCalls("opening", last.openingCalls);

    OpenMainWindow(&SweepThePointer);

    // The real program, started as an administrator would start it.
    StartMinimalProgram();
    StartProgram(base.Path());
    std::array<CFigures, 4> programStart;
    CFigures minimalProgramStart;
    for (int i = 0; i < runs; ++i) {
        minimalProgramStart.Add(StartMinimalProgram());
        const std::vector<double> figures = StartProgram(base.Path());
        for (size_t part = 0; part < figures.size(); ++part)
            programStart[part].Add(figures[part]);
    }
    std::printf("\nProgram start (%d runs after one warm-up run)\n", runs);
    Print("NbCustomize.exe to the painted main replica", programStart[0]);
    Print("minimal Win32 program to its painted dialog", minimalProgramStart);
    std::printf("  the program's start beyond the minimal one    %+.1f ms (medians; the goal is at most +100)\n",
                programStart[0].Median() - minimalProgramStart.Median());
    std::printf("  where the time goes (medians):\n");
    Print("  start to the hot-key editor shown", programStart[1]);
    Print("  its answer to the CD dialog shown", programStart[2]);
    Print("  its answer to the painted main replica", programStart[3]);

    CountStartupCalls();
    std::printf("\nMessage boxes shown: %zu\n", boxes.m_boxes.size());
    return 0;
}
