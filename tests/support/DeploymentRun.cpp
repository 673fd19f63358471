#include "tests/support/DeploymentRun.h"

#include "formats/ExportLayout.h"
#include "framework/WinHandles.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestRegistry.h"

namespace {

CHandle CreateOutputFile(const std::string& path)
{
    // cmd's console may hold the inherited handle a moment longer: the file may go meanwhile.
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

CommandResult RunCommandLine(const std::string& commandLine, const std::string& directory)
{
    // Names of their own for each run, beside the directory: a file just deleted may not be
    // created again at once.
    static int runs = 0;
    const std::string stem = directory + "\\..\\" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++runs);
    CommandResult result{static_cast<DWORD>(-1), std::string(), std::string()};
    {
        CHandle output = CreateOutputFile(stem + ".out");
        CHandle errors = CreateOutputFile(stem + ".err");
        std::string line = commandLine;
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = output.Get();
        si.hStdError = errors.Get();
        PROCESS_INFORMATION pi{};
        if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, directory.c_str(),
                             &si, &pi)) {
            if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
                ::TerminateProcess(pi.hProcess, 99);
            ::GetExitCodeProcess(pi.hProcess, &result.exitCode);
            ::CloseHandle(pi.hThread);
            ::CloseHandle(pi.hProcess);
        }
    }
    result.output = ReadFileBytes(stem + ".out");
    result.errors = ReadFileBytes(stem + ".err");
    ::DeleteFileA((stem + ".out").c_str());
    ::DeleteFileA((stem + ".err").c_str());
    return result;
}

CommandResult RunProgram(const std::string& arguments, const std::string& directory)
{
    return RunCommandLine("\"" + ProgramPath() + "\" " + arguments, directory);
}

CommandResult RunScript(const std::string& script, const std::string& directory)
{
    return RunCommandLine("cmd.exe /c \"\"" + script + "\"\"", directory);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

std::string CustomizedExport()
{
    std::string file = ReadFileBytes(TestDataFile("sample-export.reg"));
    file = Replaced(file, "\"TopLevelIndent\"=\"2\"", "\"TopLevelIndent\"=\"3\"");
    file = Replaced(file, "\"Button1\"=\"Top Ten\"", "\"Button1\"=\"Our \\\"Top\\\" C:\\\\Ten\"");
    return Replaced(file, "\"URL4\"=\"Software Updates\"", "\"URL4\"=hex(1):41,0d,0a,42,00");
}

std::map<std::string, std::string> DeploymentState(const std::string& base)
{
    std::map<std::string, std::string> state;
    for (const auto& section : nb::layout::ExportSections()) {
        HKEY root = section.root == nb::layout::Root::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        for (const std::string& name : section.names)
            for (RegistryView view : {RegistryView::Program32, RegistryView::Native64})
                state[section.header + "\\" + name + (view == RegistryView::Native64 ? " (64)" : "")] =
                    ValueOf(root, section.subkey, name, view);
    }
    for (const char* folder : {"images", "Customization"})
        for (const std::string& file : FilesIn(base + "\\" + folder, true))
            if (file != "apply.log")
                state[base + "\\" + folder + "\\" + file] = ReadFileBytes(base + "\\" + folder + "\\" + file);
    return state;
}

std::string StateChanges(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after)
{
    std::string changes;
    for (const auto& [key, value] : before) {
        const auto now = after.find(key);
        if (now == after.end())
            changes += "gone: " + key + "\n";
        else if (now->second != value)
            changes += "changed: " + key + "\n";
    }
    for (const auto& [key, value] : after)
        if (!before.contains(key))
            changes += "new: " + key + "\n";
    return changes;
}
