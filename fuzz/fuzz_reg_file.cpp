// libFuzzer target: the customization file reader must accept or refuse any bytes without a
// fault, and what it accepts is only the export's text values.
#include "formats/CustomizationFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<nb::reg::CustomizationValue> values;
    nb::reg::RegReadError error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Read in two pieces, the file gives the same answer as read whole.
    nb::reg::CRegFileReader pieces;
    const bool bPiecesRead = pieces.Feed(bytes.substr(0, size / 2)) && pieces.Feed(bytes.substr(size / 2)) &&
                             pieces.Finish();
    std::vector<nb::reg::RegSection> sections;
    if (bPiecesRead != nb::reg::ReadRegFile(bytes, sections, error))
        std::abort();
    if (nb::reg::ReadCustomizationFile(bytes, values, error)) {
        for (const auto& value : values)
            if (!value.pSection || value.name.empty() || value.text.find('\0') != std::string::npos)
                std::abort();
    } else if (error.line < 1 || error.reason.empty()) {
        std::abort();
    }
    return 0;
}
