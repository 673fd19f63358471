#include "swf/format/TextMarkup.h"

#include <algorithm>
#include <cstdlib>

namespace swf {
namespace {
// Decodes one UTF-8 sequence at s[i]; invalid bytes stand for themselves.
uint32_t NextCodePoint(const std::string& s, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b = byte(i++);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra > s.size())
        return b;
    uint32_t c = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return b;
        c = c << 6 | (byte(i + k) & 0x3F);
    }
    i += extra;
    return c;
}

// The value of an attribute in a tag's text (`name="value"` or `name='value'`), or "".
std::string Attribute(const std::string& tag, const std::string& name)
{
    const std::string lower = Lower(tag);
    std::size_t at = 0;
    while ((at = lower.find(name, at)) != std::string::npos) {
        const bool start = at > 0 && (lower[at - 1] == ' ' || lower[at - 1] == '\t');
        std::size_t k = at + name.size();
        while (k < lower.size() && lower[k] == ' ')
            ++k;
        if (start && k < lower.size() && lower[k] == '=') {
            ++k;
            while (k < lower.size() && lower[k] == ' ')
                ++k;
            if (k < lower.size() && (lower[k] == '"' || lower[k] == '\'')) {
                const std::size_t end = lower.find(lower[k], k + 1);
                return tag.substr(k + 1, end == std::string::npos ? std::string::npos : end - k - 1);
            }
            std::size_t end = k;
            while (end < lower.size() && lower[end] != ' ')
                ++end;
            return tag.substr(k, end - k);
        }
        at += name.size();
    }
    return "";
}

// The character an entity (without & and ;) stands for, or 0.
uint32_t Entity(const std::string& name)
{
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "amp")
        return '&';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';
    if (name == "nbsp")
        return 0xA0;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        uint32_t v = 0;
        for (std::size_t i = hex ? 2 : 1; i < name.size(); ++i) {
            const char c = name[i];
            const int d = c >= '0' && c <= '9' ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0 || v > 0x10FFFF)
                return 0;
            v = v * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        }
        return v;
    }
    return 0;
}

Rgba ParseColor(const std::string& text, Rgba fallback)
{
    if (text.size() != 7 || text[0] != '#')
        return fallback;
    uint32_t v = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0)
            return fallback;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), fallback.a};
}

uint8_t ParseAlign(const std::string& text, uint8_t fallback)
{
    const std::string a = Lower(text);
    return a == "left" ? kLeft : a == "right" ? kRight : a == "center" ? kCenter : a == "justify" ? kJustify : fallback;
}


// A number attribute in pixels as twips, within `limit` pixels either way; none when absent.
std::optional<double> PixelAttribute(const std::string& tag, const std::string& name, double limit)
{
    const std::string text = Attribute(tag, name);
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-'))
        return std::nullopt;
    return std::clamp(std::atof(text.c_str()), -limit, limit) * 20;
}

}  // namespace

Content::Content(const Style& base, const Paragraph& paragraph, const std::vector<TextCss>& css, ByteBudget& bytes)
    : m_next(paragraph), m_css(css), m_bytes(bytes)
{
    AddStyle(base);
    m_bytes.Push(m_paragraphs, paragraph);
}

Content::~Content()
{
    m_bytes.Refund(m_styles.capacity() * sizeof(Style) + m_chars.capacity() * sizeof(Char) +
                   m_paragraphs.capacity() * sizeof(Paragraph) + m_open.capacity() * sizeof(Open) + m_nFaceBytes);
}

void Content::AddPlain(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const uint32_t c = NextCodePoint(text, i);
        if (c == '\r' && i < text.size() && text[i] == '\n')
            continue;  // CR LF is one break
        Add(c == '\r' ? '\n' : c);
    }
}

void Content::AddHtml(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '<') {
            const std::size_t end = text.find('>', i);
            if (end == std::string::npos)
                break;
            Tag(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (text[i] == '&') {
            const std::size_t end = text.find(';', i);
            const uint32_t c = end != std::string::npos && end - i < 12 ? Entity(text.substr(i + 1, end - i - 1)) : 0;
            if (c) {
                Add(c);
                i = end + 1;
            } else {
                Add(NextCodePoint(text, i));
            }
        } else {
            const uint32_t c = NextCodePoint(text, i);
            Add(c == '\r' ? '\n' : c);
        }
    }
}

void Content::Add(uint32_t c)
{
    m_bytes.Push(m_chars, Char{c, m_nStyle});
    if (c == '\n')
        m_bytes.Push(m_paragraphs, m_next);
}

void Content::AddStyle(const Style& s)
{
    m_bytes.Spend(s.face.size());
    m_nFaceBytes += s.face.size();
    m_bytes.Push(m_styles, s);
}

void Content::BreakParagraph()
{
    if (!m_chars.empty() && m_chars.back().code != '\n')
        Add('\n');
}

void Content::Tag(const std::string& tag)
{
    const std::size_t nameEnd = std::min(tag.find_first_of(" \t/"), tag.size());
    const bool closing = !tag.empty() && tag[0] == '/';
    const std::string name = Lower(closing ? tag.substr(1) : tag.substr(0, nameEnd == 0 ? tag.size() : nameEnd));
    if (closing) {
        Close(name);
        return;
    }
    if (name == "br") {
        Add('\n');
        return;
    }
    static const char* const kElements[] = {"p", "li", "font", "b", "i", "u", "span", "a", "textformat"};
    if (std::find(std::begin(kElements), std::end(kElements), name) == std::end(kElements) || m_open.size() >= 256)
        return;
    const bool paragraph = name == "p" || name == "li";
    if (paragraph) {
        // A paragraph starts on a line of its own and ends its line.
        if (m_bOpenParagraph)
            Add('\n');
        else
            BreakParagraph();
        m_bOpenParagraph = true;
    }
    m_bytes.Push(m_open, Open{name, m_nStyle, m_next});
    Style s = m_styles[m_nStyle];
    Paragraph p = m_next;
    ApplyCss(name, tag, s, p);
    if (name == "b")
        s.bold = true;
    if (name == "i")
        s.italic = true;
    if (name == "font")
        ApplyFontTag(tag, s);
    if (name == "textformat")
        ApplyTextFormatTag(tag, p);
    if (paragraph)
        p.align = ParseAlign(Attribute(tag, "align"), p.align);
    m_next = p;
    // A format that opens at a paragraph's start is that paragraph's.
    if (m_chars.empty() || m_chars.back().code == '\n')
        m_paragraphs.back() = p;
    if (m_styles.size() < 4096) {
        AddStyle(s);
        m_nStyle = static_cast<int>(m_styles.size()) - 1;
    }
}

void Content::Close(const std::string& name)
{
    auto open = std::find_if(m_open.rbegin(), m_open.rend(), [&](const Open& o) { return o.name == name; });
    const bool paragraph = name == "p" || name == "li";
    if (paragraph && m_bOpenParagraph) {
        // The break still has the paragraph's style: an empty paragraph is as high as its font.
        m_bOpenParagraph = false;
        if (open != m_open.rend())
            m_next = open->paragraph;
        Add('\n');
    }
    if (open == m_open.rend())
        return;
    m_nStyle = open->style;
    m_next = open->paragraph;
    m_open.erase(std::next(open).base(), m_open.end());
}

void Content::ApplyCss(const std::string& name, const std::string& tag, Style& s, Paragraph& p) const
{
    if (m_css.empty())
        return;
    // Tag styles reach paragraphs, list items and links; classes reach spans too.
    const bool tagStyled = name == "p" || name == "li" || name == "a";
    const std::string cls = "." + Lower(Attribute(tag, "class"));
    for (const std::string& selector : {tagStyled ? name : std::string(), cls.size() > 1 ? cls : std::string()}) {
        if (selector.empty() || (name != "span" && !tagStyled))
            continue;
        for (const TextCss& css : m_css) {
            if (css.selector != selector)
                continue;
            s.color = css.color ? Rgba{css.color->r, css.color->g, css.color->b, s.color.a} : s.color;
            s.size = css.size.value_or(s.size);
            s.bold = css.bold.value_or(s.bold);
            s.italic = css.italic.value_or(s.italic);
            s.face = css.font.value_or(s.face);
            s.letterSpacing = css.letterSpacing.value_or(s.letterSpacing);
            p.align = css.align.value_or(p.align);
            p.indent = css.indent.value_or(p.indent);
            p.leading = css.leading.value_or(p.leading);
            p.leftMargin = css.leftMargin.value_or(p.leftMargin);
            p.rightMargin = css.rightMargin.value_or(p.rightMargin);
        }
    }
}

void Content::ApplyFontTag(const std::string& tag, Style& s)
{
    const std::string face = Attribute(tag, "face");
    if (!face.empty())
        s.face = face;
    const std::string size = Attribute(tag, "size");
    if (!size.empty() && size[0] >= '0' && size[0] <= '9')
        s.size = std::clamp(std::atof(size.c_str()), 1.0, 1000.0) * 20;
    s.color = ParseColor(Attribute(tag, "color"), s.color);
    const std::string kerning = Attribute(tag, "kerning");
    if (!kerning.empty())
        s.kerning = kerning != "0";
    const std::optional<double> spacing = PixelAttribute(tag, "letterspacing", 100);
    s.letterSpacing = spacing.value_or(s.letterSpacing);
}

void Content::ApplyTextFormatTag(const std::string& tag, Paragraph& p)
{
    constexpr double kLimit = 10000;  // pixels
    p.indent = PixelAttribute(tag, "indent", kLimit).value_or(p.indent);
    p.blockIndent = PixelAttribute(tag, "blockindent", kLimit).value_or(p.blockIndent);
    p.leftMargin = PixelAttribute(tag, "leftmargin", kLimit).value_or(p.leftMargin);
    p.rightMargin = PixelAttribute(tag, "rightmargin", kLimit).value_or(p.rightMargin);
    p.leading = PixelAttribute(tag, "leading", kLimit).value_or(p.leading);
}

}  // namespace swf
