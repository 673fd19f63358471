// A second start of the real program while a first instance holds the mutex: it toggles the
// window bearing the main window's title and ends without a check, a dialog or an export.
#include "app/CustomizeApp.h"
#include "config/RegistrySchema.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

namespace {

// Runs the program in the base directory; its exit code, or -1 when it did not end in time.
DWORD RunProgram(const std::string& directory)
{
    return CProgramRun(directory).WaitForExit(20000);
}

void Pump()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

HWND CreateTopLevelWindow(const std::string& title)
{
    HWND hwnd = ::CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                  nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    Pump();
    return hwnd;
}

class SecondInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        m_mutex = CHandle(::CreateMutexA(nullptr, TRUE, kInstanceMutexName));
        ASSERT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), ::GetLastError()) << "another instance is running";
        m_title = ValueOf(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, "TITLE");
    }
    void TearDown() override
    {
        ::ReleaseMutex(m_mutex.Get());
        EXPECT_FALSE(FileExists(m_base.Path() + "\\Customization")) << "a second instance writes no export";
    }

    CScratchDirectory m_base;
    CHandle m_mutex;
    std::string m_title;
};

TEST_F(SecondInstanceTest, TogglesTheRunningWindowBetweenMinimizedAndInFront)
{
    HWND running = CreateTopLevelWindow(m_title);
    ::SetForegroundWindow(running);
    Pump();
    ASSERT_EQ(running, ::GetForegroundWindow());

    EXPECT_EQ(0u, RunProgram(m_base.Path()));
    Pump();
    EXPECT_TRUE(::IsIconic(running)) << "in front and not minimized: minimized";

    EXPECT_EQ(0u, RunProgram(m_base.Path()));
    Pump();
    EXPECT_FALSE(::IsIconic(running)) << "minimized: shown normally";
    EXPECT_EQ(running, ::GetForegroundWindow());

    // Behind another window: brought to the front, not minimized.
    HWND other = CreateTopLevelWindow("Some other program");
    ::SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(other, ::GetForegroundWindow());
    EXPECT_EQ(0u, RunProgram(m_base.Path()));
    Pump();
    EXPECT_FALSE(::IsIconic(running));
    EXPECT_EQ(running, ::GetForegroundWindow());

    ::DestroyWindow(other);
    ::DestroyWindow(running);
}

TEST_F(SecondInstanceTest, EndsQuietlyWhenNoWindowBearsTheTitle)
{
    EXPECT_EQ(0u, RunProgram(m_base.Path()));
}

TEST_F(SecondInstanceTest, WithoutATitleNoWindowIsTouched)
{
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, "TITLE", "");
    HWND untitled = CreateTopLevelWindow("");
    ::SetForegroundWindow(untitled);
    Pump();
    EXPECT_EQ(0u, RunProgram(m_base.Path()));
    Pump();
    EXPECT_FALSE(::IsIconic(untitled));
    ::DestroyWindow(untitled);
}

}  // namespace
