// A customization on its way to a fleet, through the real program and cmd: /package, the
// package's scripts run from a distribution system's own folder, /verify, the log's summary
// lines and their rotation.
#include "app/ApplyLog.h"
#include "config/RegistrySchema.h"
#include "customization/CustomizationFolder.h"
#include "framework/FolderListing.h"
#include "framework/WinHandles.h"
#include "tests/support/DeploymentRun.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <vector>

namespace {

// What every run of the sample export says on a machine without the reference's files.
const std::string kWarnings =
    "warning: File names C:\\Program Files\\Corvane\\Access Nimbook II\\HLX.EXE, which does not exist on this machine\r\n"
    "warning: HELP_FILE names C:\\Program Files\\Corvane\\Access Nimbook II\\Help\\NIMBOOK.CHM, which does not exist "
    "on this machine\r\n";
const std::string kAssistantKey = "HKEY_LOCAL_MACHINE\\Software\\Corvane\\Access Nimbook II";

// Every file and folder below a folder, folders marked with a closing backslash.
std::vector<std::string> EntriesIn(const std::string& folder)
{
    std::vector<WIN32_FIND_DATAA> listed;
    ListFolder(folder, listed);
    std::vector<std::string> entries;
    for (const WIN32_FIND_DATAA& entry : listed) {
        const std::string name = entry.cFileName;
        if (!IsFolderEntry(entry)) {
            entries.push_back(name);
            continue;
        }
        entries.push_back(name + "\\");
        for (const std::string& inner : EntriesIn(folder + "\\" + name))
            entries.push_back(name + "\\" + inner);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The summary lines of a log, each with its time (checked to be ISO 8601 UTC) cut off.
std::vector<std::string> SummaryLines(const std::string& log)
{
    static const std::regex time("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z$");
    std::vector<std::string> summaries;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = log.substr(start, end - start);
        const size_t at = line.find(" summary ");
        if (at == std::string::npos)
            continue;
        EXPECT_TRUE(std::regex_match(line.substr(0, at), time)) << line;
        summaries.push_back(line.substr(at + 1));
    }
    return summaries;
}

std::string Summary(const std::string& command, const std::string& folder, const std::string& outcome, int exit)
{
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerSize = sizeof(computer);
    ::GetComputerNameA(computer, &computerSize);
    char user[256] = {};
    DWORD userSize = sizeof(user);
    ::GetUserNameA(user, &userSize);
    return "summary computer=" + std::string(computer) + " user=\"" + user + "\" version=" NB_VERSION " command=" +
           command + " folder=\"" + folder + "\" outcome=" + outcome + " exit=" + std::to_string(exit);
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        CopySampleImages(m_target.Path());
        // The assistant as the registry knows it: its INI file in the target's folder.
        SetValue(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "INI_PATH", m_target.Path() + "\\HLX.INI");
        // The reference's Customization folder as the tool leaves it: the export, a replaced
        // icon, its own backups and log.
        ::CreateDirectoryA(m_source.c_str(), nullptr);
        ::CreateDirectoryA((m_source + "\\Backup").c_str(), nullptr);
        WriteFileBytes(m_source + "\\HLXCM.REG", CustomizedExport());
        ::CopyFileA((SampleImagesDirectory() + "\\Icon2.bmp").c_str(), (m_source + "\\ICON1.BMP").c_str(), FALSE);
        WriteFileBytes(m_source + "\\Backup\\icon1.BAK", "the reference's own icon");
        WriteFileBytes(m_source + "\\apply.log", "the reference's own log\r\n");
    }

    CommandResult Package(const std::string& outdir)
    {
        return RunProgram("/package \"" + outdir + "\"", m_reference.Path());
    }

    // The machine's values and images. The Customization folder is the tool's own, and the
    // administrator's own welcome switches become "TRUE" with every run of the tool.
    std::map<std::string, std::string> Shipped()
    {
        auto state = DeploymentState(m_target.Path());
        std::erase_if(state, [&](const auto& entry) {
            return entry.first.starts_with(m_target.Path() + "\\Customization") ||
                   entry.first.starts_with("HKEY_CURRENT_USER");
        });
        return state;
    }

    CScratchDirectory m_target;
    CScratchDirectory m_reference;
    CScratchDirectory m_out;
    const std::string m_source = m_reference.Path() + "\\Customization";
    // Blanks and brackets, as in "Program Files (x86)".
    const std::string m_package = m_out.Path() + "\\Fleet (x86) package";
};

TEST_F(PackageTest, PackageHoldsTheProgramTheExportAndItsScripts)
{
    CommandResult packaged = Package(m_package);
    EXPECT_EQ(0u, packaged.exitCode);
    EXPECT_EQ("packaged: " + m_package + ": NbCustomize.exe, install.cmd, uninstall.cmd, detect.cmd, README.txt, "
                                         "Customization\\HLXCM.REG, Customization\\ICON1.BMP\r\n",
              packaged.output);
    const std::vector<std::string> files = {"Customization\\",  "Customization\\HLXCM.REG", "Customization\\ICON1.BMP",
                                            "NbCustomize.exe", "README.txt",               "detect.cmd",
                                            "install.cmd",     "uninstall.cmd"};
    EXPECT_EQ(files, EntriesIn(m_package));
    EXPECT_EQ(files.size() + 1, EntriesIn(m_out.Path()).size()) << "the package alone, nothing beside it";
    EXPECT_EQ(ReadFileBytes(ProgramPath()), ReadFileBytes(m_package + "\\NbCustomize.exe"));
    EXPECT_EQ(CustomizedExport(), ReadFileBytes(m_package + "\\Customization\\HLXCM.REG"));
    EXPECT_EQ(ReadFileBytes(SampleImagesDirectory() + "\\Icon2.bmp"), ReadFileBytes(m_package + "\\Customization\\ICON1.BMP"));
    for (const char* name : {"install.cmd", "uninstall.cmd", "detect.cmd", "README.txt"}) {
        const std::string text = ReadFileBytes(m_package + "\\" + name);
        EXPECT_TRUE(text.ends_with("\r\n")) << name;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r')) << name;
    }
    const std::string readme = ReadFileBytes(m_package + "\\README.txt");
    EXPECT_EQ(0u, readme.find("Access Nimbook II customization package (made by NbCustomize.exe /package)\r\n"));
    for (const char* part : {"install command: install.cmd   uninstall command: uninstall.cmd   run as: System\r\n",
                             "return codes: 0 success; 1 and 2 failure.\r\n", "& '\\\\server\\share\\<this folder>\\detect.cmd'",
                             "Scripts > Startup): \\\\server\\share\\<this folder>\\install.cmd.", "Customization\\apply.log"})
        EXPECT_TRUE(Contains(readme, part)) << part;
}

TEST_F(PackageTest, ScriptsInstallDetectAndUninstallFromAnyFolder)
{
    ASSERT_EQ(0u, Package(m_package).exitCode);
    const std::string scripts = m_package + "\\";
    const std::string folder = scripts + "Customization";
    const std::string original = m_target.Path() + "\\Customization\\Backup\\Original";
    const auto shipped = Shipped();
    CScratchDirectory cache;  // the distribution system's own folder

    auto detect = [&](const std::string& expected) {
        CommandResult detected = RunScript(scripts + "detect.cmd", cache.Path());
        EXPECT_EQ(0u, detected.exitCode);
        EXPECT_EQ(expected, detected.output);
        EXPECT_EQ("", detected.errors);
    };
    detect("");
    CommandResult installed = RunScript(scripts + "install.cmd", cache.Path());
    EXPECT_EQ(0u, installed.exitCode) << installed.output;
    EXPECT_EQ(0u, installed.output.find("installation: " + m_target.Path() + "\r\n")) << installed.output;
    EXPECT_TRUE(Contains(installed.output, "\r\napplied: 4 value(s) and 1 image(s) changed\r\n")) << installed.output;
    EXPECT_EQ("Our \"Top\" C:\\Ten", ValueOf(HKEY_LOCAL_MACHINE, RegKeys::MainTexts, "Button1"));
    EXPECT_EQ(ReadFileBytes(SampleImagesDirectory() + "\\Icon2.bmp"), ReadFileBytes(m_target.Path() + "\\images\\Icon1.bmp"));
    const std::string backup = m_target.Path() + "\\Customization\\Backup\\icon1.BAK";
    EXPECT_EQ(ReadFileBytes(SampleImagesDirectory() + "\\Icon1.bmp"), ReadFileBytes(backup));
    detect("Access Nimbook II customization is in place\r\n");

    const auto applied = DeploymentState(m_target.Path());
    CommandResult again = RunScript(scripts + "install.cmd", cache.Path());
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_EQ("installation: " + m_target.Path() + "\r\n" + kWarnings +
                  "nothing needed changing: every value and image of the folder is already in place\r\n"
                  "applied: 0 value(s) and 0 image(s) changed\r\n",
              again.output);
    EXPECT_EQ("", StateChanges(applied, DeploymentState(m_target.Path()))) << "nothing written; the backups keep the machine's own images";

    CommandResult uninstalled = RunScript(scripts + "uninstall.cmd", cache.Path());
    EXPECT_EQ(0u, uninstalled.exitCode) << uninstalled.output;
    EXPECT_EQ("", StateChanges(shipped, Shipped()));
    detect("");

    EXPECT_EQ((std::vector<std::string>{Summary("verify", folder, "differs", 3), Summary("apply", folder, "applied", 0),
                                        Summary("verify", folder, "in-place", 0), Summary("apply", folder, "unchanged", 0),
                                        Summary("restore", original, "applied", 0), Summary("verify", folder, "differs", 3)}),
              SummaryLines(ReadFileBytes(m_target.Path() + "\\Customization\\apply.log")));
}

TEST_F(PackageTest, ScriptsWithoutTheAssistantFailWithTheirLine)
{
    ASSERT_EQ(0u, Package(m_package).exitCode);
    const std::string notInstalled = "refused: Access Nimbook II is not installed on this machine: ";
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::string line;
    } cases[] = {
        {"no INI_PATH", [] { DeleteValue(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "INI_PATH"); },
         notInstalled + "cannot read INI_PATH of " + kAssistantKey + " (" + SystemReason(ERROR_FILE_NOT_FOUND) +
             ")\r\nrefused: nothing was changed\r\n"},
        {"INI_PATH in a folder that is gone",
         [] { SetValue(HKEY_LOCAL_MACHINE, RegKeys::Assistant, "INI_PATH", "C:\\Gone\\HLX.INI"); },
         notInstalled + "INI_PATH of " + kAssistantKey + " is \"C:\\Gone\\HLX.INI\", and its folder does not exist\r\n"
                        "refused: nothing was changed\r\n"},
        {"no program beside the scripts", [&] { ::DeleteFileA((m_package + "\\NbCustomize.exe").c_str()); },
         "SCRIPT: NbCustomize.exe is not beside it in " + m_package + "\\\r\n"},
    };
    CScratchDirectory cache;
    const auto before = DeploymentState(m_target.Path());
    for (const Case& spoiled : cases) {
        spoiled.spoil();
        for (const char* script : {"install.cmd", "uninstall.cmd", "detect.cmd"}) {
            CommandResult result = RunScript(m_package + "\\" + script, cache.Path());
            const std::string line = Contains(spoiled.line, "SCRIPT") ? Replaced(spoiled.line, "SCRIPT", script) : spoiled.line;
            const bool bDetect = std::string(script) == "detect.cmd";
            EXPECT_EQ(1u, result.exitCode) << spoiled.what << ", " << script;
            EXPECT_EQ(bDetect ? "" : line, result.output) << spoiled.what << ", " << script;
            EXPECT_EQ(bDetect ? line : "", result.errors) << spoiled.what << ", " << script;
        }
    }
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path())));
    EXPECT_FALSE(FileExists(m_target.Path() + "\\Customization\\apply.log")) << "no installation, no log";
}

TEST_F(PackageTest, RefusedPackagesLeaveNothingBehind)
{
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::string outdir;
        std::string line;  // the start of the refusal
    } cases[] = {
        {"a folder that is not empty", [&] { ::CreateDirectoryA(m_package.c_str(), nullptr);
                                             WriteFileBytes(m_package + "\\keep.txt", "mine"); },
         m_package, "refused: " + m_package + " exists and is not an empty folder: name a new or an empty one\r\n"},
        {"a file of that name", [&] { WriteFileBytes(m_package, "mine"); }, m_package,
         "refused: " + m_package + " exists and is not an empty folder: name a new or an empty one\r\n"},
        {"a folder nobody may write in", [] {}, "Z:\\sys\\nbpackage", "refused: cannot create Z:\\sys\\nbpackage.partial-"},
        {"no export", [&] { ::DeleteFileA((m_source + "\\HLXCM.REG").c_str()); }, m_package,
         "refused: there is no export to package: " + m_source +
             "\\HLXCM.REG does not exist (the tool writes it as it closes, or run NbCustomize.exe /export)\r\n"},
        {"an empty folder that is another program's current folder",
         [&] { ::CreateDirectoryA(m_package.c_str(), nullptr);
               ::SetCurrentDirectoryA(m_package.c_str()); },
         m_package, "refused: cannot replace the empty folder " + m_package + ": "},
        {"a folder inside the Customization folder", [] {}, m_source + "\\Package",
         "refused: " + m_source + "\\Package lies inside the folder it would package, " + m_source + "\r\n"},
        {"an export that /apply refuses", [&] { WriteFileBytes(m_source + "\\notes.txt", "mine"); }, m_package,
         "refused: not one of the assistant's images: notes.txt\r\n"},
    };
    // The package's folder and the folder it packages.
    auto everything = [&] {
        std::vector<std::string> entries = EntriesIn(m_out.Path());
        for (const std::string& entry : EntriesIn(m_source))
            entries.push_back("source: " + entry);
        return entries;
    };
    for (const Case& refusal : cases) {
        SetUp();
        refusal.spoil();
        const auto before = everything();
        CommandResult result = Package(refusal.outdir);
        EXPECT_EQ(1u, result.exitCode) << refusal.what;
        EXPECT_EQ(0u, result.output.find(refusal.line)) << refusal.what << ": " << result.output;
        EXPECT_TRUE(result.output.ends_with("\r\nrefused: no package was written\r\n")) << refusal.what;
        EXPECT_EQ(before, everything()) << refusal.what;
        ::SetCurrentDirectoryA(m_out.Path().c_str());
        ::DeleteFileA((m_package + "\\keep.txt").c_str());
        ::DeleteFileA(m_package.c_str());
        ::RemoveDirectoryA(m_package.c_str());
        ::DeleteFileA((m_source + "\\notes.txt").c_str());
    }

    // An empty folder of that name takes the package.
    ::CreateDirectoryA(m_package.c_str(), nullptr);
    EXPECT_EQ(0u, Package(m_package).exitCode);
    EXPECT_EQ(8u, EntriesIn(m_package).size());
}

TEST_F(PackageTest, VerifyListsWhatDiffersAndChangesNothing)
{
    const std::string folder = "\"" + m_source + "\"";
    const auto before = DeploymentState(m_target.Path());
    CommandResult check = RunProgram("/apply " + folder + " /check", m_target.Path());
    const std::string listed = check.output.substr(0, check.output.rfind("valid: "));
    {
        // Verifying only reads: a detection rule may run it while the tool is open.
        CHandle mutex(::CreateMutexA(nullptr, TRUE, "Mutex_Access_Nimbook"));
        CommandResult verified = RunProgram("/apply " + folder + " /verify", m_target.Path());
        EXPECT_EQ(3u, verified.exitCode);
        EXPECT_EQ(listed + "differs: 4 value(s) and 1 image(s) are not as the folder has them\r\n", verified.output);
    }
    EXPECT_EQ("", StateChanges(before, DeploymentState(m_target.Path())));

    ASSERT_EQ(0u, RunProgram("/apply " + folder, m_target.Path()).exitCode);
    CommandResult inPlace = RunProgram("/apply " + folder + " /verify", m_target.Path());
    EXPECT_EQ(0u, inPlace.exitCode);
    EXPECT_EQ(listed.substr(0, listed.find("would ")) +
                  "in place: every value and image of the folder is already on this machine\r\n",
              inPlace.output);

    WriteFileBytes(m_source + "\\notes.txt", "mine");
    CommandResult refused = RunProgram("/apply " + folder + " /verify", m_target.Path());
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_EQ("refused: not one of the assistant's images: notes.txt\r\nrefused: nothing was changed\r\n", refused.output);
}

TEST_F(PackageTest, TheLogKeepsItsLastMegabyteAndStaysAcceptable)
{
    const std::string customization = m_target.Path() + "\\Customization";
    ::CreateDirectoryA(customization.c_str(), nullptr);
    const std::string old(kApplyLogLimitBytes - 100, 'x');
    WriteFileBytes(customization + "\\apply.log", old);

    CommandResult first = RunProgram("/apply \"" + m_source + "\" /verify", m_target.Path());
    EXPECT_EQ(old, ReadFileBytes(customization + "\\apply.log.1"));
    const std::string log = ReadFileBytes(customization + "\\apply.log");
    const std::string verified = Summary("verify", m_source, "differs", 3);
    EXPECT_EQ(19u, log.find(" /apply " + m_source + " /verify\r\n" + first.output)) << log;
    EXPECT_EQ(std::vector<std::string>{verified}, SummaryLines(log));
    CommandResult second = RunProgram("/restore /check", m_target.Path());
    const std::string appended = ReadFileBytes(customization + "\\apply.log");
    EXPECT_TRUE(appended.starts_with(log)) << appended;
    EXPECT_TRUE(Contains(appended.substr(log.size()), " /restore /check\r\n" + second.output)) << appended;
    EXPECT_EQ((std::vector<std::string>{verified, Summary("restore-check", customization + "\\Backup\\Original", "refused", 1)}),
              SummaryLines(appended));

    // A Customization folder with both logs is still one that /apply takes.
    ::CopyFileA((customization + "\\apply.log.1").c_str(), (m_source + "\\apply.log.1").c_str(), FALSE);
    EXPECT_EQ(0u, RunProgram("/apply \"" + m_source + "\"", m_target.Path()).exitCode);
}

}  // namespace
