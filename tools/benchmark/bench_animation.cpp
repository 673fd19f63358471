// bench_animation: figures of the main window's band animation on the sample installation.
//
// - The program's CPU share while the band plays at its frame rate, and once it has stopped
//   (process CPU time over wall time, in this process, which runs the main window).
// - How many frames the control drew, and how long its timer ran.
// - The SWF core's parse time and per-frame render time of the sample in this build.
// Run it under Xvfb (scripts/bench.sh). It prints figures; it asserts nothing.
#include "mainwnd/AnimationDlg.h"
#include "swf/SwfRenderer.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>

#include <cstdio>

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
    swf::Player player(*movie, false);
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

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    InstallSampleRegistry();
    CScratchDirectory base;
    CopySampleImages(base.Path());
    ::SetCurrentDirectoryA(base.Path().c_str());
    CMessageBoxRecorder boxes;

    CDialogDriver driver;
    CAnimationDlg dlg;
    driver.Then([&](HWND dialog) {
        ::UpdateWindow(dialog);
        const double wall0 = WallMilliseconds(), cpu0 = CpuMilliseconds();
        Pump(dialog, 10000, [&] { return !dlg.GetFlash().GetState().bTimer; });
        const double wall1 = WallMilliseconds(), cpu1 = CpuMilliseconds();
        const CFlashState played = dlg.GetFlash().GetState();
        Pump(dialog, 3000);
        const double wall2 = WallMilliseconds(), cpu2 = CpuMilliseconds();
        std::printf("band: played %d frames in %.0f ms, drew %d frames; timer running afterwards: %s\n",
                    played.nFrame, wall1 - wall0, played.nFramesDrawn, dlg.GetFlash().GetState().bTimer ? "yes" : "no");
        std::printf("band: CPU share while playing %.2f %% of one core\n", 100 * (cpu1 - cpu0) / (wall1 - wall0));
        std::printf("band: CPU share once stopped %.2f %% of one core (over %.0f ms)\n",
                    100 * (cpu2 - cpu1) / (wall2 - wall1), wall2 - wall1);
        dlg.EndDialog(IDCANCEL);
    });
    // Without the window there are no band figures: that is a failure, not a quiet run.
    if (dlg.DoModal() != IDCANCEL) {
        std::printf("band: the main window did not open\n");
        return 1;
    }
    CoreFigures(base.Path() + "\\images\\corvane.swf");
    return 0;
}
