// Writes small SWF movies in memory for the player's tests and the fuzz seeds: bit fields,
// records, shapes and tags, in the few forms the tests need.
#pragma once

#include "swf/avm1/Actions.h"
#include "swf/format/TagIds.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <sstream>
#include <stdexcept>
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
inline Bytes ShowFrame() { return Tag(swf::tag::kShowFrame, {}); }

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
    return Tag(version == 4 ? swf::tag::kDefineShape4 : swf::tag::kDefineShape3, b + records);
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
    std::string name;  // instance name, or empty
};

inline Bytes PlaceObject2(const Place& p)
{
    const uint8_t flags = static_cast<uint8_t>(p.move | (p.id >= 0) << 1 | 4 | (!p.cxform.empty()) << 3 |
                                               (p.ratio >= 0) << 4 | (!p.name.empty()) << 5 |
                                               (p.clipDepth > 0) << 6);
    Bytes b = Bytes{flags} + U16(p.depth);
    if (p.id >= 0)
        b = b + U16(p.id);
    b = b + Matrix(p.tx, p.ty, p.scale, p.scale) + p.cxform;
    if (p.ratio >= 0)
        b = b + U16(p.ratio);
    if (!p.name.empty())
        b = b + Str(p.name);
    if (p.clipDepth > 0)
        b = b + U16(p.clipDepth);
    return Tag(swf::tag::kPlaceObject2, b);
}
inline Bytes Remove(int depth) { return Tag(swf::tag::kRemoveObject2, U16(depth)); }
inline Bytes DoAction(const Bytes& actions) { return Tag(swf::tag::kDoAction, actions + Bytes{0}); }
inline Bytes Label(const std::string& name) { return Tag(swf::tag::kFrameLabel, Str(name)); }

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
    const Bytes body = Rect(0, w * 20, 0, h * 20) + U16(12 << 8) + U16(1) + tags + Tag(swf::tag::kEnd, {});
    Bytes out = {static_cast<uint8_t>(signature), 'W', 'S', 8};
    out = out + U32(static_cast<uint32_t>(8 + body.size()));
    if (signature != 'C')
        return out + body;
    return out + Zlib(body);
}

// Action bytes from a line of assembly: statements separated by ';', each an action's assembler
// name (swf/avm1/Actions.h) with its operands: push 'text', 12, 1.5, true, null, undefined, r:2
// (register), c:0 (constant); pool 'a' 'b'; jump L; if L; L: (a label); goto 3; label 'x';
// store 2; with N / function headers take the byte count of the code that follows them: use Fn
// and With below.
inline Bytes Asm(const std::string& text)
{
    static const std::map<std::string, uint8_t> kOps = [] {
        std::map<std::string, uint8_t> ops;
        for (const swf::avm1::ActionInfo& a : swf::avm1::kActions)
            ops[std::string(a.assembler)] = static_cast<uint8_t>(a.code);
        return ops;
    }();
    Bytes out;
    std::map<std::string, std::size_t> labels;
    std::vector<std::pair<std::size_t, std::string>> fixups;  // offset field, label
    std::stringstream statements(text);
    std::string statement;
    while (std::getline(statements, statement, ';')) {
        std::stringstream in(statement);
        std::string op;
        if (!(in >> op))
            continue;
        if (op.back() == ':') {
            labels[op.substr(0, op.size() - 1)] = out.size();
            if (!(in >> op))
                continue;
        }
        const auto it = kOps.find(op);
        if (it == kOps.end())
            throw std::invalid_argument("unknown action " + op);
        Bytes data;
        std::string arg;
        for (;;) {
            while (in.peek() == ' ' || in.peek() == ',')
                in.get();
            if (in.peek() == EOF)
                break;
            if (in.peek() == '\'') {
                in.get();
                std::getline(in, arg, '\'');
                if (op == "push")
                    data.push_back(0);
                data = data + Str(arg);
                continue;
            }
            in >> arg;
            if (arg.back() == ',')
                arg.pop_back();
            if (op == "jump" || op == "if") {
                fixups.push_back({out.size() + 3, arg});
                data = U16(0);
            } else if (op == "goto" || op == "pool") {
                data = data + U16(std::stoi(arg));
            } else if (op == "store" || op == "gotoframe2") {
                data.push_back(static_cast<uint8_t>(std::stoi(arg)));
            } else if (arg == "true" || arg == "false") {
                data = data + Bytes{5, arg == "true"};
            } else if (arg == "null" || arg == "undefined") {
                data.push_back(arg == "null" ? 2 : 3);
            } else if (arg.rfind("r:", 0) == 0 || arg.rfind("c:", 0) == 0) {
                data = data + Bytes{static_cast<uint8_t>(arg[0] == 'r' ? 4 : 8), static_cast<uint8_t>(std::stoi(arg.substr(2)))};
            } else if (arg.find_first_of(".e") != std::string::npos) {
                const double v = std::stod(arg);
                uint64_t bits;
                std::memcpy(&bits, &v, 8);
                data = data + Bytes{6} + U32(static_cast<uint32_t>(bits >> 32)) + U32(static_cast<uint32_t>(bits));
            } else {
                data = data + Bytes{7} + U32(static_cast<uint32_t>(std::stol(arg)));
            }
        }
        out.push_back(it->second);
        if (it->second >= 0x80)
            out = out + U16(static_cast<unsigned>(data.size())) + data;
    }
    for (const auto& [at, label] : fixups) {
        const int offset = static_cast<int>(labels.at(label)) - static_cast<int>(at + 2);
        out[at] = static_cast<uint8_t>(offset);
        out[at + 1] = static_cast<uint8_t>(offset >> 8);
    }
    return out;
}

inline uint8_t Code(swf::avm1::Action action) { return static_cast<uint8_t>(action); }

// An action from 0x80 up: its code, the length of its operands, the operands.
inline Bytes Record(swf::avm1::Action action, const Bytes& data)
{
    return Bytes{Code(action)} + U16(static_cast<unsigned>(data.size())) + data;
}

// DefineFunction (version 1) with its body.
inline Bytes Fn(const std::string& name, std::initializer_list<std::string> params, const Bytes& body)
{
    Bytes data = Str(name) + U16(static_cast<unsigned>(params.size()));
    for (const std::string& p : params)
        data = data + Str(p);
    data = data + U16(static_cast<unsigned>(body.size()));
    return Record(swf::avm1::Action::kDefineFunction, data) + body;
}

// DefineFunction2 with its body; parameters go to registers 1, 2, ... after the preloads.
inline Bytes Fn2(const std::string& name, std::initializer_list<std::string> params, uint16_t flags,
                 uint8_t registers, const Bytes& body, uint8_t firstRegister = 1)
{
    Bytes data = Str(name) + U16(static_cast<unsigned>(params.size())) + Bytes{registers} + U16(flags);
    uint8_t r = firstRegister;
    for (const std::string& p : params)
        data = data + Bytes{r++} + Str(p);
    data = data + U16(static_cast<unsigned>(body.size()));
    return Record(swf::avm1::Action::kDefineFunction2, data) + body;
}

// With: the object on the stack is searched first by `body`.
inline Bytes With(const Bytes& body)
{
    return Record(swf::avm1::Action::kWith, U16(static_cast<unsigned>(body.size()))) + body;
}

// Try with a catch block into variable `name` and an optional finally block.
inline Bytes Try(const Bytes& body, const std::string& name, const Bytes& handler, const Bytes& finally = {})
{
    const Bytes data = Bytes{static_cast<uint8_t>(1 | (finally.empty() ? 0 : 2))} +
                       U16(static_cast<unsigned>(body.size())) + U16(static_cast<unsigned>(handler.size())) +
                       U16(static_cast<unsigned>(finally.size())) + Str(name);
    return Record(swf::avm1::Action::kTry, data) + body + handler + finally;
}

// A sprite definition from its tags (the frames' ShowFrame included).
inline Bytes Sprite(unsigned id, int frames, const Bytes& tags)
{
    return Tag(swf::tag::kDefineSprite, U16(id) + U16(frames) + tags + Tag(swf::tag::kEnd, {}));
}

}  // namespace swftest
