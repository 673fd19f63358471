#include "formats/CustomizationFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using nb::reg::CustomizationValue;
using nb::reg::ReadCustomizationFile;
using nb::reg::RegReadError;

const std::string kHeader = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\MainDlg]\n";

std::string SampleExport()
{
    std::ifstream in(NB_SOURCE_DIR "/tests/data/sample-export.reg", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(RegFileReader, ReadsTheWholeSampleExportWithEitherLineEnd)
{
    std::string file = SampleExport();
    std::vector<CustomizationValue> values;
    RegReadError error;
    ASSERT_TRUE(ReadCustomizationFile(file, values, error)) << error.line << ": " << error.reason;
    ASSERT_EQ(98u, values.size());
    EXPECT_EQ("File", values[1].name);
    EXPECT_EQ("C:\\Program Files\\Corvane\\Access Nimbook II\\HLX.EXE", values[1].text);
    EXPECT_EQ("Button1", values[89].name);
    EXPECT_EQ(std::string::npos, file.find('\r'));

    std::string crlf;
    for (char c : file)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::vector<CustomizationValue> again;
    ASSERT_TRUE(ReadCustomizationFile(crlf, again, error)) << error.line << ": " << error.reason;
    EXPECT_EQ(values.back().text, again.back().text);
}

struct Accepted {
    std::string lines;  // after the header and the MainDlg section line
    std::string name;
    std::string text;
};

TEST(RegFileReader, ReadsAFileFedInPiecesAndRefusesOneOverTheCapAtOnce)
{
    const std::string file = SampleExport();
    nb::reg::CRegFileReader reader;
    for (char c : file)
        ASSERT_TRUE(reader.Feed(std::string_view(&c, 1)));
    ASSERT_TRUE(reader.Finish());
    EXPECT_EQ(16u, reader.TakeSections().size());

    nb::reg::CRegFileReader huge;
    EXPECT_TRUE(huge.Feed(file));
    EXPECT_FALSE(huge.Feed(std::string(nb::reg::kMaxRegFileBytes - file.size() + 1, '\n')));
    EXPECT_EQ("the file is larger than 16 MB, far more than any export holds", huge.Error().reason);
}

TEST(RegFileReader, AnExportLacksNoSectionAndNoValue)
{
    const std::string file = SampleExport();
    std::vector<CustomizationValue> values;
    RegReadError error;
    ASSERT_TRUE(ReadCustomizationFile(file, values, error));
    EXPECT_EQ("", nb::reg::FindMissingExportParts(values));
    const std::string mainTexts = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\MainDlg]";
    const std::pair<size_t, std::string> cuts[] = {
        {file.find("\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\InternetDlg]") + 1,
         "lacks sections of the export: [HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Access Nimbook II\\Text\\InternetDlg], " + mainTexts},
        {file.find("\"URL3\"=\"", file.find(mainTexts)), "lacks values of the export: " + mainTexts + " URL3, URL4"},
    };
    for (const auto& [at, missing] : cuts) {
        ASSERT_TRUE(ReadCustomizationFile(file.substr(0, at), values, error)) << error.reason;
        EXPECT_EQ(missing, nb::reg::FindMissingExportParts(values));
    }
}

TEST(RegFileReader, AcceptsEscapesHexTextsAndContinuationLines)
{
    const Accepted cases[] = {
        {"\"button1\"=\"a \\\\ b \\\"c\\\" \xe9\"\n", "Button1", "a \\ b \"c\" \xe9"},
        {"\"URL2\"=\"\"\n", "URL2", ""},
        {"\"URL3\"=hex(1):41,0d,0a,42,00\n", "URL3", "A\r\nB"},
        {"\"URL4\"=hex(1):41,\\\n  0A,42,\\\r\n  00\n", "URL4", "A\nB"},
    };
    for (const Accepted& c : cases) {
        std::vector<CustomizationValue> values;
        RegReadError error;
        ASSERT_TRUE(ReadCustomizationFile(kHeader + c.lines, values, error)) << c.lines << error.reason;
        ASSERT_EQ(1u, values.size());
        EXPECT_EQ(c.name, values[0].name);
        EXPECT_EQ(c.text, values[0].text);
    }
}

struct Refused {
    std::string file;
    int line;
    std::string reason;  // the start of the reason
};

TEST(RegFileReader, RefusesEverythingElseWithItsLineNumber)
{
    std::vector<Refused> cases = {
        {"", 1, "the file must start"},
        {"REGEDIT5\n", 1, "the file must start"},
        {"Windows Registry Editor Version 5.00\r\n", 1, "the file is in a newer registry editor's form, not REGEDIT4"},
        {std::string("\xff\xfeR\0E\0G\0\r\0\n\0", 12), 1, "the file is UTF-16 text, not the REGEDIT4 text form: save"},
        {std::string("R\0E\0G\0\n\0", 8), 1, "the file is UTF-16 text"},
        {"REGEDIT4\r\r[X]\r", 1, "the lines end in carriage returns alone"},
        {"REGEDIT4\n\"Button1\"=\"x\"\n", 2, "a value line before"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n", 2, "deleting a key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\exefile]\n", 2, "the key is not one of"},
    };
    // Lines after the header and the MainDlg section line, which is line 3.
    const Refused afterHeader[] = {
        {"\"Button1\"=\"cut", 4, "the file ends inside a line"},
        {"\"Button1\"=\"x\"\r\r\n", 4, "a carriage return"},
        {"\"Button1\"=\"unclosed\n", 4, "a quoted text is not closed"},
        {"\"Button1\"=\"C:\\Tools\"\n", 4, "a backslash must"},
        {"\"Button1\"=\"x\" \n", 4, "nothing may follow"},
        {"\"Button1\"=dword:00000001\n", 4, "only text values"},
        {"\"Button1\"=hex:41,00\n", 4, "only text values"},
        {"\"Button1\"=-\n", 4, "only text values"},
        {"@=\"x\"\n", 4, "a section line, a value line"},
        {"\"Button1\"=hex(1):41,42\n", 4, "a hex(1) text must end"},
        {"\"Button1\"=hex(1):41,00,42,00\n", 4, "a hex(1) text must end"},
        {"\"Button1\"=hex(1):41,\\\n", 4, "the file ends inside a continued"},
        {"\"Button1\"=hex(1):41,\\\nxx,00\n", 5, "a continuation line"},
        {"\"Button1\"=hex(1):4g,00\n", 4, "two hexadecimal digits"},
        {"\"TITLE\"=\"x\"\n", 4, "the value is not one of"},
        {"\"Button1\"=\"x\"\n\"BUTTON1\"=\"y\"\n", 5, "the value is given twice"},
        {"\"Button1\"=\"x\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Injected]\n", 5, "the key is not one of"},
    };
    for (const Refused& c : afterHeader)
        cases.push_back({kHeader + c.file, c.line, c.reason});
    for (const Refused& c : cases) {
        std::vector<CustomizationValue> values{CustomizationValue{}};
        RegReadError error;
        EXPECT_FALSE(ReadCustomizationFile(c.file, values, error)) << c.file;
        EXPECT_EQ(c.line, error.line) << c.file;
        EXPECT_EQ(0u, error.reason.find(c.reason)) << c.file << " gave: " << error.reason;
        EXPECT_EQ(1u, values.size()) << "a refused file leaves the result as it was";
    }
}

}  // namespace
