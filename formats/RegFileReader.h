// A strict reader of the REGEDIT4 files that the export writes: the header line, section
// lines, value lines with a quoted text (escapes \\ and \" only) or a hex(1): text with
// continuation lines, empty lines, LF or CR LF line ends. Anything else is refused with its
// line number. The file may be fed in pieces of any size: the reader holds the values read
// so far and one line, never the whole file. Portable: no platform types.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nb::reg {

// The largest registry file accepted: far more than any export of the tool's 98 values.
inline constexpr std::size_t kMaxRegFileBytes = 16 * 1024 * 1024;

struct RegValue {
    std::string name;
    std::string text;  // the text without its terminating zero
    int line = 0;
};

struct RegSection {
    std::string key;  // between the brackets
    int line = 0;
    std::vector<RegValue> values;
};

struct RegReadError {
    int line = 0;  // 1-based; the line at fault
    std::string reason;
};

class CRegFileReader {
public:
    // Reads the next bytes of the file; false at the first fault (see Error).
    bool Feed(std::string_view bytes);
    // Ends the file; false when it ends inside a line or was refused.
    bool Finish();
    const RegReadError& Error() const { return m_error; }
    // The sections in file order, once Finish succeeded.
    std::vector<RegSection> TakeSections() { return std::move(m_sections); }

private:
    bool Fail(std::string reason);
    bool FailAtCarriageReturn(std::string_view line);
    bool ReadLine(std::string_view line);
    bool ReadValueLine(std::string_view line);
    bool ReadHexBytes(std::string_view line, size_t pos);

    std::vector<RegSection> m_sections;
    std::string m_strLine;  // the line being read, without its line end
    std::size_t m_nBytes = 0;
    int m_nLine = 1;        // the number of m_strLine
    bool m_bFailed = false;
    bool m_bInHexText = false;  // a hex(1) text goes on in the next line
    std::string m_strHexBytes;
    RegReadError m_error;
};

// True and the sections in file order when the whole file is valid; otherwise false and why.
bool ReadRegFile(std::string_view bytes, std::vector<RegSection>& sections, RegReadError& error);

}  // namespace nb::reg
