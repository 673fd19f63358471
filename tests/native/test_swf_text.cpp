// Text fields laid out into glyph runs, in a font made here whose glyphs have round advances:
// where lines break, how they are aligned and indented, how far apart they stand, and what
// kerning, letter spacing and passwords do to the glyphs.
#include "swf/format/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Font 1: 1024 units to the em, so that at 200 twips "a" advances 100, "b" 200, " " 50,
// "*" 100 and "c" 150; an ascent of 156.25 twips and a descent of 43.75. "a" before "b" is
// kerned by -50.
const std::map<uint16_t, swf::Font>& Fonts()
{
    static const std::map<uint16_t, swf::Font> fonts = [] {
        swf::Font font;
        font.codes = {'a', 'b', ' ', '*', 'c'};
        font.advances = {512, 1024, 256, 512, 768};
        font.glyphs.resize(font.codes.size());
        font.hasLayout = true;
        font.ascent = 800;
        font.descent = 224;
        font.kerning[uint32_t{'a'} << 16 | 'b'] = -256;
        return std::map<uint16_t, swf::Font>{{1, font}};
    }();
    return fonts;
}

// A field in font 1, 200 twips high, 1000 twips wide: its text starts 40 twips (the gutter)
// inside the box, so lines are 920 twips wide.
swf::Field Plain(const std::string& text)
{
    swf::Field field;
    field.box = {0, 1000, 0, 1000};
    field.outlines = true;
    field.fontId = 1;
    field.size = 200;
    field.text = text;
    return field;
}

swf::Field Html(const std::string& text)
{
    swf::Field field = Plain(text);
    field.html = field.markup = true;
    return field;
}

// One line per run: its baseline, then each glyph's character at its x (twips).
std::string Describe(const swf::Text& text)
{
    const swf::Font& font = Fonts().at(1);
    std::string out;
    for (const swf::TextRun& run : text.runs) {
        char line[64];
        std::snprintf(line, sizeof line, "y%g:", run.y);
        out += line;
        for (const swf::TextGlyph& g : run.glyphs) {
            std::snprintf(line, sizeof line, " %c%g", static_cast<char>(font.codes.at(g.index)), g.x);
            out += line;
        }
        out += "\n";
    }
    return out;
}

}  // namespace

TEST(SwfText, FieldsLayOutTheirLines)
{
    struct Case {
        const char* what;
        swf::Field field;
        const char* runs;
    };
    auto with = [](swf::Field field, auto change) {
        change(field);
        return field;
    };
    auto wrapping = [&](const std::string& text, int32_t width) {
        return with(Plain(text), [&](swf::Field& f) {
            f.wordWrap = f.multiline = true;
            f.box.xMax = width;
        });
    };
    const Case cases[] = {
        {"one line at the gutter, its baseline an ascent below the top gutter", Plain("ab"), "y196.25: a40 b140\n"},
        {"a wrapping field breaks after the line's last space", wrapping("ab ab ab ab", 1000),
         "y196.25: a40 b140  340 a390 b490  690\ny396.25: a40 b140  340 a390 b490\n"},
        {"a word longer than the line breaks anywhere", wrapping("bbb", 400),
         "y196.25: b40\ny396.25: b40\ny596.25: b40\n"},
        {"a field that does not wrap keeps one long line", Plain("bbbbbb"),
         "y196.25: b40 b240 b440 b640 b840 b1040\n"},
        {"right aligned", with(Plain("ab"), [](swf::Field& f) { f.align = 1; }), "y196.25: a660 b760\n"},
        {"centred", with(Plain("ab"), [](swf::Field& f) { f.align = 2; }), "y196.25: a350 b450\n"},
        {"trailing spaces are left out of the aligned width",
         with(Plain("ab "), [](swf::Field& f) { f.align = 1; }), "y196.25: a660 b760  960\n"},
        {"justified text is set flush left", with(Plain("ab"), [](swf::Field& f) { f.align = 3; }),
         "y196.25: a40 b140\n"},
        {"margins narrow the line", with(Plain("ab"), [](swf::Field& f) {
             f.align = 1;
             f.leftMargin = 100;
             f.rightMargin = 60;
         }),
         "y196.25: a600 b700\n"},
        {"the indent moves a paragraph's first line only; leading parts the lines",
         with(wrapping("ab ab", 500), [](swf::Field& f) {
             f.indent = 100;
             f.leading = 20;
         }),
         "y196.25: a140 b240  440\ny416.25: a40 b140\n"},
        {"each paragraph of a multiline field starts a line, indented again",
         with(Plain("ab\nab"), [](swf::Field& f) {
             f.multiline = true;
             f.indent = 100;
         }),
         "y196.25: a140 b240\ny396.25: a140 b240\n"},
        {"a line break outside a multiline field is dropped", Plain("ab\nab"), "y196.25: a40 b140 a340 b440\n"},
        {"an empty line is as high as the field's size", with(Plain("\nab"), [](swf::Field& f) { f.multiline = true; }),
         "y396.25: a40 b140\n"},
        {"a password shows a star for each character", with(Plain("ab"), [](swf::Field& f) { f.password = true; }),
         "y196.25: *40 *140\n"},
        {"kerning pulls a pair together in the style that asks for it",
         Html("<font kerning=\"1\">ab</font>ab"), "y196.25: a40 b90\ny196.25: a290 b390\n"},
        {"letter spacing widens every advance", Html("<font letterspacing=\"2\">ab</font>c"),
         "y196.25: a40 b180\ny196.25: c420\n"},
        {"paragraphs take their own alignment",
         with(Html("<p align=\"right\">ab</p><p align=\"center\">ab</p>"), [](swf::Field& f) { f.multiline = true; }),
         "y196.25: a660 b760\ny396.25: a350 b450\n"},
    };
    for (const Case& c : cases) {
        swf::ByteBudget bytes;
        EXPECT_EQ(c.runs, Describe(swf::LayOutField(c.field, Fonts(), bytes))) << c.what;
    }
}

TEST(SwfText, ABoxOfItsOwnClipsTheTextUnlessTheFieldFitsItsText)
{
    swf::ByteBudget bytes;
    swf::Field field = Plain("ab");
    field.border = true;
    EXPECT_TRUE(swf::LayOutField(field, Fonts(), bytes).clipToBox);
    EXPECT_TRUE(swf::LayOutField(field, Fonts(), bytes).border);
    field.autoSize = "left";
    EXPECT_FALSE(swf::LayOutField(field, Fonts(), bytes).clipToBox);
}
