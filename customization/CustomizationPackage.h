// The package that carries the installation's customization to a fleet through the software
// distribution the administrators already run: a folder with the program, its Customization
// folder as /apply accepts it, install.cmd, uninstall.cmd, detect.cmd and README.txt.
#pragma once

#include "customization/CustomizationApply.h"

#include <string>

// Writes the package of the installation in base (its Customization folder, which must hold
// an export that /apply accepts) into the new or empty folder outdir; program is the file to
// carry as NbCustomize.exe. The package is written into a sibling folder and renamed at the
// end, so a failure leaves nothing behind. True when it was written; every line goes to report.
bool WriteCustomizationPackage(const std::string& base, const std::string& outdir, const std::string& program,
                               const ApplyReporter& report);
