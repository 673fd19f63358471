#include "swf/format/Shape.h"

#include <algorithm>

namespace swf {
namespace {

void ReadGradient(Reader& r, FillStyle& f, bool alpha, ByteBudget& budget)
{
    const uint8_t flags = r.U8();
    f.spread = flags >> 6 & 3;
    if (f.spread > FillStyle::kRepeat)
        f.spread = FillStyle::kPad;
    f.linearRgb = (flags >> 4 & 3) == 1;
    const int count = flags & 15;
    budget.Spend(count, sizeof(GradientStop));
    for (int i = 0; i < count; ++i) {
        GradientStop s;
        s.ratio = r.U8();
        s.color = alpha ? r.ReadRgba() : r.ReadRgb();
        f.stops.push_back(s);
    }
    if (f.type == FillStyle::kFocal)
        f.focal = std::clamp(r.S16() / 256.0, -1.0, 1.0);
}

// The flags of a LINESTYLE2; returns whether a fill style follows.
bool ReadLineFlags(Reader& r, LineStyle& l)
{
    l.startCap = static_cast<uint8_t>(std::min<uint32_t>(r.UB(2), 2));
    l.join = static_cast<uint8_t>(std::min<uint32_t>(r.UB(2), 2));
    const bool hasFill = r.UB(1);
    l.noHScale = r.UB(1);
    l.noVScale = r.UB(1);
    l.pixelHinting = r.UB(1);
    r.UB(5);  // reserved
    l.noClose = r.UB(1);
    l.endCap = static_cast<uint8_t>(std::min<uint32_t>(r.UB(2), 2));
    if (l.join == 2)
        l.miterLimit = std::max(1.0, r.U16() / 256.0);
    return hasFill;
}

FillStyle ReadFillStyle(Reader& r, int version, ByteBudget& budget)
{
    FillStyle f;
    f.type = r.U8();
    const bool alpha = version >= 3;
    if (f.type == FillStyle::kSolid) {
        f.color = alpha ? r.ReadRgba() : r.ReadRgb();
    } else if (f.IsGradient()) {
        f.matrix = r.ReadMatrix();
        ReadGradient(r, f, alpha, budget);
    } else if (f.IsBitmap()) {
        f.bitmapId = r.U16();
        f.matrix = r.ReadMatrix();
    } else {
        throw FormatError("a shape has an unknown fill type");
    }
    return f;
}

std::size_t ReadCount(Reader& r, int version)
{
    std::size_t n = r.U8();
    if (n == 0xFF && version >= 2)
        n = r.U16();
    return n;
}

void ReadStyles(Reader& r, int version, Shape& s, ByteBudget& budget)
{
    StyleGroup g{};
    g.fillBegin = static_cast<int>(s.fills.size());
    for (std::size_t n = ReadCount(r, version); n > 0; --n)
        budget.Push(s.fills, ReadFillStyle(r, version, budget));
    g.fillEnd = static_cast<int>(s.fills.size());
    g.lineBegin = static_cast<int>(s.lines.size());
    for (std::size_t n = ReadCount(r, version); n > 0; --n) {
        LineStyle l;
        l.width = r.U16();
        if (version >= 4) {
            const bool hasFill = ReadLineFlags(r, l);
            if (hasFill)
                l.fill = ReadFillStyle(r, version, budget);
            else
                l.fill.color = r.ReadRgba();
        } else {
            l.fill.color = version >= 3 ? r.ReadRgba() : r.ReadRgb();
        }
        budget.Push(s.lines, l);
    }
    g.lineEnd = static_cast<int>(s.lines.size());
    budget.Push(s.groups, g);
}

// An index of a style record (1-based, 0 = none) as an index into the shape's styles.
int StyleIndex(uint32_t raw, int begin, int end)
{
    if (raw == 0 || begin + static_cast<int>(raw) - 1 >= end)
        return -1;
    return begin + static_cast<int>(raw) - 1;
}

// The shape records. With `styles` false (the end shape of a morph) style changes only move.
void ReadRecords(Reader& r, int version, Shape& s, bool styles, ByteBudget& budget)
{
    r.Align();
    int fillBits = static_cast<int>(r.UB(4));
    int lineBits = static_cast<int>(r.UB(4));
    double x = 0, y = 0;
    int fill0 = -1, fill1 = -1, line = -1;
    for (;;) {
        if (r.UB(1) == 0) {
            const uint32_t flags = r.UB(5);
            if (flags == 0)
                break;
            if (flags & 1) {
                const int n = static_cast<int>(r.UB(5));
                x = r.SB(n);
                y = r.SB(n);
            }
            const uint32_t raw0 = flags & 2 ? r.UB(fillBits) : 0;
            const uint32_t raw1 = flags & 4 ? r.UB(fillBits) : 0;
            const uint32_t rawLine = flags & 8 ? r.UB(lineBits) : 0;
            if ((flags & 16) && styles && version >= 2) {
                ReadStyles(r, version, s, budget);
                fillBits = static_cast<int>(r.UB(4));
                lineBits = static_cast<int>(r.UB(4));
                fill0 = fill1 = line = -1;
            }
            if (!styles || s.groups.empty())
                continue;
            const StyleGroup& g = s.groups.back();
            if (flags & 2)
                fill0 = StyleIndex(raw0, g.fillBegin, g.fillEnd);
            if (flags & 4)
                fill1 = StyleIndex(raw1, g.fillBegin, g.fillEnd);
            if (flags & 8)
                line = StyleIndex(rawLine, g.lineBegin, g.lineEnd);
            continue;
        }
        Edge e{};
        e.x0 = x;
        e.y0 = y;
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        const bool straight = r.UB(1);
        const int n = static_cast<int>(r.UB(4)) + 2;
        if (straight) {
            double dx = 0, dy = 0;
            if (r.UB(1)) {
                dx = r.SB(n);
                dy = r.SB(n);
            } else if (r.UB(1)) {
                dy = r.SB(n);
            } else {
                dx = r.SB(n);
            }
            e.x1 = x + dx;
            e.y1 = y + dy;
            e.cx = (e.x0 + e.x1) / 2;
            e.cy = (e.y0 + e.y1) / 2;
            e.curve = false;
        } else {
            e.cx = x + r.SB(n);
            e.cy = y + r.SB(n);
            e.x1 = e.cx + r.SB(n);
            e.y1 = e.cy + r.SB(n);
            e.curve = true;
        }
        x = e.x1;
        y = e.y1;
        budget.Push(s.edges, e);
    }
    r.Align();
}

FillStyle ReadMorphFill(Reader& r, FillStyle& end, ByteBudget& budget)
{
    FillStyle f;
    f.type = r.U8();
    end.type = f.type;
    if (f.type == FillStyle::kSolid) {
        f.color = r.ReadRgba();
        end.color = r.ReadRgba();
    } else if (f.IsGradient()) {
        f.matrix = r.ReadMatrix();
        end.matrix = r.ReadMatrix();
        const uint8_t flags = r.U8();
        f.spread = end.spread = (flags >> 6 & 3) <= FillStyle::kRepeat ? flags >> 6 & 3 : FillStyle::kPad;
        f.linearRgb = end.linearRgb = (flags >> 4 & 3) == 1;
        budget.Spend(2 * (flags & 15), sizeof(GradientStop));
        for (int i = flags & 15; i > 0; --i) {
            GradientStop s, e;
            s.ratio = r.U8();
            s.color = r.ReadRgba();
            e.ratio = r.U8();
            e.color = r.ReadRgba();
            f.stops.push_back(s);
            end.stops.push_back(e);
        }
        if (f.type == FillStyle::kFocal) {
            f.focal = std::clamp(r.S16() / 256.0, -1.0, 1.0);
            end.focal = std::clamp(r.S16() / 256.0, -1.0, 1.0);
        }
    } else if (f.IsBitmap()) {
        f.bitmapId = end.bitmapId = r.U16();
        f.matrix = r.ReadMatrix();
        end.matrix = r.ReadMatrix();
    } else {
        throw FormatError("a morph shape has an unknown fill type");
    }
    return f;
}

uint8_t LerpByte(uint8_t p, uint8_t q, double t)
{
    return static_cast<uint8_t>(std::clamp(static_cast<int>(p + (q - p) * t + 0.5), 0, 255));
}

Rgba LerpColor(Rgba p, Rgba q, double t)
{
    return {LerpByte(p.r, q.r, t), LerpByte(p.g, q.g, t), LerpByte(p.b, q.b, t), LerpByte(p.a, q.a, t)};
}

FillStyle LerpFill(const FillStyle& p, const FillStyle& q, double t)
{
    FillStyle f = p;
    f.color = LerpColor(p.color, q.color, t);
    f.matrix = Matrix::Lerp(p.matrix, q.matrix, t);
    f.focal = p.focal + (q.focal - p.focal) * t;
    for (std::size_t i = 0; i < f.stops.size() && i < q.stops.size(); ++i) {
        f.stops[i].ratio = LerpByte(p.stops[i].ratio, q.stops[i].ratio, t);
        f.stops[i].color = LerpColor(p.stops[i].color, q.stops[i].color, t);
    }
    return f;
}

}  // namespace

Shape ReadShape(Reader& r, int version, ByteBudget& budget)
{
    Shape s;
    s.bounds = r.ReadRect();
    if (version >= 4) {
        r.ReadRect();  // edge bounds
        s.nonZero = r.U8() & 4;
    }
    ReadStyles(r, version, s, budget);
    ReadRecords(r, version, s, true, budget);
    return s;
}

MorphShape ReadMorphShape(Reader& r, int version, ByteBudget& budget)
{
    MorphShape m;
    m.start.bounds = r.ReadRect();
    m.end.bounds = r.ReadRect();
    if (version >= 2) {
        r.ReadRect();
        r.ReadRect();
        m.start.nonZero = m.end.nonZero = r.U8() & 2;
    }
    const uint32_t offset = r.U32();
    const std::size_t endEdges = r.Pos() + offset;
    StyleGroup g{};
    for (std::size_t n = ReadCount(r, 2); n > 0; --n) {
        FillStyle end;
        budget.Push(m.start.fills, ReadMorphFill(r, end, budget));
        budget.Push(m.end.fills, end);
    }
    g.fillEnd = static_cast<int>(m.start.fills.size());
    for (std::size_t n = ReadCount(r, 2); n > 0; --n) {
        LineStyle ls, le;
        ls.width = r.U16();
        le.width = r.U16();
        bool hasFill = false;
        if (version >= 2) {
            hasFill = ReadLineFlags(r, ls);
            le.startCap = ls.startCap;
            le.endCap = ls.endCap;
            le.join = ls.join;
            le.miterLimit = ls.miterLimit;
        }
        if (hasFill) {
            ls.fill = ReadMorphFill(r, le.fill, budget);
        } else {
            ls.fill.color = r.ReadRgba();
            le.fill.color = r.ReadRgba();
        }
        budget.Push(m.start.lines, ls);
        budget.Push(m.end.lines, le);
    }
    g.lineEnd = static_cast<int>(m.start.lines.size());
    m.start.groups.push_back(g);
    m.end.groups.push_back(g);
    ReadRecords(r, 3, m.start, true, budget);
    if (endEdges < r.Pos() || endEdges > r.Pos() + r.Remaining())
        throw FormatError("a morph shape's end edges lie outside it");
    r.Skip(endEdges - r.Pos());
    ReadRecords(r, 3, m.end, false, budget);
    // The end edges only give positions; styles are those of the start edges.
    m.end.edges.resize(std::min(m.end.edges.size(), m.start.edges.size()));
    m.start.edges.resize(m.end.edges.size());
    for (std::size_t i = 0; i < m.end.edges.size(); ++i) {
        m.end.edges[i].fill0 = m.start.edges[i].fill0;
        m.end.edges[i].fill1 = m.start.edges[i].fill1;
        m.end.edges[i].line = m.start.edges[i].line;
    }
    return m;
}

Shape MorphShape::At(uint16_t ratio) const
{
    const double t = ratio / 65535.0;
    Shape s = start;
    // Styles that the start records added on their own have no end: they stay as they start.
    for (std::size_t i = 0; i < std::min(s.fills.size(), end.fills.size()); ++i)
        s.fills[i] = LerpFill(start.fills[i], end.fills[i], t);
    for (std::size_t i = 0; i < std::min(s.lines.size(), end.lines.size()); ++i) {
        s.lines[i].width = start.lines[i].width + (end.lines[i].width - start.lines[i].width) * t;
        s.lines[i].fill = LerpFill(start.lines[i].fill, end.lines[i].fill, t);
    }
    auto l = [t](double p, double q) { return p + (q - p) * t; };
    for (std::size_t i = 0; i < s.edges.size(); ++i) {
        Edge& e = s.edges[i];
        const Edge& p = start.edges[i];
        const Edge& q = end.edges[i];
        e = {l(p.x0, q.x0), l(p.y0, q.y0), l(p.cx, q.cx), l(p.cy, q.cy), l(p.x1, q.x1), l(p.y1, q.y1),
             p.curve || q.curve, p.fill0, p.fill1, p.line};
    }
    return s;
}

Shape ReadGlyph(Reader& r, ByteBudget& budget)
{
    Shape s;
    budget.Push(s.fills, FillStyle{});
    budget.Push(s.groups, StyleGroup{0, 1, 0, 0});
    ReadRecords(r, 1, s, true, budget);
    return s;
}

}  // namespace swf
