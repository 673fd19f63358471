#include "formats/RegFileReader.h"

#include <optional>

namespace nb::reg {

namespace {

// The file split into lines without their line ends; false when a CR stands alone or the
// last line has no line end (a cut file).
bool SplitLines(std::string_view bytes, std::vector<std::string_view>& lines, RegReadError& error)
{
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            error = {static_cast<int>(lines.size()) + 1, "the file ends inside a line"};
            return false;
        }
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) {
            error = {static_cast<int>(lines.size()) + 1, "a carriage return inside a line"};
            return false;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return true;
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

// Reads the bytes of a hex(1): list from lines[index] at pos, following continuation lines
// (a line ending in ",\"); index ends at the list's last line. The text is the bytes before
// the one terminating zero, which must come last.
bool ReadHexText(const std::vector<std::string_view>& lines, size_t& index, size_t pos, std::string& text,
                 std::string& reason)
{
    std::string bytes;
    std::string_view line = lines[index];
    for (;;) {
        if (pos + 2 > line.size() || HexDigit(line[pos]) < 0 || HexDigit(line[pos + 1]) < 0) {
            reason = "two hexadecimal digits were expected";
            return false;
        }
        bytes += static_cast<char>(HexDigit(line[pos]) * 16 + HexDigit(line[pos + 1]));
        pos += 2;
        if (pos == line.size())
            break;
        if (line[pos] != ',') {
            reason = "a comma was expected between hexadecimal bytes";
            return false;
        }
        ++pos;
        if (pos + 1 == line.size() && line[pos] == '\\') {
            if (index + 1 >= lines.size()) {
                reason = "the file ends inside a continued line";
                return false;
            }
            line = lines[++index];
            pos = line.find_first_not_of(' ');
            if (pos == 0 || pos == std::string_view::npos) {
                reason = "a continuation line must start with blanks and hold bytes";
                return false;
            }
        }
    }
    if (bytes.back() != '\0' || bytes.find('\0') != bytes.size() - 1) {
        reason = "a hex(1) text must end with its one terminating zero byte";
        return false;
    }
    bytes.pop_back();
    text = bytes;
    return true;
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

bool ReadRegFile(std::string_view bytes, std::vector<RegSection>& sections, RegReadError& error)
{
    std::vector<std::string_view> lines;
    if (!SplitLines(bytes, lines, error))
        return false;
    if (lines.empty() || lines[0] != "REGEDIT4") {
        error = {1, "the file must start with the line REGEDIT4"};
        return false;
    }
    std::vector<RegSection> result;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const int number = static_cast<int>(i) + 1;
        std::string reason;
        if (line.empty())
            continue;
        if (line.front() == '[') {
            RegSection section;
            section.line = number;
            if (!ReadSectionLine(line, section.key, reason)) {
                error = {number, reason};
                return false;
            }
            result.push_back(section);
            continue;
        }
        if (line.front() != '"') {
            error = {number, "a section line, a value line or an empty line was expected"};
            return false;
        }
        if (result.empty()) {
            error = {number, "a value line before the first section"};
            return false;
        }
        RegValue value;
        value.line = number;
        std::optional<size_t> pos = ReadQuoted(line, 0, value.name, reason);
        if (pos && value.name.empty()) {
            reason = "a value name must not be empty";
            pos.reset();
        }
        if (pos && line.substr(*pos, 1) != "=") {
            reason = "= was expected after the value name";
            pos.reset();
        }
        if (pos) {
            ++*pos;
            const std::string_view hexPrefix = "hex(1):";
            if (line.substr(*pos, 1) == "\"") {
                pos = ReadQuoted(line, *pos, value.text, reason);
                if (pos && *pos != line.size()) {
                    reason = "nothing may follow the closing double quote";
                    pos.reset();
                }
            } else if (line.substr(*pos, hexPrefix.size()) == hexPrefix) {
                if (!ReadHexText(lines, i, *pos + hexPrefix.size(), value.text, reason))
                    pos.reset();
            } else {
                reason = "only text values are accepted (a quoted text or hex(1):)";
                pos.reset();
            }
        }
        if (!pos) {
            error = {static_cast<int>(i) + 1, reason};  // a continued value fails on its own line
            return false;
        }
        result.back().values.push_back(value);
    }
    sections = std::move(result);
    return true;
}

}  // namespace nb::reg
