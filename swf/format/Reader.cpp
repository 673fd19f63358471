#include "swf/format/Reader.h"

namespace swf {

void Reader::Need(std::size_t n) const
{
    if (n > m_size - m_pos)
        throw FormatError("the movie is truncated");
}

uint8_t Reader::U8()
{
    Align();
    Need(1);
    return m_p[m_pos++];
}

uint16_t Reader::U16()
{
    const uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
}

uint32_t Reader::U32()
{
    const uint32_t lo = U16();
    return lo | static_cast<uint32_t>(U16()) << 16;
}

uint32_t Reader::UB(int bits)
{
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i) {
        if (m_nBits == 0) {
            Need(1);
            m_bitBuf = m_p[m_pos++];
            m_nBits = 8;
        }
        --m_nBits;
        v = v << 1 | (m_bitBuf >> m_nBits & 1);
    }
    return v;
}

int32_t Reader::SB(int bits)
{
    if (bits == 0)
        return 0;
    const uint32_t v = UB(bits);
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((v ^ sign) - sign);
}

Rect Reader::ReadRect()
{
    Align();
    const int n = static_cast<int>(UB(5));
    Rect r;
    r.xMin = SB(n);
    r.xMax = SB(n);
    r.yMin = SB(n);
    r.yMax = SB(n);
    Align();
    return r;
}

Matrix Reader::ReadMatrix()
{
    Align();
    Matrix m;
    if (UB(1)) {
        const int n = static_cast<int>(UB(5));
        m.a = SB(n) / 65536.0;
        m.d = SB(n) / 65536.0;
    }
    if (UB(1)) {
        const int n = static_cast<int>(UB(5));
        m.b = SB(n) / 65536.0;
        m.c = SB(n) / 65536.0;
    }
    const int n = static_cast<int>(UB(5));
    m.tx = SB(n);
    m.ty = SB(n);
    Align();
    return m;
}

CxForm Reader::ReadCxForm(bool withAlpha)
{
    Align();
    CxForm cx;
    const bool hasAdd = UB(1);
    const bool hasMul = UB(1);
    const int n = static_cast<int>(UB(4));
    const int channels = withAlpha ? 4 : 3;
    if (hasMul)
        for (int i = 0; i < channels; ++i)
            cx.mul[i] = SB(n);
    if (hasAdd)
        for (int i = 0; i < channels; ++i)
            cx.add[i] = SB(n);
    Align();
    return cx;
}

Rgba Reader::ReadRgb()
{
    Rgba c;
    c.r = U8();
    c.g = U8();
    c.b = U8();
    return c;
}

Rgba Reader::ReadRgba()
{
    Rgba c = ReadRgb();
    c.a = U8();
    return c;
}

std::string Reader::ReadString()
{
    Align();
    std::string s;
    for (uint8_t c = U8(); c != 0; c = U8())
        s += static_cast<char>(c);
    return s;
}

void Reader::Skip(std::size_t n)
{
    Align();
    Need(n);
    m_pos += n;
}

Reader Reader::Sub(std::size_t n)
{
    Align();
    Need(n);
    Reader sub(m_p + m_pos, n);
    m_pos += n;
    return sub;
}

}  // namespace swf
