#include "formats/ExportLayout.h"

#include "config/RegistrySchema.h"
#include "formats/TextCase.h"

#include <algorithm>
#include <cctype>

namespace nb::layout {

namespace {

// A key's header as the export file spells it: the root's full name, then the path below it
// with its first part in capitals ("SOFTWARE"), as the registry editor writes it.
std::string HeaderOf(Root root, std::string_view subkey)
{
    const std::size_t firstEnd = std::min(subkey.find('\\'), subkey.size());
    std::string header = root == Root::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\";
    for (char c : subkey.substr(0, firstEnd))
        header += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    header += subkey.substr(firstEnd);
    return header;
}

ExportSection MakeSection(Root root, const char* subkey, std::vector<std::string> names, bool bFixedTrue = false)
{
    return {HeaderOf(root, subkey), root, subkey, std::move(names), bFixedTrue};
}

std::vector<ExportSection> MakeSections()
{
    std::vector<std::string> categoryValues{RegValues::InformationSource};
    categoryValues.insert(categoryValues.end(), RegValues::Topics.begin(), RegValues::Topics.end());
    categoryValues.push_back(RegValues::LaunchableItem);
    categoryValues.push_back(RegValues::MaxSubTopicNum);
    const std::vector<std::string> switches{RegValues::ShowCdDialog, RegValues::ShowInetDialog};
    std::vector<std::string> mainTexts(RegValues::Buttons.begin(), RegValues::Buttons.end());
    mainTexts.insert(mainTexts.end(), RegValues::Urls.begin(), RegValues::Urls.end());

    std::vector<ExportSection> sections{
        MakeSection(Root::LocalMachine, RegKeys::HotkeyButton, {RegValues::DispName, RegValues::File}),
        MakeSection(Root::CurrentUser, RegKeys::UserAssistant, switches, true),
        MakeSection(Root::LocalMachine, RegKeys::Assistant, switches, true),
        MakeSection(Root::LocalMachine, RegKeys::Control,
                    {RegValues::HelpFile, RegValues::TopLevelIndent, RegValues::SubLevelIndent,
                     RegValues::UseAnimations})};
    for (const char* category : RegKeys::Categories)
        sections.push_back(MakeSection(Root::LocalMachine, category, categoryValues));
    for (const char* webLink : RegKeys::WebLinks)
        sections.push_back(
            MakeSection(Root::LocalMachine, webLink, {RegValues::InformationSource, RegValues::LaunchableItem}));
    sections.push_back(MakeSection(Root::LocalMachine, RegKeys::CdDialogTexts,
                                   {RegValues::Texts.begin(), RegValues::Texts.end()}));
    sections.push_back(MakeSection(Root::LocalMachine, RegKeys::InternetDialogTexts,
                                   {RegValues::Texts[0], RegValues::Texts[1], RegValues::Texts[2], RegValues::ShowMe,
                                    RegValues::TryAgain, RegValues::Cancel}));
    sections.push_back(MakeSection(Root::LocalMachine, RegKeys::MainTexts, mainTexts));
    return sections;
}

}  // namespace

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
