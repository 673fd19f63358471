// Text fields laid out from their font's layout tables and from what scripts give them: lines
// and glyphs placed by HTML, TextFormat and style sheets (checked by the pixels of a font of
// square glyphs), what TextFormat, textWidth, textHeight and StyleSheet read back, and the
// layout rules the script-free cases show best (run positions in a font made here).
#include "swf/format/Text.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageView.h"
#include "tests/native/Avm1Script.h"

using namespace swftest;

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kNone = 0;

// DefineFont3 1 "Box" (20480 units to the em): at 20 pixels "a" is a 10-pixel square on the
// baseline advancing 10, "b" a bar 20 wide and 2 high under it advancing 20, " " advances 5;
// the ascent is 16 pixels and the descent 4.
Bytes BoxFont()
{
    const Bytes glyphs[] = {Edges(1, 0).Box(0, -10240, 10240, 10240, 0, 1).Done(),
                            Edges(1, 0).Box(0, 0, 20480, 2048, 0, 1).Done(), Edges(1, 0).Done()};
    const unsigned codes[] = {'a', 'b', ' '};
    const int advances[] = {10240, 20480, 5120};
    Bytes offsets, shapes;
    const unsigned tableSize = 2 * 3 + 2;
    for (const Bytes& g : glyphs) {
        offsets = offsets + U16(tableSize + static_cast<unsigned>(shapes.size()));
        shapes = shapes + g;
    }
    Bytes layout = U16(16384) + U16(4096) + U16(0);
    for (int a : advances)
        layout = layout + U16(static_cast<unsigned>(a));
    for (int i = 0; i < 3; ++i)
        layout = layout + Rect(0, 0, 0, 0);
    Bytes codeTable;
    for (unsigned c : codes)
        codeTable = codeTable + U16(c);
    const Bytes body = U16(1) + Bytes{0x84, 0, 3, 'B', 'o', 'x'} + U16(3) + offsets +
                       U16(tableSize + static_cast<unsigned>(shapes.size())) + shapes + codeTable + layout + U16(0);
    return Tag(swf::tag::kDefineFont3, body);
}

// A field "t" over the whole 100 x 100 stage in font Box, 20 pixels, red, taking HTML.
const std::string kField = "_root.createTextField('t', 1, 0, 0, 100, 100); t.embedFonts = true; t.html = true; "
                           "t.multiline = true; t.setNewTextFormat(new TextFormat('Box', 20, 0xFF0000)); ";

struct Probe {
    int x, y;
    uint32_t argb;
};

void ExpectPixels(const std::string& script, std::initializer_list<Probe> probes)
{
    const ScriptRun run = RunMovie(BoxFont() + DoAction(Script(kField + script)) + ShowFrame());
    swf::Canvas canvas(100, 100);
    swf::Renderer().Render(*run.player, canvas, swf::ExactFitView(run.movie->stage, 100, 100));
    for (const Probe& p : probes)
        EXPECT_EQ(p.argb, canvas.At(p.x, p.y)) << "at " << p.x << "," << p.y << " after " << script;
}

}  // namespace

TEST(SwfTextLayout, LinesAndGlyphsLandWhereTheFormatPutsThem)
{
    struct Case {
        std::string script;
        std::initializer_list<Probe> probes;
    };
    // Text starts 2 pixels inside the box: the first "a" covers x 2..12, y 8..18 (baseline 18).
    const Case cases[] = {
        {"t.htmlText = 'a'", {{7, 13, kRed}, {7, 25, kNone}, {17, 13, kNone}}},
        // An empty line is as high as its font (16 + 4): the next baseline is at 38.
        {"t.htmlText = '<br>a'", {{7, 33, kRed}, {7, 13, kNone}}},
        {"t.htmlText = '<p align=\"right\">a</p>'", {{93, 13, kRed}, {7, 13, kNone}}},
        {"t.htmlText = '<p align=\"center\">a</p>'", {{50, 13, kRed}, {7, 13, kNone}}},
        // Each line break starts a paragraph, indented again.
        {"t.htmlText = '<textformat indent=\"20\">a<br>a</textformat>'", {{27, 13, kRed}, {7, 13, kNone}, {27, 33, kRed}}},
        {"t.htmlText = '<textformat leading=\"10\">a<br>a</textformat>'", {{7, 43, kRed}, {7, 30, kNone}}},
        {"t.htmlText = '<textformat blockindent=\"30\">a<br>a</textformat>'", {{37, 13, kRed}, {37, 33, kRed}}},
        {"t.htmlText = '<font color=\"#0000FF\">a</font>a'", {{7, 13, kBlue}, {17, 13, kRed}}},
        // 40 pixels: a 20-pixel square on the baseline at 2 + 32.
        {"t.htmlText = '<font size=\"40\">a</font>'", {{20, 16, kRed}, {20, 12, kNone}}},
        {"t.htmlText = 'ab'", {{7, 13, kRed}, {20, 19, kRed}, {20, 13, kNone}}},
        {"s = new TextField.StyleSheet(); s.setStyle('.hot', {color: '#00FF00'}); s.setStyle('p', {textAlign: 'right'}); "
         "t.styleSheet = s; t.htmlText = '<p><span class=\"HOT\">a</span>a</p>'",
         {{83, 13, kGreen}, {93, 13, kRed}}},
        {"t.text = 'a'; t.setTextFormat(new TextFormat(null, null, 0x0000FF))", {{7, 13, kBlue}}},
        {"t.text = 'a'; f = new TextFormat(); f.leftMargin = 30; f.blockIndent = 10; t.setTextFormat(f)",
         {{47, 13, kRed}, {7, 13, kNone}}},
        // An indent back past the left margin stops at the box's text edge.
        {"t.text = 'a'; f = new TextFormat(); f.leftMargin = 10; f.indent = -30; t.setTextFormat(f)",
         {{7, 13, kRed}}},
    };
    for (const Case& c : cases)
        ExpectPixels(c.script, c.probes);
}

TEST(SwfTextLayout, ScriptsReadTheFormatsAndMeasures)
{
    const Bytes font = BoxFont();
    ExpectTraces(
        {
            {kField + "t.text = 'ab a'; trace(t.textWidth + ' ' + t.textHeight)", "45 20"},
            {kField + "t.htmlText = 'a<br>ab'; trace(t.textWidth + ' ' + t.textHeight)", "30 40"},
            {kField + "t.htmlText = '<textformat leading=\"6\">a<br>a</textformat>'; trace(t.textHeight)", "46"},
            {kField + "t.htmlText = '<p>a</p><p>b&amp;</p>'; trace(t.text == 'a\rb&')", "true"},
            {"_root.createTextField('t', 1, 0, 0, 100, 100); f = t.getTextFormat(); "
             "trace(f.font + ' ' + f.size + ' ' + f.color + ' ' + f.bold + ' ' + f.align + ' ' + f.indent)",
             "Times New Roman 12 0 false left 0"},
            {kField + "t.setNewTextFormat(new TextFormat('Box', 30, 0x00FF00, true, false, false, null, null, "
                      "'center', 1, 2, -3, 4)); t.text = 'a'; f = t.getTextFormat(); "
                      "trace(f.font + ' ' + f.size + ' ' + f.color + ' ' + f.bold + ' ' + f.italic + ' ' + f.align + "
                      "' ' + f.leftMargin + ' ' + f.rightMargin + ' ' + f.indent + ' ' + f.leading + ' ' + "
                      "f.blockIndent)",
             "Box 30 65280 true false center 1 2 -3 4 0"},
            {kField + "t.text = 'a'; t.setNewTextFormat(new TextFormat(null, 40)); "
                      "trace(t.getTextFormat().size + ' ' + t.getNewTextFormat().size)",
             "20 40"},
            {"f = new TextFormat('x', 9); trace(f.font + ' ' + f.size + ' ' + f.color + ' ' + f.align)",
             "x 9 null null"},
            {"s = new TextField.StyleSheet(); s.setStyle('.a', {color: '#FF0000'}); s.setStyle('p', {}); "
             "trace(s.getStyleNames().length); trace(s.getStyle('.a').color); s.setStyle('p', null); "
             "trace(s.getStyleNames()); trace(s.getStyle('q'))",
             "2\n#FF0000\n.a\nnull"},
            {"s = new TextField.StyleSheet(); trace(s.parseCSS('.x, p { color: #00FF00; font-size: 12px } a {}')); "
             "trace(s.getStyle('.x').fontSize + ' ' + s.getStyle('p').color); trace(s.parseCSS('.y { color: red'))",
             "true\n12px #00FF00\nfalse"},
            {"_root.createTextField('t', 1, 0, 0, 100, 100); trace(t.html); "
             "t.styleSheet = new TextField.StyleSheet(); trace(t.html)",
             "false\ntrue"},
        },
        font);
}

namespace {

// Font 1, 1024 units to the em, with advances of no whole twips: at 200 twips "a" advances
// 97.66 twips and " " 48.83; the ascent is 180 twips, the descent 40.
const std::map<uint16_t, swf::Font>& Fonts()
{
    static const std::map<uint16_t, swf::Font> fonts = [] {
        swf::Font font;
        font.codes = {'a', ' '};
        font.advances = {500, 250};
        font.glyphs.resize(font.codes.size());
        font.hasLayout = true;
        font.ascent = 921.6;
        font.descent = 204.8;
        return std::map<uint16_t, swf::Font>{{1, font}};
    }();
    return fonts;
}

// Each run's baseline, then its glyphs' x (twips).
std::string Describe(const swf::Text& text)
{
    std::string out;
    for (const swf::TextRun& run : text.runs) {
        out += "y" + std::to_string(static_cast<int>(run.y)) + ":";
        for (const swf::TextGlyph& g : run.glyphs)
            out += " " + std::to_string(static_cast<int>(g.x));
        out += "\n";
    }
    return out;
}

}  // namespace

TEST(SwfTextLayout, AdvancesIndentsAndBreaksFollowTheField)
{
    struct Case {
        const char* what;
        double indent;
        double leftMargin;
        const char* text;
        const char* runs;
    };
    const Case cases[] = {
        {"advances are whole twips", 0, 0, "aaa", "y220: 40 137 234\n"},
        {"a negative indent hangs into the margin", -60, 100, "aa", "y220: 80 177\n"},
        {"and stops at the text's edge", -300, 100, "aa", "y220: 40 137\n"},
        {"an indent past the line's end leaves the word whole on the first line", 2000, 0, "aaaaaaaaaaa",
         "y220: 2040 2137 2234 2331 2428 2525 2622 2719 2816 2913 3010\n"},
        {"a long word still breaks on a line that has room", 0, 0, "aaaaaaaaaaa",
         "y220: 40 137 234 331 428 525 622 719 816\ny440: 40 137\n"},
        {"an empty line is as high as its font", 0, 0, "\naa", "y440: 40 137\n"},
    };
    for (const Case& c : cases) {
        swf::Field field;
        field.box = {0, 1000, 0, 1000};
        field.outlines = field.wordWrap = field.multiline = true;
        field.fontId = 1;
        field.size = 200;
        field.indent = c.indent;
        field.leftMargin = c.leftMargin;
        field.text = c.text;
        swf::ByteBudget bytes;
        EXPECT_EQ(c.runs, Describe(swf::LayOutField(field, Fonts(), bytes))) << c.what;
    }
}
