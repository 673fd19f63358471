// The registry file of a customization folder, checked against the export's own layout:
// only the export's sections and value names, each at most once, and only as text, and
// every one of them.
// Portable: no platform types.
#pragma once

#include "formats/ExportLayout.h"
#include "formats/RegFileReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace nb::reg {

struct CustomizationValue {
    const layout::ExportSection* pSection = nullptr;
    std::string name;  // as the export spells it
    std::string text;
    int line = 0;
};

// True and the values in file order when the file is valid and names only the export's keys
// and values; otherwise false and the line at fault.
bool ReadCustomizationFile(std::string_view bytes, std::vector<CustomizationValue>& values, RegReadError& error);
// The same for a file already read into its sections.
bool ReadCustomizationSections(const std::vector<RegSection>& sections, std::vector<CustomizationValue>& values,
                               RegReadError& error);

// An export holds every value of every section: empty when values hold them all, otherwise
// what they lack (whole sections named first; a file cut short lacks its last lines).
std::string FindMissingExportParts(const std::vector<CustomizationValue>& values);

}  // namespace nb::reg
