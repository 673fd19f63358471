#include "formats/CustomizationFile.h"

namespace nb::reg {

bool ReadCustomizationFile(std::string_view bytes, std::vector<CustomizationValue>& values, RegReadError& error)
{
    std::vector<RegSection> sections;
    return ReadRegFile(bytes, sections, error) && ReadCustomizationSections(sections, values, error);
}

bool ReadCustomizationSections(const std::vector<RegSection>& sections, std::vector<CustomizationValue>& values,
                               RegReadError& error)
{
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

std::string FindMissingExportParts(const std::vector<CustomizationValue>& values)
{
    std::string sections;
    std::string names;
    for (const layout::ExportSection& section : layout::ExportSections()) {
        std::string lacking;
        size_t found = 0;
        for (const std::string& name : section.names) {
            bool given = false;
            for (const CustomizationValue& value : values)
                given = given || (value.pSection == &section && value.name == name);
            found += given ? 1 : 0;
            if (!given)
                lacking += (lacking.empty() ? "" : ", ") + name;
        }
        if (found == 0)
            sections += (sections.empty() ? "[" : ", [") + section.header + "]";
        else if (!lacking.empty())
            names += (names.empty() ? "[" : "; [") + section.header + "] " + lacking;
    }
    if (!sections.empty())
        return "lacks sections of the export: " + sections;
    if (!names.empty())
        return "lacks values of the export: " + names;
    return std::string();
}

}  // namespace nb::reg
