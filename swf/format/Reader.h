// Reads the SWF encodings (little-endian integers, bit fields, records) from a byte range.
// Reading past the end throws FormatError, so a truncated file is refused wherever it ends.
#pragma once

#include "swf/base/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace swf {

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : m_p(data), m_size(size) {}

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t S16() { return static_cast<int16_t>(U16()); }
    // Bit fields, most significant bit first; the next byte read aligns to a byte.
    uint32_t UB(int bits);
    int32_t SB(int bits);
    void Align() { m_nBits = 0; }

    Rect ReadRect();
    Matrix ReadMatrix();
    CxForm ReadCxForm(bool withAlpha);
    Rgba ReadRgb();
    Rgba ReadRgba();
    std::string ReadString();  // zero-terminated

    std::size_t Pos() const { return m_pos; }
    std::size_t Remaining() const { return m_size - m_pos; }
    const uint8_t* Here() const { return m_p + m_pos; }
    void Skip(std::size_t n);
    // A reader over the next n bytes; this one moves past them.
    Reader Sub(std::size_t n);

private:
    void Need(std::size_t n) const;

    const uint8_t* m_p;
    std::size_t m_size;
    std::size_t m_pos = 0;
    uint32_t m_bitBuf = 0;
    int m_nBits = 0;
};

}  // namespace swf
