// Deployment through the real program (x86_64 or, as test_deploy_i686, the i686 release
// build): /export and /apply in their own processes, the registry view both builds use, the
// round trip from a reference installation, refusals that change nothing and roll-backs.
#include "config/RegistrySchema.h"
#include "formats/ExportLayout.h"
#include "framework/WinHandles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

const std::string kMainTexts = RegKeys::MainTexts;

struct CommandResult {
    DWORD exitCode;
    std::string output;  // what the program wrote on its standard output
};

// Runs the program with arguments in directory; its standard output goes to a file.
CommandResult RunProgram(const std::string& arguments, const std::string& directory)
{
    const std::string outputFile = directory + "\\..\\" + std::to_string(::GetTickCount()) + ".out";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE output = ::CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string line = "\"" + ProgramPath() + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    si.hStdError = output;
    PROCESS_INFORMATION pi{};
    CommandResult result{static_cast<DWORD>(-1), std::string()};
    if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &si, &pi)) {
        if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
            ::TerminateProcess(pi.hProcess, 99);
        ::GetExitCodeProcess(pi.hProcess, &result.exitCode);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(output);
    result.output = ReadFileBytes(outputFile);
    ::DeleteFileA(outputFile.c_str());
    return result;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Everything that applying can change: every exported value of the registry (the program's
// view) and every file below the installation's images and Customization folders.
std::map<std::string, std::string> Snapshot(const std::string& base)
{
    std::map<std::string, std::string> state;
    for (const auto& section : nb::layout::ExportSections()) {
        HKEY root = section.root == nb::layout::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        for (const std::string& name : section.names)
            state[section.header + "\\" + name] = ValueOf(root, section.subkey, name);
    }
    for (const char* folder : {"images", "Customization"})
        for (const std::string& file : FilesIn(base + "\\" + folder, true))
            if (file != "apply.log")
                state[base + "\\" + folder + "\\" + file] = ReadFileBytes(base + "\\" + folder + "\\" + file);
    return state;
}

class DeployTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        CopySampleImages(m_target.Path());
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        // A customization folder as a reference machine leaves it: a changed label with a
        // quote and a folder path, a text with a line break, and one replaced icon.
        WriteFileBytes(m_folder + "\\HLXCM.REG",
                       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Control]\n"
                       "\"TopLevelIndent\"=\"3\"\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\MainDlg]\n"
                       "\"Button1\"=\"Our \\\"Top\\\" C:\\\\Ten\"\n\"URL4\"=hex(1):41,0d,0a,42,00\n");
        ::CopyFileA((SampleImagesDirectory() + "\\Icon2.bmp").c_str(), (m_folder + "\\ICON1.BMP").c_str(), FALSE);
    }

    CScratchDirectory m_target;
    CScratchDirectory m_reference;
    const std::string m_folder = m_reference.Path() + "\\Customization";
};

TEST_F(DeployTest, BothBuildsReadAndWriteOnlyThe32BitView)
{
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "Button1", "64-bit view", RegistryView::Native64);
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "Button2", "64-bit view", RegistryView::Native64);
    ASSERT_EQ("Top Ten", ValueOf(HKEY_LOCAL_MACHINE, kMainTexts, "Button1"));

    CommandResult exported = RunProgram("/export", m_target.Path());
    EXPECT_EQ(0u, exported.exitCode) << exported.output;
    EXPECT_EQ("exported: " + m_target.ExportFile() + "\r\n", exported.output);
    EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(m_target.ExportFile()));

    CommandResult applied = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
    EXPECT_EQ(0u, applied.exitCode) << applied.output;
    EXPECT_EQ("Our \"Top\" C:\\Ten", ValueOf(HKEY_LOCAL_MACHINE, kMainTexts, "Button1"));
    EXPECT_EQ("64-bit view", ValueOf(HKEY_LOCAL_MACHINE, kMainTexts, "Button1", RegistryView::Native64));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Corvane", RegistryView::Native64);
}

TEST_F(DeployTest, AppliedReferenceGivesTheSameValuesAndImages)
{
    // The reference: customized through the registry and the image files, then exported.
    CopySampleImages(m_reference.Path());
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::Categories[3], "LaunchableItem", "\"C:\\Tools\\diag.exe\" /all");
    SetValue(HKEY_LOCAL_MACHINE, RegKeys::CdDialogTexts, "TEXT1", "Welcome,\r\nadministrator");
    SetValue(HKEY_LOCAL_MACHINE, kMainTexts, "Button3", "Ask \"us\"");
    ::CopyFileA((SampleImagesDirectory() + "\\Image5.bmp").c_str(), (m_folder + "\\image0.bmp").c_str(), FALSE);
    ::CopyFileA((m_folder + "\\image0.bmp").c_str(), (m_reference.Path() + "\\images\\Image0.bmp").c_str(), FALSE);
    ::CopyFileA((m_folder + "\\ICON1.BMP").c_str(), (m_reference.Path() + "\\images\\Icon1.bmp").c_str(), FALSE);
    ASSERT_EQ(0u, RunProgram("/export", m_reference.Path()).exitCode);
    const std::string reference = ReadFileBytes(m_folder + "\\HLXCM.REG");

    InstallSampleRegistry();  // the target machine, as installed
    const auto before = Snapshot(m_target.Path());
    CommandResult check = RunProgram("/apply \"" + m_folder + "\" /check", m_target.Path());
    EXPECT_EQ(0u, check.exitCode);
    EXPECT_EQ(before, Snapshot(m_target.Path())) << "a check changes nothing";
    EXPECT_TRUE(Contains(check.output, "would set [HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\"
                                       "MainDlg] \"Button3\": \"How Do I?\" -> \"Ask \"us\"\"\r\n"))
        << check.output;
    EXPECT_TRUE(Contains(check.output, "would replace images\\icon1.bmp")) << check.output;
    EXPECT_TRUE(Contains(check.output, "valid: 4 value(s) and 2 image(s) would change\r\n")) << check.output;
    EXPECT_TRUE(Contains(check.output, "warning: HELP_FILE names C:\\Program Files\\Corvane\\Access Nimbook II\\"
                                       "Help\\NIMBOOK.CHM, which does not exist on this machine\r\n"))
        << check.output;

    CommandResult applied = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
    EXPECT_EQ(0u, applied.exitCode) << applied.output;
    EXPECT_TRUE(Contains(applied.output, "applied: 4 value(s) and 2 image(s) changed\r\n")) << applied.output;
    ASSERT_EQ(0u, RunProgram("/export", m_target.Path()).exitCode);
    EXPECT_EQ(reference, ReadFileBytes(m_target.ExportFile()));
    for (const char* image : {"Icon1.bmp", "Image0.bmp", "Icon2.bmp"})
        EXPECT_EQ(ReadFileBytes(m_reference.Path() + "\\images\\" + image),
                  ReadFileBytes(m_target.Path() + "\\images\\" + image)) << image;
    EXPECT_EQ(ReadFileBytes(SampleImagesDirectory() + "\\Icon1.bmp"),
              ReadFileBytes(m_target.Path() + "\\Customization\\Backup\\icon1.BAK"));
    const std::string log = ReadFileBytes(m_target.Path() + "\\Customization\\apply.log");
    EXPECT_TRUE(Contains(log, " /apply " + m_folder + " /check\r\n" + check.output)) << log;
    EXPECT_TRUE(Contains(log, " /apply " + m_folder + "\r\n" + applied.output)) << log;

    CommandResult again = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
    EXPECT_TRUE(Contains(again.output, "applied: 0 value(s) and 0 image(s) changed\r\n")) << again.output;
}

struct Refusal {
    const char* what;
    std::function<void(const std::string& folder)> spoil;
    const char* line;  // the refusal's reason as the output shows it
};

TEST_F(DeployTest, RefusalsChangeNothing)
{
    const std::string file = ReadFileBytes(m_folder + "\\HLXCM.REG");
    auto withFile = [](const std::string& text) {
        return [text](const std::string& folder) { WriteFileBytes(folder + "\\HLXCM.REG", text); };
    };
    const Refusal cases[] = {
        {"truncated file", withFile(file.substr(0, file.size() - 5)), "refused: HLXCM.REG line 8: the file ends inside a line"},
        {"injected key", withFile(file + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"),
         "refused: HLXCM.REG line 9: the key is not one of the customization's keys"},
        {"DWORD value", withFile(file + "\"URL1\"=dword:00000001\n"),
         "refused: HLXCM.REG line 9: only text values are accepted"},
        {"unknown value name", withFile(file + "\"INI_PATH\"=\"C:\\\\x\"\n"),
         "refused: HLXCM.REG line 9: the value is not one of the customization's values: INI_PATH"},
        {"non-bitmap image", [](const std::string& folder) { WriteFileBytes(folder + "\\image2.bmp", "BM not really"); },
         "refused: not a valid bitmap: image2.bmp"},
        {"unknown image name",
         [](const std::string& folder) {
             ::CopyFileA((folder + "\\ICON1.BMP").c_str(), (folder + "\\BkgdLogo.bmp").c_str(), FALSE);
         },
         "refused: not one of the assistant's images: BkgdLogo.bmp"},
        {"tool running", [](const std::string&) {}, "refused: the customization tool is running on this machine"},
    };
    const auto before = Snapshot(m_target.Path());
    for (const Refusal& refusal : cases) {
        CScratchDirectory reference;
        const std::string folder = reference.Path() + "\\Customization";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        WriteFileBytes(folder + "\\HLXCM.REG", file);
        ::CopyFileA((m_folder + "\\ICON1.BMP").c_str(), (folder + "\\ICON1.BMP").c_str(), FALSE);
        refusal.spoil(folder);
        CHandle mutex(std::string(refusal.what) == "tool running" ? ::CreateMutexA(nullptr, TRUE, "Mutex_Access_Nimbook")
                                                                   : nullptr);

        CommandResult result = RunProgram("/apply \"" + folder + "\"", m_target.Path());
        EXPECT_EQ(1u, result.exitCode) << refusal.what;
        EXPECT_EQ(0u, result.output.find(refusal.line)) << refusal.what << ": " << result.output;
        EXPECT_TRUE(Contains(result.output, "\r\nrefused: nothing was changed\r\n")) << refusal.what;
        EXPECT_EQ(before, Snapshot(m_target.Path())) << refusal.what;
    }
}

TEST_F(DeployTest, AFailurePartWayPutsEverythingBack)
{
    ::CopyFileA((m_folder + "\\ICON1.BMP").c_str(), (m_folder + "\\image3.bmp").c_str(), FALSE);
    const auto before = Snapshot(m_target.Path());

    // The second copy of the last image cannot be made (a folder holds its place): the
    // values and both images are put back.
    const std::string blocker = m_target.Path() + "\\Customization\\image3.bmp";
    ::CreateDirectoryA((m_target.Path() + "\\Customization").c_str(), nullptr);
    ::CreateDirectoryA(blocker.c_str(), nullptr);
    CommandResult blocked = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
    EXPECT_EQ(2u, blocked.exitCode) << blocked.output;
    EXPECT_TRUE(Contains(blocked.output, "replaced images\\icon1.bmp")) << blocked.output;
    EXPECT_TRUE(Contains(blocked.output, "failed: cannot replace images\\image3.bmp\r\n")) << blocked.output;
    EXPECT_TRUE(Contains(blocked.output, "rolled back: every value and image is as it was before\r\n"));
    EXPECT_EQ(before, Snapshot(m_target.Path()));
    ::RemoveDirectoryA(blocker.c_str());

    // The main texts refuse writing: the value set before them is put back.
    {
        CReadOnlyKey denied(HKEY_LOCAL_MACHINE, kMainTexts);
        CommandResult deniedKey = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
        EXPECT_EQ(2u, deniedKey.exitCode) << deniedKey.output;
        EXPECT_TRUE(Contains(deniedKey.output, "put back [HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\"
                                               "Control] \"TopLevelIndent\": \"2\"\r\n"))
            << deniedKey.output;
    }
    EXPECT_EQ(before, Snapshot(m_target.Path()));
}

}  // namespace
