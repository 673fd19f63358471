// The sections of the export file and their value lines, in file order: what the export
// writer writes and the only keys and values that applying a customization accepts.
// Portable: no platform types.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nb::layout {

enum class Root { LocalMachine, CurrentUser };

struct ExportSection {
    std::string header;   // between the brackets, as the file spells it
    Root root;
    std::string subkey;   // below the root, as the program opens it
    std::vector<std::string> names;  // value names, in file order
    bool bFixedTrue;      // every value is written as "TRUE" rather than read
};

// The full export's sections; the short export is the first one only.
const std::vector<ExportSection>& ExportSections();

// The section with that header, compared without regard to case; null when none.
const ExportSection* FindExportSection(std::string_view header);
// The value name as the section spells it, found without regard to case; empty when none.
std::string FindExportValueName(const ExportSection& section, std::string_view name);

}  // namespace nb::layout
