#include "formats/ExportLayout.h"

#include "config/RegistrySchema.h"

#include <algorithm>
#include <cctype>

namespace nb::layout {

namespace {

const std::string kMachineRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II";

std::vector<ExportSection> MakeSections()
{
    const std::string control = kMachineRoot + "\\Control\\";
    std::vector<std::string> categoryValues{RegValues::InformationSource};
    categoryValues.insert(categoryValues.end(), RegValues::Topics.begin(), RegValues::Topics.end());
    categoryValues.push_back(RegValues::LaunchableItem);
    categoryValues.push_back(RegValues::MaxSubTopicNum);
    const std::vector<std::string> switches{RegValues::ShowCdDialog, RegValues::ShowInetDialog};

    std::vector<ExportSection> sections{
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\NBHOTKEY\\8001", Root::LocalMachine, RegKeys::HotkeyButton,
         {RegValues::DispName, RegValues::File}, false},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Corvane\\Access Nimbook II", Root::CurrentUser, RegKeys::UserAssistant,
         switches, true},
        {kMachineRoot, Root::LocalMachine, RegKeys::Assistant, switches, true},
        {kMachineRoot + "\\Control", Root::LocalMachine, RegKeys::Control,
         {RegValues::HelpFile, RegValues::TopLevelIndent, RegValues::SubLevelIndent, RegValues::UseAnimations},
         false}};
    for (size_t i = 0; i < RegKeys::Categories.size(); ++i)
        sections.push_back({control + RegKeys::CategorySubkeys[i], Root::LocalMachine, RegKeys::Categories[i],
                            categoryValues, false});
    for (size_t i = 0; i < RegKeys::WebLinks.size(); ++i)
        sections.push_back({control + RegKeys::WebLinkSubkeys[i], Root::LocalMachine, RegKeys::WebLinks[i],
                            {RegValues::InformationSource, RegValues::LaunchableItem}, false});
    sections.push_back({kMachineRoot + "\\Text\\CDDlg", Root::LocalMachine, RegKeys::CdDialogTexts,
                        {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5"}, false});
    sections.push_back({kMachineRoot + "\\Text\\InternetDlg", Root::LocalMachine, RegKeys::InternetDialogTexts,
                        {"TEXT1", "TEXT2", "TEXT3", RegValues::ShowMe, RegValues::TryAgain, RegValues::Cancel},
                        false});
    sections.push_back({kMachineRoot + "\\Text\\MainDlg", Root::LocalMachine, RegKeys::MainTexts,
                        {"Button1", "Button2", "Button3", "Button4", "Button5", "URL1", "URL2", "URL3", "URL4"},
                        false});
    return sections;
}

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

const std::vector<ExportSection>& ExportSections()
{
    static const std::vector<ExportSection> sections = MakeSections();
    return sections;
}

const ExportSection* FindExportSection(std::string_view header)
{
    for (const ExportSection& section : ExportSections())
        if (EqualNoCase(section.header, header))
            return &section;
    return nullptr;
}

std::string FindExportValueName(const ExportSection& section, std::string_view name)
{
    for (const std::string& known : section.names)
        if (EqualNoCase(known, name))
            return known;
    return std::string();
}

}  // namespace nb::layout
