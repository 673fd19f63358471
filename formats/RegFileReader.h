// A strict reader of the REGEDIT4 files that the export writes: the header line, section
// lines, value lines with a quoted text (escapes \\ and \" only) or a hex(1): text with
// continuation lines, empty lines, LF or CR LF line ends. Anything else is refused with its
// line number. Portable: no platform types.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nb::reg {

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

// True and the sections in file order when the whole file is valid; otherwise false and why.
bool ReadRegFile(std::string_view bytes, std::vector<RegSection>& sections, RegReadError& error);

}  // namespace nb::reg
