// A text field's text read into characters in styles and paragraphs: plain text, or the HTML
// subset (<p>, <br>, <font>, <b>, <i>, <u>, <span>, <a>, <li>, <textformat>) with the styles
// of the field's style sheet. Only the field layout uses it.
#pragma once

#include "swf/base/Budget.h"
#include "swf/format/Movie.h"

#include <string>
#include <vector>

namespace swf {

// Alignments of a paragraph.
constexpr uint8_t kLeft = 0, kRight = 1, kCenter = 2, kJustify = 3;

struct Style {
    uint16_t fontId = 0;
    double size = 240;  // twips
    Rgba color;
    bool bold = false;
    bool italic = false;
    std::string face;  // from <font face>; empty: the field's font
    double letterSpacing = 0;
    bool kerning = false;
};

struct Char {
    uint32_t code;  // '\n' ends a paragraph
    int style;
};

// How a paragraph's lines are placed, in twips.
struct Paragraph {
    uint8_t align = kLeft;
    double indent = 0, blockIndent = 0, leftMargin = 0, rightMargin = 0, leading = 0;
};

// The text of a field as characters in styles and paragraphs. Its buffers are counted in the
// movie's bytes while it lives.
class Content {
public:
    Content(const Style& base, const Paragraph& paragraph, const std::vector<TextCss>& css, ByteBudget& bytes);
    ~Content();
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;

    void AddPlain(const std::string& text);
    void AddHtml(const std::string& text);

    std::vector<Style> m_styles;
    std::vector<Char> m_chars;
    std::vector<Paragraph> m_paragraphs;

private:
    // An element whose end tag gives back the style and paragraph format before it.
    struct Open {
        std::string name;
        int style;
        Paragraph paragraph;
    };

    void Add(uint32_t c);
    void AddStyle(const Style& s);
    void Tag(const std::string& tag);
    void Close(const std::string& name);
    // Starts a new paragraph unless the text is at the start of one.
    void BreakParagraph();
    // The style sheet's styles for an element: its tag's, then its class's.
    void ApplyCss(const std::string& name, const std::string& tag, Style& s, Paragraph& p) const;
    static void ApplyFontTag(const std::string& tag, Style& s);
    static void ApplyTextFormatTag(const std::string& tag, Paragraph& p);

    Paragraph m_next;  // the format of paragraphs that start now
    const std::vector<TextCss>& m_css;
    ByteBudget& m_bytes;
    std::size_t m_nFaceBytes = 0;
    int m_nStyle = 0;
    std::vector<Open> m_open;
    bool m_bOpenParagraph = false;
};

}  // namespace swf
