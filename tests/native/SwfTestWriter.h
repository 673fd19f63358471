// Writes small SWF movies in memory for the player's tests and the fuzz seeds: bit fields,
// records, shapes and tags, in the few forms the tests need.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace swftest {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes U16(unsigned v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}; }
inline Bytes U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
inline Bytes Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) { return {r, g, b, a}; }
inline Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()) + Bytes{0}; }

class Bits {
public:
    Bits& UB(uint32_t v, int n)
    {
        for (int i = n - 1; i >= 0; --i) {
            if (m_n % 8 == 0)
                m_out.push_back(0);
            m_out.back() |= static_cast<uint8_t>((v >> i & 1) << (7 - m_n % 8));
            ++m_n;
        }
        return *this;
    }
    Bits& SB(int32_t v, int n) { return UB(static_cast<uint32_t>(v) & ((n < 32 ? 1u << n : 0u) - 1), n); }
    Bytes Done() const { return m_out; }

private:
    Bytes m_out;
    int m_n = 0;
};

inline int NBits(std::initializer_list<int32_t> values)
{
    int n = 1;
    for (int32_t v : values) {
        int bits = 1;
        for (int32_t m = v < 0 ? ~v : v; m; m >>= 1)
            ++bits;
        n = std::max(n, bits);
    }
    return n;
}

inline Bytes Rect(int x0, int x1, int y0, int y1)
{
    const int n = NBits({x0, x1, y0, y1});
    return Bits().UB(n, 5).SB(x0, n).SB(x1, n).SB(y0, n).SB(y1, n).Done();
}

// Scale (16.16) and translation (twips).
inline Bytes Matrix(int tx = 0, int ty = 0, double sx = 1, double sy = 1)
{
    Bits b;
    const int a = static_cast<int>(sx * 65536), d = static_cast<int>(sy * 65536);
    if (a != 65536 || d != 65536) {
        const int n = NBits({a, d});
        b.UB(1, 1).UB(n, 5).SB(a, n).SB(d, n);
    } else {
        b.UB(0, 1);
    }
    const int n = NBits({tx, ty});
    b.UB(0, 1).UB(n, 5).SB(tx, n).SB(ty, n);
    return b.Done();
}

inline Bytes Tag(int code, const Bytes& body)
{
    if (body.size() < 63)
        return U16(code << 6 | static_cast<int>(body.size())) + body;
    return U16(code << 6 | 63) + U32(static_cast<uint32_t>(body.size())) + body;
}
inline Bytes ShowFrame() { return Tag(1, {}); }

// Shape records; style indices are 1-based, 0 clears, -1 leaves unchanged.
class Edges {
public:
    Edges(int fillBits = 2, int lineBits = 1) : m_fb(fillBits), m_lb(lineBits) { m_b.UB(fillBits, 4).UB(lineBits, 4); }
    Edges& Move(int x, int y, int fill0 = -1, int fill1 = -1, int line = -1)
    {
        const int n = NBits({x, y});
        m_b.UB(0, 1).UB(1 | (fill0 >= 0) << 1 | (fill1 >= 0) << 2 | (line >= 0) << 3, 5).UB(n, 5).SB(x, n).SB(y, n);
        if (fill0 >= 0)
            m_b.UB(fill0, m_fb);
        if (fill1 >= 0)
            m_b.UB(fill1, m_fb);
        if (line >= 0)
            m_b.UB(line, m_lb);
        return *this;
    }
    Edges& Line(int dx, int dy)
    {
        const int n = std::max(2, NBits({dx, dy}));
        m_b.UB(3, 2).UB(n - 2, 4).UB(1, 1).SB(dx, n).SB(dy, n);
        return *this;
    }
    Edges& Curve(int cx, int cy, int ax, int ay)
    {
        const int n = std::max(2, NBits({cx, cy, ax, ay}));
        m_b.UB(2, 2).UB(n - 2, 4).SB(cx, n).SB(cy, n).SB(ax, n).SB(ay, n);
        return *this;
    }
    // A rectangle drawn clockwise on screen from its top left corner.
    Edges& Box(int x, int y, int w, int h, int fill0, int fill1, int line = -1)
    {
        return Move(x, y, fill0, fill1, line).Line(w, 0).Line(0, h).Line(-w, 0).Line(0, -h);
    }
    Bytes Done() { return m_b.UB(0, 6).Done(); }

private:
    Bits m_b;
    int m_fb, m_lb;
};

// Fill styles (DefineShape3: colours with alpha).
inline Bytes Solid(const Bytes& rgba) { return Bytes{0x00} + rgba; }
inline Bytes Gradient(uint8_t type, const Bytes& matrix, std::initializer_list<std::pair<uint8_t, Bytes>> stops,
                      uint8_t flags = 0)
{
    Bytes b = Bytes{type} + matrix + Bytes{static_cast<uint8_t>(flags | stops.size())};
    for (const auto& [ratio, color] : stops)
        b = b + Bytes{ratio} + color;
    return b;
}
inline Bytes BitmapFill(uint8_t type, unsigned id, const Bytes& matrix) { return Bytes{type} + U16(id) + matrix; }

// DefineShape3 (or 4) with the given fills, line styles (width, colour) and records.
inline Bytes Shape(unsigned id, std::initializer_list<Bytes> fills, const Bytes& records, int version = 3,
                   std::initializer_list<std::pair<unsigned, Bytes>> lines = {}, uint8_t shape4Flags = 0)
{
    Bytes b = U16(id) + Rect(-20000, 20000, -20000, 20000);
    if (version == 4)
        b = b + Rect(-20000, 20000, -20000, 20000) + Bytes{shape4Flags};
    b.push_back(static_cast<uint8_t>(fills.size()));
    for (const Bytes& f : fills)
        b = b + f;
    b.push_back(static_cast<uint8_t>(lines.size()));
    for (const auto& [width, color] : lines)
        b = b + U16(width) + (version == 4 ? Bytes{0, 0} : Bytes{}) + color;
    return Tag(version == 4 ? 83 : 32, b + records);
}

struct Place {
    Place(int depth_, int id_ = -1, int tx_ = 0, int ty_ = 0, bool move_ = false, int ratio_ = -1)
        : depth(depth_), id(id_), tx(tx_), ty(ty_), move(move_), ratio(ratio_)
    {
    }
    int depth;
    int id;  // -1: no character
    int tx, ty;
    bool move;
    int ratio;
    int clipDepth = 0;
    Bytes cxform;  // CXFORMWITHALPHA record, or empty
    double scale = 1;
};

inline Bytes PlaceObject2(const Place& p)
{
    const uint8_t flags = static_cast<uint8_t>(p.move | (p.id >= 0) << 1 | 4 | (!p.cxform.empty()) << 3 |
                                               (p.ratio >= 0) << 4 | (p.clipDepth > 0) << 6);
    Bytes b = Bytes{flags} + U16(p.depth);
    if (p.id >= 0)
        b = b + U16(p.id);
    b = b + Matrix(p.tx, p.ty, p.scale, p.scale) + p.cxform;
    if (p.ratio >= 0)
        b = b + U16(p.ratio);
    if (p.clipDepth > 0)
        b = b + U16(p.clipDepth);
    return Tag(26, b);
}
inline Bytes Remove(int depth) { return Tag(28, U16(depth)); }
inline Bytes DoAction(const Bytes& actions) { return Tag(12, actions + Bytes{0}); }
inline Bytes Label(const std::string& name) { return Tag(43, Str(name)); }

inline Bytes Zlib(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes packed(size);
    compress(packed.data(), &size, data.data(), static_cast<uLong>(data.size()));
    packed.resize(size);
    return packed;
}

// A whole movie of w x h pixels at 12 frames per second.
inline Bytes Movie(const Bytes& tags, int w = 100, int h = 100, char signature = 'F')
{
    const Bytes body = Rect(0, w * 20, 0, h * 20) + U16(12 << 8) + U16(1) + tags + Tag(0, {});
    Bytes out = {static_cast<uint8_t>(signature), 'W', 'S', 8};
    out = out + U32(static_cast<uint32_t>(8 + body.size()));
    if (signature != 'C')
        return out + body;
    return out + Zlib(body);
}

}  // namespace swftest
