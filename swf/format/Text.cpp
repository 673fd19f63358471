#include "swf/format/Text.h"

#include "swf/format/TextMarkup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf {
namespace {

struct FallbackGlyph {
    int code, first, count, advance;
};
#include "swf/format/FallbackFont.inc"

Font MakeFallbackFont()
{
    Font font;
    font.name = "_sans";
    font.hasLayout = true;
    font.ascent = kFallbackAscent;
    font.descent = kFallbackDescent;
    for (const FallbackGlyph& g : kFallbackGlyphs) {
        Shape shape;
        shape.fills.resize(1);
        shape.groups.push_back({0, 1, 0, 0});
        const int16_t* p = kFallbackOutlines + g.first;
        const int16_t* end = p + g.count;
        double x = 0, y = 0;
        while (p < end) {
            Edge e{};
            e.x0 = x;
            e.y0 = y;
            e.fill0 = -1;
            e.fill1 = 0;
            e.line = -1;
            if (*p == 0) {  // move
                x = p[1];
                y = p[2];
                p += 3;
                continue;
            }
            if (*p == 1) {  // line
                e.x1 = p[1];
                e.y1 = p[2];
                e.cx = (x + e.x1) / 2;
                e.cy = (y + e.y1) / 2;
                p += 3;
            } else {  // curve
                e.cx = p[1];
                e.cy = p[2];
                e.x1 = p[3];
                e.y1 = p[4];
                e.curve = true;
                p += 5;
            }
            x = e.x1;
            y = e.y1;
            shape.edges.push_back(e);
        }
        font.glyphs.push_back(std::move(shape));
        font.codes.push_back(static_cast<uint16_t>(g.code));
        font.advances.push_back(g.advance);
    }
    return font;
}

constexpr double kGutter = 40;  // twips between a field's box and its text

// The font that draws a style: the one named by <font face> with the style's weight and
// slant when the movie has it, else one of that name, else the field's own; the fallback font
// for a field without outlines or a font without glyphs.
const Font* PickFont(const std::map<uint16_t, Font>& fonts, Style& s, bool outlines)
{
    if (!outlines)
        return &FallbackFont();
    if (!s.face.empty()) {
        const Font* named = nullptr;
        for (const auto& [id, font] : fonts) {
            if (font.name != s.face || font.glyphs.empty())
                continue;
            if (font.bold == s.bold && font.italic == s.italic) {
                named = &font;
                s.fontId = id;
                break;
            }
            if (!named) {
                named = &font;
                s.fontId = id;
            }
        }
        // Looked up once: the style now names its font by id.
        s.face.clear();
        if (named)
            return named;
    }
    auto it = fonts.find(s.fontId);
    return it == fonts.end() || it->second.glyphs.empty() ? &FallbackFont() : &it->second;
}

int GlyphIndex(const Font& font, uint32_t code)
{
    const auto it = std::find(font.codes.begin(), font.codes.end(), code);
    return it == font.codes.end() ? -1 : static_cast<int>(it - font.codes.begin());
}

// A glyph's advance in glyph units: the layout's, or its outline's right edge.
double Advance(const Font& font, int index)
{
    if (index < 0)
        return 0;
    if (font.hasLayout && static_cast<std::size_t>(index) < font.advances.size())
        return font.advances[index];
    double right = 0;
    for (const Edge& e : font.glyphs[index].edges)
        right = std::max({right, e.x0, e.x1});
    return right;
}

// A field's text colour as drawn: white glyphs tinted through a colour transform whose
// factors are 1/256 steps, so every channel but 0 and 255 comes out one lower.
Rgba Tint(Rgba c)
{
    auto tint = [](uint8_t v) { return static_cast<uint8_t>(255 * (v * 256 / 255) / 256); };
    return {tint(c.r), tint(c.g), tint(c.b), c.a};
}

struct Placed {
    int style;
    int glyph;  // -1: nothing drawn
    double x;   // from the line's start, twips
    double advance;
    bool space;
};

// Lays a field's characters out: the glyphs of each paragraph, broken into lines that fit the
// box when the field wraps, each finished line going into the text as glyph runs.
class FieldLayout {
public:
    FieldLayout(const Field& field, const std::map<uint16_t, Font>& fonts, Content& content, Text& text,
                ByteBudget& bytes)
        : m_field(field), m_fonts(fonts), m_content(content), m_text(text), m_bytes(bytes),
          m_left(text.box.xMin + kGutter),
          m_width(std::max(0.0, static_cast<double>(text.box.xMax - text.box.xMin) - 2 * kGutter)),
          m_top(text.box.yMin + kGutter)
    {
    }

    void Add(const Char& c);
    // Ends the last line and gives back the line's buffer.
    void Finish()
    {
        EmitLine(m_line.size(), true);
        m_bytes.Refund(m_line.capacity() * sizeof(Placed));
    }

private:
    // Moves the pen back by the font's kerning between the last character and `code`.
    void Kern(const Style& s, const Font* font, uint32_t code);
    // Ends the line before its last word, which goes on to the next line.
    void Wrap();
    // The first `end` glyphs of the line as a line of the text; `last`: it ends its paragraph.
    void EmitLine(std::size_t end, bool last);
    // The width of the first `end` glyphs: lines ending in spaces are aligned without them.
    double LineWidth(std::size_t end) const;
    // How far the line's glyphs reach above and below its baseline.
    void LineExtent(std::size_t end, double& ascent, double& descent);
    // How far a style's font reaches above and below the baseline.
    void StyleExtent(int style, double& ascent, double& descent);
    // The baseline of the next line, below the last.
    double NextBaseline(double ascent, double descent);
    // Where a line of this width starts, by its paragraph's alignment.
    double LineStart(double lineWidth) const;
    void AddRuns(std::size_t end, double baseline, double shift);

    const Field& m_field;
    const std::map<uint16_t, Font>& m_fonts;
    Content& m_content;
    Text& m_text;
    ByteBudget& m_bytes;
    // Where the current line starts from the text's left edge: the paragraph's margin and
    // block indent, and on its first line the indent, never left of the edge.
    double Indent() const;
    // Where the current line ends, from the text's left edge.
    double LineEnd() const;
    const Paragraph& Current() const
    {
        const auto& paragraphs = m_content.m_paragraphs;
        return paragraphs[std::min(m_nParagraph, paragraphs.size() - 1)];
    }

    const double m_left;   // the text's left edge
    const double m_width;  // from there to its right edge
    double m_top;
    std::size_t m_nParagraph = 0;
    std::vector<Placed> m_line;
    bool m_bFirstOfParagraph = true;
    bool m_bFirstLine = true;
    double m_lastDescent = 0;
    double m_lastLeading = 0;
    double m_x = 0;  // the pen, from the line's start
    const Font* m_pPreviousFont = nullptr;
    uint32_t m_nPreviousCode = 0;
    int m_nBreakStyle = 0;  // the style of the last line break: an empty line is as high as its font
};

void FieldLayout::Add(const Char& c)
{
    if (c.code == '\n') {
        if (!m_field.multiline)
            return;
        m_nBreakStyle = c.style;
        EmitLine(m_line.size(), true);
        ++m_nParagraph;
        m_x = 0;
        m_pPreviousFont = nullptr;
        return;
    }
    Style& s = m_content.m_styles[c.style];
    const Font* font = PickFont(m_fonts, s, m_field.outlines);
    const uint32_t code = m_field.password ? '*' : c.code;
    const int glyph = GlyphIndex(*font, code);
    // Advances are whole twips, as in the glyph records of static text.
    const double advance = glyph >= 0 ? std::floor(Advance(*font, glyph) * s.size / font->emSquare) + s.letterSpacing : 0;
    Kern(s, font, code);
    m_pPreviousFont = font;
    m_nPreviousCode = code & 0xFFFF;
    const bool space = code == ' ' || code == '\t';
    // A line that starts past its end (a huge indent) has no room to break words into.
    const double start = Indent(), end = LineEnd();
    if (m_field.wordWrap && m_field.multiline && !space && !m_line.empty() && start < end && start + m_x + advance > end)
        Wrap();
    m_bytes.Push(m_line, Placed{c.style, glyph, m_x, advance, space});
    m_x += advance;
}

void FieldLayout::Kern(const Style& s, const Font* font, uint32_t code)
{
    if (!s.kerning || font != m_pPreviousFont || m_line.empty())
        return;
    const auto pair = font->kerning.find(m_nPreviousCode << 16 | (code & 0xFFFF));
    if (pair != font->kerning.end()) {
        const double k = pair->second * s.size / font->emSquare;
        m_line.back().advance += k;
        m_x += k;
    }
}

void FieldLayout::Wrap()
{
    // Break after the last space of the line; a word longer than a line breaks anywhere.
    std::size_t cut = m_line.size();
    while (cut > 0 && !m_line[cut - 1].space)
        --cut;
    if (cut == 0)
        cut = m_line.size();
    EmitLine(cut, false);
    m_x = m_line.empty() ? 0 : m_line.back().x + m_line.back().advance;
}

void FieldLayout::EmitLine(std::size_t end, bool last)
{
    const double lineWidth = LineWidth(end);
    double ascent = 0, descent = 0;
    LineExtent(end, ascent, descent);
    const double baseline = NextBaseline(ascent, descent);
    AddRuns(end, baseline, LineStart(lineWidth));
    // What the text measures: its widest line, and from its top to the last line's descent.
    m_text.textWidth = std::max(m_text.textWidth, lineWidth);
    m_text.textHeight = baseline + descent - (m_text.box.yMin + kGutter);
    m_line.erase(m_line.begin(), m_line.begin() + static_cast<std::ptrdiff_t>(end));
    // What moves to the next line starts at its left.
    const double offset = m_line.empty() ? 0 : m_line.front().x;
    for (Placed& p : m_line)
        p.x -= offset;
    m_bFirstOfParagraph = last;
}

double FieldLayout::LineWidth(std::size_t end) const
{
    double lineWidth = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (!m_line[i].space)
            lineWidth = m_line[i].x + m_line[i].advance;
    return lineWidth;
}

void FieldLayout::LineExtent(std::size_t end, double& ascent, double& descent)
{
    for (std::size_t i = 0; i < std::max<std::size_t>(end, 1) && i < m_line.size(); ++i)
        StyleExtent(m_line[i].style, ascent, descent);
    if (m_line.empty())
        StyleExtent(m_nBreakStyle, ascent, descent);
}

void FieldLayout::StyleExtent(int style, double& ascent, double& descent)
{
    Style& s = m_content.m_styles[style];
    const Font* font = PickFont(m_fonts, s, m_field.outlines);
    if (font->hasLayout) {
        ascent = std::max(ascent, font->ascent * s.size / font->emSquare);
        descent = std::max(descent, font->descent * s.size / font->emSquare);
    } else {
        ascent = std::max(ascent, s.size * 0.8);
        descent = std::max(descent, s.size * 0.2);
    }
}

double FieldLayout::NextBaseline(double ascent, double descent)
{
    if (!m_bFirstLine)
        m_top += m_lastDescent + m_lastLeading;
    const double baseline = m_top + ascent;
    m_top = baseline;
    m_lastDescent = descent;
    m_lastLeading = Current().leading;
    m_bFirstLine = false;
    return baseline;
}

double FieldLayout::Indent() const
{
    const Paragraph& p = Current();
    return std::max(0.0, p.leftMargin + p.blockIndent + (m_bFirstOfParagraph ? p.indent : 0));
}

double FieldLayout::LineEnd() const
{
    return m_width - Current().rightMargin;
}

double FieldLayout::LineStart(double lineWidth) const
{
    const uint8_t a = Current().align;
    const double start = Indent();
    double shift = m_left + start;
    if (a == kRight)
        shift += LineEnd() - start - lineWidth;
    else if (a == kCenter)
        shift += (LineEnd() - start - lineWidth) / 2;
    return shift;
}

void FieldLayout::AddRuns(std::size_t end, double baseline, double shift)
{
    TextRun run;
    int runStyle = -1;
    for (std::size_t i = 0; i < end; ++i) {
        const Placed& p = m_line[i];
        if (p.glyph < 0)
            continue;
        if (p.style != runStyle) {
            if (!run.glyphs.empty())
                m_bytes.Push(m_text.runs, run);
            Style& s = m_content.m_styles[p.style];
            const Font* font = PickFont(m_fonts, s, m_field.outlines);
            run = TextRun{};
            run.fontId = s.fontId;
            run.fallback = font == &FallbackFont();
            run.color = Tint(s.color);
            run.height = s.size;
            run.y = baseline;
            runStyle = p.style;
        }
        m_bytes.Push(run.glyphs, TextGlyph{p.glyph, shift + p.x});
    }
    if (!run.glyphs.empty())
        m_bytes.Push(m_text.runs, run);
}

}  // namespace

const Font& FallbackFont()
{
    static const Font font = MakeFallbackFont();
    return font;
}

void ReadFontTables(Reader& body, const uint8_t* table, std::size_t tableSize, uint8_t flags, Font& font,
                    ByteBudget& bytes)
{
    const bool wideOffsets = flags & 0x08, wideCodes = flags & 0x04;
    font.bold = flags & 0x01;
    font.italic = flags & 0x02;
    const std::size_t count = font.glyphs.size();
    if (body.Remaining() < (wideOffsets ? 4u : 2u))
        return;
    const std::size_t codeOffset = wideOffsets ? body.U32() : body.U16();
    if (codeOffset > tableSize)
        throw FormatError("a font's code table lies outside it");
    Reader r(table + codeOffset, tableSize - codeOffset);
    for (std::size_t i = 0; i < count; ++i)
        bytes.Push(font.codes, static_cast<uint16_t>(wideCodes ? r.U16() : r.U8()));
    if (!(flags & 0x80))
        return;
    font.hasLayout = true;
    font.ascent = r.U16();
    font.descent = r.U16();
    font.leading = r.S16();
    for (std::size_t i = 0; i < count; ++i)
        bytes.Push(font.advances, static_cast<double>(r.S16()));
    for (std::size_t i = 0; i < count; ++i)
        r.ReadRect();  // glyph bounds
    for (std::size_t n = r.Remaining() >= 2 ? r.U16() : 0; n > 0; --n) {
        const uint32_t a = wideCodes ? r.U16() : r.U8();
        const uint32_t b = wideCodes ? r.U16() : r.U8();
        if (font.kerning.insert_or_assign(a << 16 | b, r.S16()).second)
            bytes.Spend(1, kNodeBytes);
    }
}

Field ReadEditText(Reader& body)
{
    Field f;
    f.box = body.ReadRect();
    const uint8_t flags = body.U8();
    const uint8_t flags2 = body.U8();
    f.wordWrap = flags & 0x40;
    f.multiline = flags & 0x20;
    f.password = flags & 0x10;
    f.html = f.markup = flags2 & 0x02;
    f.outlines = flags2 & 0x01;
    f.border = f.background = flags2 & 0x08;
    if (flags2 & 0x40)
        f.autoSize = "left";
    if (flags & 0x01)
        f.fontId = body.U16();
    if (flags2 & 0x80)
        f.face = body.ReadString();  // a font class: fonts of that name stand in
    if (flags & 0x01)
        f.size = body.U16();
    if (flags & 0x04)
        f.color = body.ReadRgba();
    if (flags & 0x02)
        body.U16();  // maximum length
    if (flags2 & 0x20) {
        f.align = body.U8();
        f.leftMargin = body.U16();
        f.rightMargin = body.U16();
        // Stored in 16 bits: past 32767 the indent is negative and hangs the first line out.
        f.indent = body.S16();
        f.leading = body.S16();
    }
    body.ReadString();  // variable name
    if (flags & 0x80)
        f.text = body.ReadString();
    return f;
}

Text LayOutField(const Field& field, const std::map<uint16_t, Font>& fonts, ByteBudget& bytes)
{
    Text text;
    text.clipToBox = field.autoSize == "none";
    text.box = field.box;
    text.border = field.border;
    text.background = field.background;
    text.borderColor = field.borderColor;
    text.backgroundColor = field.backgroundColor;
    Style base;
    base.fontId = field.fontId;
    base.face = field.face;
    base.size = field.size;
    base.color = field.color;
    base.bold = field.bold;
    base.italic = field.italic;
    // A bold or italic field looks for the font of its font's name in that weight and slant.
    if (base.face.empty() && (field.bold || field.italic))
        if (auto it = fonts.find(field.fontId); it != fonts.end())
            base.face = it->second.name;
    if (field.text.empty())
        return text;

    Paragraph paragraph;
    paragraph.align = field.align > kJustify ? kLeft : field.align;
    paragraph.indent = field.indent;
    paragraph.blockIndent = field.blockIndent;
    paragraph.leftMargin = field.leftMargin;
    paragraph.rightMargin = field.rightMargin;
    paragraph.leading = field.leading;
    Content content(base, paragraph, field.css, bytes);
    if (field.markup)
        content.AddHtml(field.text);
    else
        content.AddPlain(field.text);
    FieldLayout layout(field, fonts, content, text, bytes);
    for (const Char& c : content.m_chars)
        layout.Add(c);
    layout.Finish();
    return text;
}

std::string PlainText(const Field& field, ByteBudget& bytes)
{
    if (!field.markup)
        return field.text;
    Content content(Style{}, Paragraph{}, field.css, bytes);
    content.AddHtml(field.text);
    std::string out;
    for (const Char& c : content.m_chars) {
        const uint32_t code = c.code == '\n' ? '\r' : c.code;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    if (!out.empty() && out.back() == '\r')
        out.pop_back();
    return out;
}

std::size_t FieldBytes(const Field& field, const Text& text)
{
    std::size_t bytes = sizeof(Field) + sizeof(Text) + field.face.size() + field.text.size() +
                        text.runs.capacity() * sizeof(TextRun);
    for (const TextRun& run : text.runs)
        bytes += run.glyphs.capacity() * sizeof(TextGlyph);
    bytes += field.css.capacity() * sizeof(TextCss);
    for (const TextCss& css : field.css)
        bytes += css.selector.size() + (css.font ? css.font->size() : 0);
    if (field.newFormat)
        bytes += sizeof(Field) + field.newFormat->face.size();
    return bytes;
}

}  // namespace swf
