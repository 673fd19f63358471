// The registry file of a customization folder, checked against the export's own layout:
// only the export's sections and value names, each at most once, and only as text.
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

}  // namespace nb::reg
