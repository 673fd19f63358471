// bench_animation: figures of the main window's band animation on the sample installation.
//
// - The program's CPU share while the band plays at its frame rate, and once it has stopped
//   (process CPU time over wall time, in this process, which runs the main window).
// - How many frames the control drew, and how long its timer ran.
// - The SWF core's parse time and per-frame render time of the sample in this build.
// - For each hostile movie as corvane.swf, the main window in a process of its own (this program
//   with --hostile BASE, the movie written beforehand): how long after its creation it is
//   painted, the longest time one message held its loop, the process's peak memory, and the
//   CPU share while the band runs.
// Run it under Xvfb (scripts/bench.sh). It prints figures; it asserts nothing.
#include "mainwnd/AnimationDlg.h"
#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"
#include "tests/native/SwfHostileMovies.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double CpuMilliseconds()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

double WallMilliseconds()
{
    LARGE_INTEGER now, freq;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return now.QuadPart * 1000.0 / freq.QuadPart;
}

// Dispatches the window's messages for a while, or until `done` says so; sleeps in between,
// so that the time measured is the window's own.
void Pump(HWND dialog, double ms, const std::function<bool()>& done = {})
{
    const double end = WallMilliseconds() + ms;
    for (double now = WallMilliseconds(); now < end && !(done && done()); now = WallMilliseconds()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now) + 1, QS_ALLINPUT);
        PumpMessages(dialog);
    }
}

void CoreFigures(const std::string& path)
{
    const std::string bytes = ReadFileBytes(path);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const int runs = 50;
    double t0 = WallMilliseconds();
    std::unique_ptr<swf::Movie> movie;
    for (int i = 0; i < runs; ++i)
        movie = swf::Movie::Load(data, bytes.size(), nullptr);
    std::printf("core (this build): parse %.3f ms\n", (WallMilliseconds() - t0) / runs);
    swf::Player player(*movie, swf::avm1::MakeScripts, false);
    player.Advance();
    for (auto [w, h] : {std::pair{240, 130}, std::pair{800, 600}}) {
        swf::Canvas canvas(w, h);
        swf::Renderer renderer;
        t0 = WallMilliseconds();
        for (int i = 0; i < runs; ++i)
            renderer.Render(player, canvas, swf::ExactFitView(movie->stage, w, h));
        std::printf("core (this build): render %d x %d: %.3f ms per frame\n", w, h, (WallMilliseconds() - t0) / runs);
    }
}

// The main window with the movie already written in `base`; runs in its own process, so that
// its peak memory is the window's alone.
int RunHostile(const std::string& base)
{
    ::SetCurrentDirectoryA(base.c_str());
    CMessageBoxRecorder boxes;
    CDialogDriver driver;
    CAnimationDlg dlg;
    double painted = 0, longest = 0, cpuShare = 0, closeStart = 0;
    CFlashState state;
    const double created = WallMilliseconds();
    driver.Then([&](HWND dialog) {
        ::UpdateWindow(dialog);
        painted = WallMilliseconds() - created;
        // Three seconds of the window's loop, one message at a time.
        const double wall0 = WallMilliseconds(), cpu0 = CpuMilliseconds();
        while (WallMilliseconds() - wall0 < 3000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                const double t0 = WallMilliseconds();
                if (!::IsDialogMessageA(dialog, &msg))
                    ::DispatchMessageA(&msg);
                longest = std::max(longest, WallMilliseconds() - t0);
            }
        }
        cpuShare = 100 * (CpuMilliseconds() - cpu0) / (WallMilliseconds() - wall0);
        state = dlg.GetFlash().GetState();
        closeStart = WallMilliseconds();
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    const double closed = WallMilliseconds() - closeStart;
    PROCESS_MEMORY_COUNTERS memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("  painted %.0f ms after creation; longest message %.0f ms; CPU %.0f %% of one core; "
                "peak memory %.0f MB; closed in %.0f ms; movie %s, %d frames drawn, %d over budget in a row, %s\n",
                painted, longest, cpuShare, memory.PeakWorkingSetSize / 1048576.0, closed,
                state.bMovieLoaded ? "loaded" : "refused", state.nFramesDrawn, state.nFramesOverBudget,
                state.bTimer ? "still stepping" : "not stepping");
    return 0;
}

// Each hostile movie in a process of its own, its figures on this program's output.
void HostileFigures(const std::string& base)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<swftest::HostileMovie> movies = swftest::FullSizeHostileMovies();
    for (swftest::HostileMovie& movie : swftest::ScriptedHostileMovies())
        movies.push_back(std::move(movie));
    for (const swftest::HostileMovie& movie : movies) {
        WriteFileBytes(base + "\\images\\corvane.swf", std::string(movie.file.begin(), movie.file.end()));
        std::printf("hostile band: %s\n", movie.kind);
        std::string command = "\"" + std::string(self) + "\" --hostile \"" + base + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
            continue;
        const double start = WallMilliseconds();
        ::WaitForSingleObject(pi.hProcess, 120000);
        std::printf("  the process took %.0f ms from its start to its end\n", WallMilliseconds() - start);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hostile") == 0) {
        // Ended as the program ends: a band thread may still be inside the movie's work.
        const int code = RunHostile(argv[2]);
        std::fflush(stdout);
        ::ExitProcess(static_cast<UINT>(code));
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    InstallSampleRegistry();
    CScratchDirectory base;
    CopySampleImages(base.Path());
    ::SetCurrentDirectoryA(base.Path().c_str());
    CMessageBoxRecorder boxes;

    // The band played through in several windows, one after another: the system counts CPU time
    // in ticks of 10 ms, too coarse for one play of under two seconds.
    constexpr int kPlays = 8;
    double wallPlaying = 0, cpuPlaying = 0, wallStopped = 0, cpuStopped = 0;
    CFlashState played;
    bool bTimerAfterwards = false;
    for (int play = 0; play < kPlays; ++play) {
        CDialogDriver driver;
        CAnimationDlg dlg;
        driver.Then([&](HWND dialog) {
            ::UpdateWindow(dialog);
            const double wall0 = WallMilliseconds(), cpu0 = CpuMilliseconds();
            Pump(dialog, 10000, [&] { return !dlg.GetFlash().GetState().bTimer; });
            const double wall1 = WallMilliseconds(), cpu1 = CpuMilliseconds();
            played = dlg.GetFlash().GetState();
            wallPlaying += wall1 - wall0;
            cpuPlaying += cpu1 - cpu0;
            if (play == kPlays - 1) {
                Pump(dialog, 3000);
                wallStopped = WallMilliseconds() - wall1;
                cpuStopped = CpuMilliseconds() - cpu1;
                bTimerAfterwards = dlg.GetFlash().GetState().bTimer;
            }
            dlg.EndDialog(IDCANCEL);
        });
        // Without the window there are no band figures: that is a failure, not a quiet run.
        if (dlg.DoModal() != IDCANCEL) {
            std::printf("band: the main window did not open\n");
            return 1;
        }
    }
    std::printf("band: played %d frames in %.0f ms (mean of %d plays), drew %d frames; timer running afterwards: %s\n",
                played.nFrame, wallPlaying / kPlays, kPlays, played.nFramesDrawn, bTimerAfterwards ? "yes" : "no");
    std::printf("band: CPU share while playing %.2f %% of one core (over %.0f ms)\n", 100 * cpuPlaying / wallPlaying,
                wallPlaying);
    std::printf("band: CPU share once stopped %.2f %% of one core (over %.0f ms)\n", 100 * cpuStopped / wallStopped,
                wallStopped);
    CoreFigures(base.Path() + "\\images\\corvane.swf");
    HostileFigures(base.Path());
    return 0;
}
