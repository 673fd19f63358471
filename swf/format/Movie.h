// A parsed SWF movie: header, dictionary of characters and the root timeline. Loading parses
// every tag once; playing and drawing never touch the file again.
#pragma once

#include "swf/format/Shape.h"
#include "swf/base/Types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace swf {

// Decodes JPEG data (a complete stream, tables included) into opaque pixels in place of the
// player's own decoder (tests use it to supply fixed pixels); false for data it cannot decode
// or that would be larger than `maxPixels`.
class JpegDecoder {
public:
    virtual ~JpegDecoder() = default;
    virtual bool Decode(const uint8_t* data, std::size_t size, std::size_t maxPixels, Bitmap& out) = 0;
};

// Events of a placed sprite that its clip actions answer (the bits of the file's event flags).
enum ClipEvent : uint32_t { kEventLoad = 0x1, kEventEnterFrame = 0x2, kEventUnload = 0x4, kEventInitialize = 0x200 };

struct ClipAction {
    uint32_t events = 0;
    std::vector<uint8_t> code;  // action bytes, run by the script core
};

struct PlaceCommand {
    int depth = 0;
    bool move = false;
    bool hasCharacter = false;
    uint16_t characterId = 0;
    bool hasMatrix = false;
    Matrix matrix;
    bool hasCxForm = false;
    CxForm cxform;
    bool hasRatio = false;
    uint16_t ratio = 0;
    bool hasClipDepth = false;
    bool hasCacheAsBitmap = false;
    bool cacheAsBitmap = false;
    bool hasOpaqueBackground = false;
    Rgba opaqueBackground;  // drawn over the object's box, under the object
    int clipDepth = 0;
    std::string name;  // instance name, or empty
    std::vector<ClipAction> clipActions;
};

struct Command {
    enum Kind : uint8_t { kPlace, kRemove, kActions, kInitActions };
    Kind kind;
    PlaceCommand place;  // kPlace; kRemove uses place.depth, kInitActions place.characterId
    std::vector<uint8_t> code;  // kActions, kInitActions: action bytes
};

struct Timeline {
    std::vector<std::vector<Command>> frames;  // the commands up to each ShowFrame
    std::map<std::string, int> labels;         // 0-based frame of each label
};

struct TextGlyph {
    int index;
    double x;  // twips from the text's origin
};

struct TextRun {
    uint16_t fontId = 0;
    bool fallback = false;  // drawn in the fallback font, not `fontId`
    Rgba color;
    double y = 0;
    double height = 0;  // twips
    std::vector<TextGlyph> glyphs;
};

struct Text {
    Matrix matrix;
    std::vector<TextRun> runs;
    // A text field's box, and the border and background drawn there; the glyphs of a field
    // that does not fit its box to its text show only inside the box.
    bool clipToBox = false;
    Rect box;
    bool border = false, background = false;
    Rgba borderColor{0, 0, 0, 255}, backgroundColor{255, 255, 255, 255};
    double textWidth = 0, textHeight = 0;  // twips the laid-out text takes
};

// A style of a field's style sheet: what it gives the HTML elements of its tag name ("p") or
// of its class (".name"). Unset parts leave the element as it is.
struct TextCss {
    std::string selector;  // lower case
    std::optional<Rgba> color;
    std::optional<double> size;  // twips
    std::optional<uint8_t> align;
    std::optional<bool> bold, italic;
    std::optional<std::string> font;
    std::optional<double> indent, leading, leftMargin, rightMargin, letterSpacing;  // twips
};

// A text field as DefineEditText gives it (or a script changes it), before it is laid out.
struct Field {
    Rect box;
    bool wordWrap = false, multiline = false, password = false;
    bool html = false;      // takes HTML
    bool markup = false;    // `text` is HTML
    bool outlines = false;  // drawn in its embedded font; else in the fallback font
    bool border = false, background = false;
    Rgba borderColor{0, 0, 0, 255}, backgroundColor{255, 255, 255, 255};
    // "none", or how a field that fits its box to its text keeps its place ("left", "right",
    // "center"); such a field shows all of its text.
    std::string autoSize = "none";
    uint16_t fontId = 0;
    std::string face;   // a font's name that stands in for `fontId`
    double size = 240;  // twips
    Rgba color;
    bool bold = false, italic = false;  // pick the font of the same name in that weight and slant
    uint8_t align = 0;  // left, right, center, justify
    // Twips. A negative indent hangs the first line out, never past the box's left margin.
    double leftMargin = 0, rightMargin = 0, indent = 0, blockIndent = 0, leading = 0;
    std::string text;
    std::vector<TextCss> css;  // the style sheet its HTML is read with
    // The format of text a script sets from now on (setNewTextFormat); null: the field's own.
    std::shared_ptr<const Field> newFormat;
};

struct Font {
    std::vector<Shape> glyphs;
    double emSquare = 1024;  // glyph units per text height (20480 in DefineFont3)
    std::string name;
    bool bold = false;
    bool italic = false;
    std::vector<uint16_t> codes;  // character of each glyph
    // Layout, in glyph units; without it a text field measures glyphs by their bounds.
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0;
    std::vector<double> advances;
    std::map<uint32_t, double> kerning;  // adjustment after character a before b, key a << 16 | b
};

struct ButtonRecord {
    uint16_t characterId;
    int depth;
    Matrix matrix;
    CxForm cxform;
};

struct Button {
    std::vector<ButtonRecord> upState;  // by depth
};

struct Sprite {
    Timeline timeline;
};

enum class CharacterKind : uint8_t { kShape, kMorph, kBitmap, kFont, kText, kButton, kSprite };

class Movie {
public:
    // Parses a whole file. Throws FormatError for a movie it refuses, among them one that
    // would take more than `maxBytes`, or when `cancel` is set meanwhile. JPEG bitmaps are
    // decoded by the player's own decoder unless `jpeg` is given.
    static std::unique_ptr<Movie> Load(const uint8_t* data, std::size_t size, JpegDecoder* jpeg = nullptr,
                                       std::size_t maxBytes = kMaxMovieBytes,
                                       const std::atomic<bool>* cancel = nullptr);

    int version = 0;
    Rect stage;
    double frameRate = 12;  // frames per second
    int frameCount = 0;     // from the header
    Rgba background{255, 255, 255, 255};
    Timeline root;
    std::size_t tagCount = 0;  // tags read, those of sprites included
    std::size_t scriptBytes = 0;  // what the movie's byte budget leaves its scripts once loaded

    std::map<uint16_t, CharacterKind> kinds;
    std::map<uint16_t, Shape> shapes;
    std::map<uint16_t, MorphShape> morphs;
    std::map<uint16_t, Bitmap> bitmaps;
    std::map<uint16_t, Font> fonts;
    std::map<uint16_t, Text> texts;
    std::map<uint16_t, Field> fields;  // the text fields among `texts`, as defined
    std::map<uint16_t, Button> buttons;
    std::map<uint16_t, Sprite> sprites;
    std::map<std::string, uint16_t> exports;  // characters by exported name
};

// The bytes of a movie file. Its size is looked at first: a file larger than kMaxMovieBytes
// is refused before anything is read. Throws FormatError.
std::vector<uint8_t> ReadMovieFile(const std::string& path);

}  // namespace swf
