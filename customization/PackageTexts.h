// The scripts and the instructions that a deployment package holds beside the program and its
// Customization folder, as text with line feeds (the writer ends their lines as cmd wants).
#pragma once

#include <string>
#include <vector>

struct PackageText {
    std::string name;  // the file's name in the package
    std::string text;
};

// install.cmd, uninstall.cmd, detect.cmd and README.txt, in that order.
const std::vector<PackageText>& PackageTexts();
