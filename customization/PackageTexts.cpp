#include "customization/PackageTexts.h"

namespace {

// Each script names the program beside it by %~dp0 (the script's own folder, whatever the
// current one is), quotes every path, and leaves the lookup of the installation to the program
// (/installed), which reads the assistant's registry key in its 32-bit view on every system.

// A script that runs the program beside it with the arguments and ends with its exit status.
std::string ProgramScript(const std::string& name, const std::string& comment, const std::string& arguments)
{
    return "@echo off\n" + comment + "setlocal\n"
           "if not exist \"%~dp0NbCustomize.exe\" goto missing\n"
           "\"%~dp0NbCustomize.exe\" " + arguments + "\n"
           "exit /b %errorlevel%\n"
           ":missing\n"
           "echo " + name + ": NbCustomize.exe is not beside it in %~dp0\n"
           "exit /b 1\n";
}

const char kInstallComment[] = R"(rem Applies this package's customization to Access Nimbook II on this machine, unattended.
rem Exit status: 0 applied (or nothing needed changing), 1 refused and nothing changed,
rem 2 failed part-way and everything put back.
)";

const char kUninstallComment[] = R"(rem Puts the values and images of Access Nimbook II back as they were before the
rem customization tool first changed them, unattended. Exit status as install.cmd's.
)";

// A detection rule reads standard output: one line means installed, none means not. The
// program's own lines therefore go to a file, shown (on standard error) only when it cannot tell.
const char kDetect[] = R"(@echo off
rem Detection rule: exit 0 with one line when this package's customization is in place,
rem exit 0 with no output when it is not, exit 1 with the reason on standard error when
rem that cannot be told (no assistant on this machine, a damaged package).
setlocal
if not exist "%~dp0NbCustomize.exe" goto missing
set "NBDETECT=%TEMP%\NbCustomize-detect-%RANDOM%%RANDOM%.txt"
"%~dp0NbCustomize.exe" /apply "%~dp0Customization" /verify /installed >"%NBDETECT%" 2>&1
if errorlevel 4 goto unknown
if errorlevel 3 goto absent
if errorlevel 1 goto unknown
del "%NBDETECT%"
echo Access Nimbook II customization is in place
exit /b 0
:absent
del "%NBDETECT%"
exit /b 0
:unknown
type "%NBDETECT%" 1>&2
del "%NBDETECT%"
exit /b 1
:missing
echo detect.cmd: NbCustomize.exe is not beside it in %~dp0>&2
exit /b 1
)";

const char kReadme[] = R"(Access Nimbook II customization package (made by NbCustomize.exe /package)

This folder holds the customization tool (NbCustomize.exe), the customization
(Customization\: HLXCM.REG and the replaced artwork) and three scripts. They run unattended,
from any current folder, as an administrator or as SYSTEM, and find the assistant themselves
(the folder of INI_PATH in HKEY_LOCAL_MACHINE\SOFTWARE\Corvane\Access Nimbook II).
  install.cmd    applies the customization; run again, it changes nothing
  uninstall.cmd  puts back the values and images the machine had before its first change
  detect.cmd     exit 0 and one line on standard output when the customization is in place,
                 exit 0 and no output when it is not, exit 1 when it cannot tell
Exit status of install.cmd and uninstall.cmd: 0 done (or nothing needed changing); 1 refused,
nothing changed (the assistant is not installed, the tool is open, ...); 2 failed part-way,
everything put back. Each run appends its lines and one summary line (time, computer, user,
version, outcome, exit status) to Customization\apply.log in the assistant's folder; the
older lines move to apply.log.1 once it reaches 1 MB.

Intune (Win32 app) or Configuration Manager (application with a script installer):
  wrap this folder (Intune: IntuneWinAppUtil.exe -c <this folder> -s install.cmd);
  install command: install.cmd   uninstall command: uninstall.cmd   run as: System
  return codes: 0 success; 1 and 2 failure.
  Detection by script: both run a PowerShell rule before, and apart from, the package's
  content, so keep a copy of this folder on a share the computers' accounts can read too:
      & '\\server\share\<this folder>\detect.cmd'; exit $LASTEXITCODE
Group Policy start-up script (Computer Configuration > Policies > Windows Settings >
  Scripts > Startup): \\server\share\<this folder>\install.cmd. It runs as SYSTEM at each
  start; once the customization is in place it changes nothing.
Plain remote shell (PsExec -s, PowerShell remoting, ssh), in an elevated session:
  "\\server\share\<this folder>\install.cmd"
  echo %errorlevel%
  "\\server\share\<this folder>\detect.cmd"
  "\\server\share\<this folder>\uninstall.cmd"
)";

}  // namespace

const std::vector<PackageText>& PackageTexts()
{
    static const std::vector<PackageText> texts = {
        {"install.cmd", ProgramScript("install.cmd", kInstallComment, "/apply \"%~dp0Customization\" /installed")},
        {"uninstall.cmd", ProgramScript("uninstall.cmd", kUninstallComment, "/restore /installed")},
        {"detect.cmd", kDetect},
        {"README.txt", kReadme}};
    return texts;
}
