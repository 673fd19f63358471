// Deployment through the real program (x86_64 or, as test_deploy_i686, the i686 release
// build): /export and /apply in their own processes, the registry view both builds use, the
// round trip from a reference installation, refusals that change nothing and roll-backs.
#include "config/RegistrySchema.h"
#include "customization/CustomizationFolder.h"
#include "formats/ExportLayout.h"
#include "framework/WinHandles.h"
#include "tests/support/DeploymentRun.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace {

const std::string kMainTexts = RegKeys::MainTexts;

class DeployTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        CopySampleImages(m_target.Path());
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        // A customization folder as a reference machine leaves it: a changed label with a
        // quote and a folder path, a text with a line break, and one replaced icon.
        WriteFileBytes(m_folder + "\\HLXCM.REG", CustomizedExport());
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
    const auto before = DeploymentState(m_target.Path());
    CommandResult check = RunProgram("/apply \"" + m_folder + "\" /check", m_target.Path());
    EXPECT_EQ(0u, check.exitCode);
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path()))) << "a check changes nothing";
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
    std::string line;  // the refusal's reason as the output shows it (its start)
    std::string folder = std::string();  // another folder to apply instead of the spoiled copy
};

// A bitmap file's headers for a picture of that size, without its pixels.
std::string BitmapHeaders(int width, int height)
{
    std::string bytes(54, '\0');
    auto put = [&bytes](size_t at, DWORD value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<DWORD>(width), 4);
    put(22, static_cast<DWORD>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    return bytes;
}

TEST_F(DeployTest, RefusalsChangeNothing)
{
    const std::string file = ReadFileBytes(m_folder + "\\HLXCM.REG");
    const std::string last = std::to_string(std::count(file.begin(), file.end(), '\n'));
    const std::string next = std::to_string(std::count(file.begin(), file.end(), '\n') + 1);
    const std::string mainTexts = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\MainDlg]";
    auto withFile = [](const std::string& text) {
        return [text](const std::string& folder) { WriteFileBytes(folder + "\\HLXCM.REG", text); };
    };
    auto withFolder = [](const char* name) {
        return [name](const std::string& folder) { ::CreateDirectoryA((folder + "\\" + name).c_str(), nullptr); };
    };
    std::string utf16 = "\xff\xfe";
    for (char c : std::string("Windows Registry Editor Version 5.00\r\n"))
        utf16 += std::string{c, '\0'};
    std::string crOnly = file;
    std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
    const std::string longFolder = m_target.Path() + "\\" + std::string(300, 'a');
    const Refusal cases[] = {
        {"truncated file", withFile(file.substr(0, file.size() - 5)), "refused: HLXCM.REG line " + last + ": the file ends inside a line\r\n"},
        {"header only", withFile("REGEDIT4\n"), "refused: HLXCM.REG lacks sections of the export: "
                                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\NBHOTKEY\\8001], [HKEY_CURRENT_USER"},
        {"cut at a line end", withFile(file.substr(0, file.rfind("\"URL3\""))),
         "refused: HLXCM.REG lacks values of the export: " + mainTexts + " URL3, URL4\r\n"},
        {"UTF-16 file", withFile(utf16), "refused: HLXCM.REG line 1: the file is UTF-16 text, not the REGEDIT4 text "
                                          "form: save the keys in the registry editor as \"Win9x/NT4 Registration Files (*.reg)\""},
        {"CR-only file", withFile(crOnly), "refused: HLXCM.REG line 1: the lines end in carriage returns alone"},
        {"50 MB of empty lines", withFile(file + std::string(50 * 1024 * 1024, '\n')),
         "refused: HLXCM.REG is larger than 16 MB, far more than any export holds\r\n"},
        {"injected key", withFile(file + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"),
         "refused: HLXCM.REG line " + next + ": the key is not one of the customization's keys"},
        {"DWORD value", withFile(file + "\"URL1\"=dword:00000001\n"),
         "refused: HLXCM.REG line " + next + ": only text values are accepted"},
        {"unknown value name", withFile(file + "\"INI_PATH\"=\"C:\\\\x\"\n"),
         "refused: HLXCM.REG line " + next + ": the value is not one of the customization's values: INI_PATH\r\n"},
        {"non-bitmap image", [](const std::string& folder) { WriteFileBytes(folder + "\\image2.bmp", "BM not really"); },
         "refused: not a valid bitmap: image2.bmp ("},
        {"9000 x 9000 bitmap", [](const std::string& folder) { WriteFileBytes(folder + "\\image2.bmp", BitmapHeaders(9000, 9000)); },
         "refused: not a valid bitmap: image2.bmp (wider or higher than 8192 pixels, the largest bitmap accepted)\r\n"},
        {"unknown image name",
         [](const std::string& folder) {
             ::CopyFileA((folder + "\\ICON1.BMP").c_str(), (folder + "\\BkgdLogo.bmp").c_str(), FALSE);
         },
         "refused: not one of the assistant's images: BkgdLogo.bmp\r\n"},
        {"folder named like an image", withFolder("icon3.bmp"), "refused: a folder other than Backup: icon3.bmp\r\n"},
        {"other subfolder", withFolder("Pictures"), "refused: a folder other than Backup: Pictures\r\n"},
        {"names differing in case", [](const std::string&) {},
         "refused: two names differ only in case: ICON2.BMP and icon2.bmp\r\n", WinPath(NB_CASE_CLASH_DIR)},
        {"over-long folder path", [](const std::string&) {}, "refused: cannot read " + longFolder + "\\HLXCM.REG: ", longFolder},
        {"tool running", [](const std::string&) {}, "refused: the customization tool is running on this machine"},
    };
    const auto before = DeploymentState(m_target.Path());
    for (const Refusal& refusal : cases) {
        CScratchDirectory reference;
        std::string folder = reference.Path() + "\\Customization";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        WriteFileBytes(folder + "\\HLXCM.REG", file);
        ::CopyFileA((m_folder + "\\ICON1.BMP").c_str(), (folder + "\\ICON1.BMP").c_str(), FALSE);
        refusal.spoil(folder);
        if (!refusal.folder.empty())
            folder = refusal.folder;
        CHandle mutex(std::string(refusal.what) == "tool running" ? ::CreateMutexA(nullptr, TRUE, "Mutex_Access_Nimbook")
                                                                   : nullptr);

        for (const char* check : {"", " /check"}) {
            CommandResult result = RunProgram("/apply \"" + folder + "\"" + check, m_target.Path());
            EXPECT_EQ(1u, result.exitCode) << refusal.what << check;
            EXPECT_EQ(0u, result.output.find(refusal.line)) << refusal.what << check << ": " << result.output;
            EXPECT_TRUE(Contains(result.output, "\r\nrefused: nothing was changed\r\n")) << refusal.what;
            EXPECT_NE(refusal.line.size(), result.output.find("\r\n")) << refusal.what << ": a reason is given";
        }
        EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path()))) << refusal.what;
    }
}

TEST_F(DeployTest, AnAssistantKeyMissingHereIsNamedWithTheSystemsReasonOnOneLine)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, RegKeys::Categories[2]);
    CommandResult result = RunProgram("/apply \"" + m_folder + "\"", m_target.Path());
    EXPECT_EQ(1u, result.exitCode);
    EXPECT_TRUE(Contains(result.output, "\r\nrefused: cannot read [HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\"
                                        "Access Nimbook II\\Control\\HLXBUT03] on this machine: " +
                                        SystemReason(ERROR_FILE_NOT_FOUND) + "\r\nrefused: nothing was changed\r\n"))
        << result.output;
}

TEST_F(DeployTest, SwitchesInAnyOrderAndTheUsageForAnythingElse)
{
    const std::string folder = "\"" + m_folder + "\"";
    CommandResult usage = RunProgram("/?", m_target.Path());
    EXPECT_EQ(0u, usage.exitCode);
    EXPECT_EQ(0u, usage.output.find("usage: NbCustomize.exe [/export | /apply FOLDER [/check] | /restore [/check] | /?]\r\n"))
        << usage.output;
    EXPECT_TRUE(Contains(usage.output, "\r\n  /restore       put back")) << usage.output;
    for (const char* line : {"\r\n       NbCustomize.exe [/apply FOLDER [/check | /verify] | /restore [/check]] /installed\r\n",
                             "\r\n       NbCustomize.exe /package OUTDIR\r\n", "\r\n  /verify        with /apply: ",
                             "\r\n  /installed     with /apply or /restore: ", "\r\n3 (/verify) something is not"})
        EXPECT_TRUE(Contains(usage.output, line)) << line;
    const auto before = DeploymentState(m_target.Path());
    EXPECT_EQ(0u, RunProgram("/check /apply " + folder, m_target.Path()).exitCode);
    const std::string lines[] = {"/apply", "/check", "/apply " + folder + " /check /check", "/export /check",
                                 "/restore " + folder, folder, "/frobnicate", "/export /export", "/apply /check " + folder,
                                 "-?", "/package", "/package " + folder + " /check", "/apply " + folder + " /check /verify",
                                 "/restore /verify", "/export /installed", "/package " + folder + " /installed",
                                 "/verify", "/installed", "/apply " + folder + " /installed /installed"};
    for (const std::string& line : lines) {
        CommandResult result = RunProgram(line, m_target.Path());
        EXPECT_EQ(1u, result.exitCode) << line;
        EXPECT_EQ(usage.output, result.output) << line;
    }
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path())));
}

TEST_F(DeployTest, AFailurePartWayPutsEverythingBack)
{
    ::CopyFileA((m_folder + "\\ICON1.BMP").c_str(), (m_folder + "\\image3.bmp").c_str(), FALSE);
    const auto before = DeploymentState(m_target.Path());

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
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path())));
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
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path())));
}

TEST_F(DeployTest, RestorePutsBackWhatTheFirstChangeFound)
{
    const std::string base = m_target.Path();
    const std::string snapshot = base + "\\Customization\\Backup\\Original\\HLXCM.REG";
    CommandResult none = RunProgram("/restore", base);
    EXPECT_EQ(1u, none.exitCode);
    EXPECT_EQ("refused: there is nothing to restore: the tool has changed nothing of this installation (" + snapshot +
                  " does not exist)\r\n",
              none.output);

    // The registry and the images as shipped, and the export they give.
    ASSERT_EQ(0u, RunProgram("/export", base).exitCode);
    const std::string exportBefore = ReadFileBytes(m_target.ExportFile());
    auto shipped = [&] {
        auto state = DeploymentState(base);
        std::erase_if(state, [&](const auto& entry) { return entry.first.starts_with(base + "\\Customization"); });
        return state;
    };
    const auto before = shipped();

    ASSERT_EQ(0u, RunProgram("/apply \"" + m_folder + "\"", base).exitCode);
    EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(snapshot));
    WriteFileBytes(m_folder + "\\HLXCM.REG", Replaced(CustomizedExport(), "\"Button2\"=\"Features and Functions\"",
                                                    "\"Button2\"=\"Second\""));
    ASSERT_EQ(0u, RunProgram("/apply \"" + m_folder + "\"", base).exitCode);
    EXPECT_EQ(ReadFileBytes(TestDataFile("sample-export.reg")), ReadFileBytes(snapshot)) << "kept once";

    const auto customized = DeploymentState(base);
    CommandResult check = RunProgram("/restore /check", base);
    EXPECT_EQ(0u, check.exitCode);
    EXPECT_TRUE(Contains(check.output, "would set [HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\"
                                       "MainDlg] \"Button1\": \"Our \"Top\" C:\\Ten\" -> \"Top Ten\"\r\n"))
        << check.output;
    EXPECT_TRUE(Contains(check.output, "valid: 4 value(s) and 1 image(s) would change\r\n")) << check.output;
    {
        CHandle locked(::CreateFileA((base + "\\images\\Icon1.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        CommandResult failed = RunProgram("/restore", base);
        EXPECT_EQ(2u, failed.exitCode) << failed.output;
        EXPECT_TRUE(Contains(failed.output, "rolled back: every value and image is as it was before\r\n"));
    }
    {
        CHandle mutex(::CreateMutexA(nullptr, TRUE, "Mutex_Access_Nimbook"));
        EXPECT_EQ(1u, RunProgram("/restore", base).exitCode);
    }
    EXPECT_EQ("", StateChanges(customized, DeploymentState(base))) << "checked, rolled back or refused: nothing changed";

    CommandResult restored = RunProgram("/restore", base);
    EXPECT_EQ(0u, restored.exitCode) << restored.output;
    EXPECT_TRUE(Contains(restored.output, "applied: 4 value(s) and 1 image(s) changed\r\n")) << restored.output;
    EXPECT_EQ("", StateChanges(before, shipped()));
    ASSERT_EQ(0u, RunProgram("/export", base).exitCode);
    EXPECT_EQ(exportBefore, ReadFileBytes(m_target.ExportFile()));
    EXPECT_TRUE(Contains(ReadFileBytes(base + "\\Customization\\apply.log"), " /restore\r\n" + restored.output));
}

// Both builds' program files as an inventory tool reads them: the version resource, the
// manifest's supported systems beside its elevation, and the dialogs still inside.
TEST(ProgramFile, BothBuildsCarryTheVersionAndTheManifest)
{
    for (const std::string& path : {WinPath(NB_EXE_PATH), WinPath(NB_RELEASE_PATH)}) {
        DWORD handle = 0;
        std::string info(::GetFileVersionInfoSizeA(path.c_str(), &handle), '\0');
        ASSERT_FALSE(info.empty()) << path;
        ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        std::string shown;
        for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "OriginalFilename", "ProductName",
                                 "ProductVersion"}) {
            char* text = nullptr;
            UINT length = 0;
            ::VerQueryValueA(info.data(), ("\\StringFileInfo\\040904B0\\" + std::string(name)).c_str(),
                             reinterpret_cast<void**>(&text), &length);
            shown += std::string(name) + "=" + (text ? text : "") + "|";
        }
        EXPECT_EQ("CompanyName=Corvane Computer Corporation|FileDescription=Access Nimbook Customization|FileVersion=" NB_VERSION
                  "|OriginalFilename=NbCustomize.exe|ProductName=Access Nimbook II|ProductVersion=" NB_VERSION "|",
                  shown);

        HMODULE file = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(file) << path;
        HRSRC manifest = ::FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_TRUE(manifest);
        const std::string text(static_cast<const char*>(::LockResource(::LoadResource(file, manifest))),
                               ::SizeofResource(file, manifest));
        EXPECT_TRUE(Contains(text, "level=\"requireAdministrator\""));
        for (const char* system : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                                   "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                                   "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
            EXPECT_TRUE(Contains(text, std::string("<supportedOS Id=\"{") + system + "}\"/>")) << system;
        EXPECT_TRUE(::FindResourceA(file, MAKEINTRESOURCEA(205), MAKEINTRESOURCEA(5))) << "the main window's template";
        ::FreeLibrary(file);
    }
}

}  // namespace
