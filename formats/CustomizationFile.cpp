#include "formats/CustomizationFile.h"

namespace nb::reg {

bool ReadCustomizationFile(std::string_view bytes, std::vector<CustomizationValue>& values, RegReadError& error)
{
    std::vector<RegSection> sections;
    if (!ReadRegFile(bytes, sections, error))
        return false;
    std::vector<CustomizationValue> result;
    for (const RegSection& section : sections) {
        const layout::ExportSection* known = layout::FindExportSection(section.key);
        if (!known) {
            error = {section.line, "the key is not one of the customization's keys: " + section.key};
            return false;
        }
        for (const RegValue& value : section.values) {
            std::string name = layout::FindExportValueName(*known, value.name);
            if (name.empty()) {
                error = {value.line, "the value is not one of the customization's values: " + value.name};
                return false;
            }
            for (const CustomizationValue& earlier : result) {
                if (earlier.pSection == known && earlier.name == name) {
                    error = {value.line, "the value is given twice: " + value.name};
                    return false;
                }
            }
            result.push_back({known, name, value.text, value.line});
        }
    }
    values = std::move(result);
    return true;
}

}  // namespace nb::reg
