#include "formats/RegFileReader.h"

#include <optional>

namespace nb::reg {

namespace {

constexpr std::string_view kHeaderLine = "REGEDIT4";
constexpr std::string_view kNewerHeaderLine = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHexTextPrefix = "hex(1):";
constexpr const char* kHowToSave =
    "save the keys in the registry editor as \"Win9x/NT4 Registration Files (*.reg)\", or write the file with "
    "NbCustomize.exe /export";

// Newer registry editors save UTF-16 text, which starts with a byte-order mark and holds zero
// bytes between the letters.
bool LooksLikeUtf16(std::string_view line)
{
    return line.starts_with("\xff\xfe") || line.starts_with("\xfe\xff") || line.find('\0') != std::string_view::npos;
}

// Reads a quoted string starting at pos (at the opening quote); the position after the
// closing quote, or nothing with the reason.
std::optional<size_t> ReadQuoted(std::string_view line, size_t pos, std::string& text, std::string& reason)
{
    if (pos >= line.size() || line[pos] != '"') {
        reason = "a quoted text was expected";
        return std::nullopt;
    }
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"')
            return pos + 1;
        if (c == '\0') {
            reason = "a zero byte inside a text";
            return std::nullopt;
        }
        if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                reason = "a backslash must be followed by a backslash or a double quote";
                return std::nullopt;
            }
            c = line[++pos];
        }
        text += c;
    }
    reason = "a quoted text is not closed";
    return std::nullopt;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ReadSectionLine(std::string_view line, std::string& key, std::string& reason)
{
    if (line.size() < 3 || line.back() != ']') {
        reason = "a section line must end with ]";
        return false;
    }
    std::string_view inner = line.substr(1, line.size() - 2);
    if (inner.front() == '-') {
        reason = "deleting a key is not accepted";
        return false;
    }
    for (char c : inner) {
        if (c < 0x20 || c > 0x7e || c == '[' || c == ']') {
            reason = "a key name may hold only printable characters other than [ and ]";
            return false;
        }
    }
    key = inner;
    return true;
}

}  // namespace

bool CRegFileReader::Fail(std::string reason)
{
    m_bFailed = true;
    m_error = {m_nLine, std::move(reason)};
    return false;
}

bool CRegFileReader::Feed(std::string_view bytes)
{
    if (m_bFailed)
        return false;
    if (bytes.size() > kMaxRegFileBytes - m_nBytes)
        return Fail("the file is larger than " + std::to_string(kMaxRegFileBytes / (1024 * 1024)) +
                    " MB, far more than any export holds");
    m_nBytes += bytes.size();
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = bytes.find('\n', pos);
        const std::string_view part = bytes.substr(pos, end == std::string_view::npos ? end : end - pos);
        // A carriage return may stand only right before a line feed.
        const size_t cr = part.find('\r');
        const bool bCrBefore = !m_strLine.empty() && m_strLine.back() == '\r';
        if ((bCrBefore && !part.empty()) || (cr != std::string_view::npos && cr + 1 < part.size()))
            return FailAtCarriageReturn(m_strLine + std::string(part));
        if (end == std::string_view::npos) {
            m_strLine += part;
            break;
        }
        std::string_view line = part;
        if (!m_strLine.empty()) {
            m_strLine += part;
            line = m_strLine;
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!ReadLine(line))
            return false;
        m_strLine.clear();
        ++m_nLine;
        pos = end + 1;
    }
    return true;
}

bool CRegFileReader::FailAtCarriageReturn(std::string_view line)
{
    if (m_nLine > 1)
        return Fail("a carriage return inside a line");
    if (LooksLikeUtf16(line))
        return Fail(std::string("the file is UTF-16 text, not the REGEDIT4 text form: ") + kHowToSave);
    return Fail("the lines end in carriage returns alone, not in the line feeds of the REGEDIT4 text form: "
                "save the file again with Windows (CR LF) or Unix (LF) line ends");
}

bool CRegFileReader::Finish()
{
    if (m_bFailed)
        return false;
    if (!m_strLine.empty())
        return Fail("the file ends inside a line");
    if (m_nLine == 1)
        return Fail("the file must start with the line REGEDIT4");
    if (m_bInHexText) {
        --m_nLine;
        return Fail("the file ends inside a continued line");
    }
    return true;
}

bool CRegFileReader::ReadLine(std::string_view line)
{
    if (m_bInHexText) {
        const size_t pos = line.find_first_not_of(' ');
        if (pos == 0 || pos == std::string_view::npos)
            return Fail("a continuation line must start with blanks and hold bytes");
        return ReadHexBytes(line, pos);
    }
    if (m_nLine == 1) {
        if (LooksLikeUtf16(line))
            return Fail(std::string("the file is UTF-16 text, not the REGEDIT4 text form: ") + kHowToSave);
        if (line == kNewerHeaderLine)
            return Fail(std::string("the file is in a newer registry editor's form, not REGEDIT4: ") + kHowToSave);
        if (line != kHeaderLine)
            return Fail("the file must start with the line REGEDIT4");
        return true;
    }
    if (line.empty())
        return true;
    if (line.front() == '[') {
        RegSection section;
        section.line = m_nLine;
        std::string reason;
        if (!ReadSectionLine(line, section.key, reason))
            return Fail(reason);
        m_sections.push_back(std::move(section));
        return true;
    }
    if (line.front() != '"')
        return Fail("a section line, a value line or an empty line was expected");
    if (m_sections.empty())
        return Fail("a value line before the first section");
    return ReadValueLine(line);
}

bool CRegFileReader::ReadValueLine(std::string_view line)
{
    RegValue value;
    value.line = m_nLine;
    std::string reason;
    std::optional<size_t> pos = ReadQuoted(line, 0, value.name, reason);
    if (!pos)
        return Fail(reason);
    if (value.name.empty())
        return Fail("a value name must not be empty");
    if (line.substr(*pos, 1) != "=")
        return Fail("= was expected after the value name");
    ++*pos;
    std::vector<RegValue>& values = m_sections.back().values;
    if (line.substr(*pos, 1) == "\"") {
        pos = ReadQuoted(line, *pos, value.text, reason);
        if (!pos)
            return Fail(reason);
        if (*pos != line.size())
            return Fail("nothing may follow the closing double quote");
        values.push_back(std::move(value));
        return true;
    }
    if (line.substr(*pos, kHexTextPrefix.size()) != kHexTextPrefix)
        return Fail("only text values are accepted (a quoted text or hex(1):)");
    values.push_back(std::move(value));
    m_strHexBytes.clear();
    return ReadHexBytes(line, *pos + kHexTextPrefix.size());
}

// The bytes of a hex(1): list from pos; a line ending in ",\" goes on in the next line. The
// text is the bytes before the one terminating zero, which must come last.
bool CRegFileReader::ReadHexBytes(std::string_view line, size_t pos)
{
    m_bInHexText = false;
    for (;;) {
        if (pos + 2 > line.size() || HexDigit(line[pos]) < 0 || HexDigit(line[pos + 1]) < 0)
            return Fail("two hexadecimal digits were expected");
        m_strHexBytes += static_cast<char>(HexDigit(line[pos]) * 16 + HexDigit(line[pos + 1]));
        pos += 2;
        if (pos == line.size())
            break;
        if (line[pos] != ',')
            return Fail("a comma was expected between hexadecimal bytes");
        ++pos;
        if (pos + 1 == line.size() && line[pos] == '\\') {
            m_bInHexText = true;
            return true;
        }
    }
    if (m_strHexBytes.back() != '\0' || m_strHexBytes.find('\0') != m_strHexBytes.size() - 1)
        return Fail("a hex(1) text must end with its one terminating zero byte");
    m_strHexBytes.pop_back();
    m_sections.back().values.back().text = std::move(m_strHexBytes);
    m_strHexBytes.clear();
    return true;
}

bool ReadRegFile(std::string_view bytes, std::vector<RegSection>& sections, RegReadError& error)
{
    CRegFileReader reader;
    if (!reader.Feed(bytes) || !reader.Finish()) {
        error = reader.Error();
        return false;
    }
    sections = reader.TakeSections();
    return true;
}

}  // namespace nb::reg
