#include "swf/format/Movie.h"

#include "swf/base/Inflate.h"
#include "swf/image/PngGif.h"
#include "swf/image/Jpeg.h"
#include "swf/format/Reader.h"
#include "swf/format/TagIds.h"
#include "swf/format/Text.h"

#include <algorithm>
#include <cstring>

namespace swf {
namespace {

// Parsing state shared by the root and its sprites.
class Loader {
public:
    Loader(Movie& movie, JpegDecoder* jpeg, ByteBudget& bytes) : m_movie(movie), m_jpeg(jpeg), m_bytes(bytes) {}
    void ReadTags(Reader& r, Timeline& timeline, bool inSprite);

private:
    // Enters a character of `bytes` (its value in its kind's map) into the dictionary.
    void Define(uint16_t id, CharacterKind kind, std::size_t bytes)
    {
        m_bytes.Spend(1, 2 * kNodeBytes + bytes);
        m_movie.kinds[id] = kind;
    }
    void ReadDefinition(uint16_t code, Reader& body);
    PlaceCommand ReadPlace(uint16_t code, Reader& body);
    std::vector<ClipAction> ReadClipActions(Reader& body);
    // The rest of `body`: action bytes for the script core.
    std::vector<uint8_t> ReadCode(const Reader& body)
    {
        m_bytes.Spend(body.Remaining());
        return std::vector<uint8_t>(body.Here(), body.Here() + body.Remaining());
    }
    void ReadLossless(Reader& body, bool alpha);
    void ReadJpeg(uint16_t code, Reader& body);
    void ReadFont(uint16_t code, Reader& body);
    void ReadText(Reader& body, bool alpha);
    void ReadButton(Reader& body, bool version2);
    void CountPixels(std::size_t w, std::size_t h);

    Movie& m_movie;
    JpegDecoder* m_jpeg;
    ByteBudget& m_bytes;
    std::vector<uint8_t> m_jpegTables;
    bool m_bBackgroundSet = false;
};

void Loader::CountPixels(std::size_t w, std::size_t h)
{
    if (w * h > kMaxBitmapPixels)
        throw FormatError("the movie's bitmaps are too large");
    m_bytes.Spend(w * h, sizeof(uint32_t));
}

void Loader::ReadTags(Reader& r, Timeline& timeline, bool inSprite)
{
    std::vector<Command> frame;
    while (r.Remaining() > 0) {
        const uint16_t header = r.U16();
        const uint16_t code = header >> 6;
        std::size_t length = header & 0x3F;
        if (length == 0x3F)
            length = r.U32();
        if (length > r.Remaining())
            throw FormatError("a tag runs past the end of the movie");
        Reader body = r.Sub(length);
        ++m_movie.tagCount;
        switch (code) {
        case tag::kEnd:
            return;
        case tag::kShowFrame:
            if (timeline.frames.size() >= static_cast<std::size_t>(kMaxFrames))
                throw FormatError("a timeline has too many frames");
            m_bytes.Push(timeline.frames, std::move(frame));
            frame.clear();
            break;
        case tag::kPlaceObject:
        case tag::kPlaceObject2:
        case tag::kPlaceObject3: {
            Command c{Command::kPlace, ReadPlace(code, body), {}};
            m_bytes.Push(frame, std::move(c));
            break;
        }
        case tag::kRemoveObject:
        case tag::kRemoveObject2: {
            Command c{Command::kRemove, {}, {}};
            if (code == tag::kRemoveObject)
                body.U16();
            c.place.depth = body.U16();
            m_bytes.Push(frame, std::move(c));
            break;
        }
        case tag::kDoAction: {
            Command c{Command::kActions, {}, ReadCode(body)};
            m_bytes.Push(frame, std::move(c));
            break;
        }
        case tag::kDoInitAction: {
            // Init actions belong to the root's frames, whichever timeline holds them.
            Command c{Command::kInitActions, {}, {}};
            c.place.characterId = body.U16();
            c.code = ReadCode(body);
            m_bytes.Push(frame, std::move(c));
            break;
        }
        case tag::kExportAssets:
            for (int n = body.U16(); n > 0; --n) {
                const uint16_t id = body.U16();
                std::string name = body.ReadString();
                m_bytes.Spend(1, kNodeBytes + name.size());
                m_movie.exports[std::move(name)] = id;
            }
            break;
        case tag::kFrameLabel: {
            std::string label = body.ReadString();
            m_bytes.Spend(1, kNodeBytes + label.size());
            timeline.labels.emplace(std::move(label), static_cast<int>(timeline.frames.size()));
            break;
        }
        case tag::kSetBackgroundColor:
            // The root's first one sets the stage's opaque colour; later ones, and any in a
            // sprite, change nothing.
            if (!inSprite && !m_bBackgroundSet) {
                m_movie.background = body.ReadRgb();
                m_movie.background.a = 255;
                m_bBackgroundSet = true;
            }
            break;
        default:
            // Definitions inside a sprite are not allowed; they are skipped like unknown tags.
            if (!inSprite)
                ReadDefinition(code, body);
            break;
        }
    }
}

void Loader::ReadDefinition(uint16_t code, Reader& body)
{
    switch (code) {
    case tag::kDefineShape:
    case tag::kDefineShape2:
    case tag::kDefineShape3:
    case tag::kDefineShape4: {
        const uint16_t id = body.U16();
        const int version = code == tag::kDefineShape    ? 1
                            : code == tag::kDefineShape2 ? 2
                            : code == tag::kDefineShape3 ? 3
                                                         : 4;
        Define(id, CharacterKind::kShape, sizeof(Shape));
        m_movie.shapes[id] = ReadShape(body, version, m_bytes);
        break;
    }
    case tag::kDefineMorphShape:
    case tag::kDefineMorphShape2: {
        const uint16_t id = body.U16();
        Define(id, CharacterKind::kMorph, sizeof(MorphShape));
        m_movie.morphs[id] = ReadMorphShape(body, code == tag::kDefineMorphShape ? 1 : 2, m_bytes);
        break;
    }
    case tag::kDefineBitsLossless:
    case tag::kDefineBitsLossless2:
        ReadLossless(body, code == tag::kDefineBitsLossless2);
        break;
    case tag::kJpegTables:
        m_bytes.Spend(body.Remaining());
        m_jpegTables.assign(body.Here(), body.Here() + body.Remaining());
        break;
    case tag::kDefineBits:
    case tag::kDefineBitsJpeg2:
    case tag::kDefineBitsJpeg3:
    case tag::kDefineBitsJpeg4:
        ReadJpeg(code, body);
        break;
    case tag::kDefineFont:
    case tag::kDefineFont2:
    case tag::kDefineFont3:
        ReadFont(code, body);
        break;
    case tag::kDefineText:
    case tag::kDefineText2:
        ReadText(body, code == tag::kDefineText2);
        break;
    case tag::kDefineButton:
    case tag::kDefineButton2:
        ReadButton(body, code == tag::kDefineButton2);
        break;
    case tag::kDefineEditText: {
        const uint16_t id = body.U16();
        Field field = ReadEditText(body);
        Define(id, CharacterKind::kText, sizeof(Text) + kNodeBytes + sizeof(Field) + field.face.size() + field.text.size());
        m_movie.texts[id] = LayOutField(field, m_movie.fonts, m_bytes);
        m_movie.fields[id] = std::move(field);
        break;
    }
    case tag::kDefineSprite: {
        const uint16_t id = body.U16();
        body.U16();  // frame count: the ShowFrame tags count
        Define(id, CharacterKind::kSprite, sizeof(Sprite));
        Sprite sprite;
        ReadTags(body, sprite.timeline, true);
        m_movie.sprites[id] = std::move(sprite);
        break;
    }
    default:
        break;  // every other tag is skipped by its length
    }
}

// A FILTERLIST, which is not applied: each filter's bytes by its kind. False at a filter of a
// kind whose size is unknown.
bool SkipFilters(Reader& body)
{
    const int count = body.U8();
    for (int i = 0; i < count; ++i) {
        switch (body.U8()) {
        case 0: body.Skip(23); break;  // drop shadow
        case 1: body.Skip(9); break;   // blur
        case 2: body.Skip(15); break;  // glow
        case 3: body.Skip(27); break;  // bevel
        case 4:                        // gradient glow
        case 7: {                      // gradient bevel
            const std::size_t colours = body.U8();
            body.Skip(colours * 5 + 19);
            break;
        }
        case 5: {  // convolution
            const std::size_t cells = std::size_t{body.U8()} * body.U8();
            body.Skip(8 + cells * 4 + 5);
            break;
        }
        case 6: body.Skip(80); break;  // colour matrix
        default: return false;
        }
    }
    return true;
}

PlaceCommand Loader::ReadPlace(uint16_t code, Reader& body)
{
    PlaceCommand p;
    if (code == tag::kPlaceObject) {
        p.hasCharacter = true;
        p.characterId = body.U16();
        p.depth = body.U16();
        p.hasMatrix = true;
        p.matrix = body.ReadMatrix();
        if (body.Remaining() > 0) {
            p.hasCxForm = true;
            p.cxform = body.ReadCxForm(false);
        }
        return p;
    }
    const uint8_t flags = body.U8();
    const uint8_t flags2 = code == tag::kPlaceObject3 ? body.U8() : 0;
    p.depth = body.U16();
    if ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02)))
        body.ReadString();  // class name
    p.move = flags & 0x01;
    if ((p.hasCharacter = flags & 0x02))
        p.characterId = body.U16();
    if ((p.hasMatrix = flags & 0x04))
        p.matrix = body.ReadMatrix();
    if ((p.hasCxForm = flags & 0x08))
        p.cxform = body.ReadCxForm(true);
    if ((p.hasRatio = flags & 0x10))
        p.ratio = body.U16();
    if (flags & 0x20) {
        p.name = body.ReadString();
        m_bytes.Spend(p.name.size());
    }
    if ((p.hasClipDepth = flags & 0x40))
        p.clipDepth = body.U16();
    if (code == tag::kPlaceObject3) {
        if ((flags2 & 0x01) && !SkipFilters(body))
            return p;  // what follows the filters cannot be found
        if (flags2 & 0x02)
            body.U8();  // blend mode
        if ((p.hasCacheAsBitmap = flags2 & 0x04))
            p.cacheAsBitmap = body.U8() != 0;
        if (flags2 & 0x20)
            body.U8();  // visibility
        if ((p.hasOpaqueBackground = flags2 & 0x40))
            p.opaqueBackground = body.ReadRgba();
    }
    if (flags & 0x80)
        p.clipActions = ReadClipActions(body);
    return p;
}

std::vector<ClipAction> Loader::ReadClipActions(Reader& body)
{
    // Event flags are 16 bits wide before version 6, 32 bits from it on.
    const bool wide = m_movie.version >= 6;
    auto events = [&] { return wide ? body.U32() : body.U16(); };
    std::vector<ClipAction> actions;
    body.U16();
    events();  // all events together
    for (;;) {
        const uint32_t e = events();
        if (e == 0)
            break;
        Reader code = body.Sub(body.U32());
        if (e & 0x20000)
            code.U8();  // the key of a key press event
        m_bytes.Push(actions, ClipAction{e, ReadCode(code)});
    }
    return actions;
}

void Loader::ReadLossless(Reader& body, bool alpha)
{
    const uint16_t id = body.U16();
    const uint8_t format = body.U8();
    const std::size_t w = body.U16();
    const std::size_t h = body.U16();
    if (format != 3 && format != 4 && format != 5)
        throw FormatError("a lossless bitmap has an unknown format");
    CountPixels(w, h);
    const std::size_t colors = format == 3 ? body.U8() + 1u : 0;
    const std::size_t entry = alpha ? 4 : 3;
    const std::size_t pixelBytes = format == 3 ? 1 : format == 4 ? 2 : 4;
    const std::size_t stride = (w * pixelBytes + 3) & ~std::size_t{3};
    const std::size_t expected = colors * entry + stride * h;
    m_bytes.Spend(expected);  // the inflated data, while the pixels are made
    const std::vector<uint8_t> data = Inflate(body.Here(), body.Remaining(), expected);
    if (data.size() < expected)
        throw FormatError("a lossless bitmap is truncated");

    // Colour values above their alpha are clamped: the pixels are premultiplied.
    auto pixel = [alpha](uint8_t a, uint8_t r, uint8_t g, uint8_t b) -> uint32_t {
        if (!alpha)
            a = 255;
        return static_cast<uint32_t>(a) << 24 | std::min(r, a) << 16 | std::min(g, a) << 8 | std::min(b, a);
    };
    std::vector<uint32_t> palette(256, 0);
    for (std::size_t i = 0; i < colors; ++i) {
        const uint8_t* c = &data[i * entry];
        palette[i] = pixel(alpha ? c[3] : 255, c[0], c[1], c[2]);
    }
    Bitmap bmp;
    bmp.width = static_cast<int>(w);
    bmp.height = static_cast<int>(h);
    bmp.pixels.resize(w * h);
    const uint8_t* rows = data.data() + colors * entry;
    for (std::size_t y = 0; y < h; ++y) {
        const uint8_t* row = rows + y * stride;
        for (std::size_t x = 0; x < w; ++x) {
            uint32_t& out = bmp.pixels[y * w + x];
            if (format == 3) {
                out = palette[row[x]];
            } else if (format == 4) {
                const unsigned v = row[2 * x] << 8 | row[2 * x + 1];
                auto five = [](unsigned c) { return static_cast<uint8_t>((c & 31) << 3 | (c & 31) >> 2); };
                out = pixel(255, five(v >> 10), five(v >> 5), five(v));
            } else {
                const uint8_t* p = row + 4 * x;
                out = pixel(p[0], p[1], p[2], p[3]);
            }
        }
    }
    m_bytes.Refund(expected);
    Define(id, CharacterKind::kBitmap, sizeof(Bitmap));
    m_movie.bitmaps[id] = std::move(bmp);
}

// Drops a leading "FF D9 FF D8" that old encoders put before the image.
void AppendJpeg(std::vector<uint8_t>& out, const uint8_t* p, std::size_t n)
{
    static const uint8_t kBadStart[4] = {0xFF, 0xD9, 0xFF, 0xD8};
    if (n >= 4 && std::memcmp(p, kBadStart, 4) == 0) {
        p += 4;
        n -= 4;
    }
    out.insert(out.end(), p, p + n);
}

void Loader::ReadJpeg(uint16_t code, Reader& body)
{
    const uint16_t id = body.U16();
    std::size_t imageBytes = body.Remaining();
    if (code == tag::kDefineBitsJpeg3 || code == tag::kDefineBitsJpeg4) {
        imageBytes = body.U32();
        if (code == tag::kDefineBitsJpeg4)
            body.U16();  // deblocking filter strength: not applied
        if (imageBytes > body.Remaining())
            throw FormatError("a JPEG bitmap's alpha lies outside it");
    }
    Reader image = body.Sub(imageBytes);
    if (code != tag::kDefineBits && (IsPng(image.Here(), imageBytes) || IsGif(image.Here(), imageBytes))) {
        // PNG and GIF payloads carry their own transparency and are decoded here. Their
        // working buffers (the inflated rows, up to 8 bytes a pixel) and the pixels must fit.
        Bitmap bmp;
        const bool png = IsPng(image.Here(), imageBytes);
        m_bytes.Spend(imageBytes);
        const std::size_t room = std::min(kMaxBitmapPixels, m_bytes.Left() / 16);
        if ((png ? DecodePng : DecodeGif)(image.Here(), imageBytes, room, bmp))
            CountPixels(bmp.width, bmp.height);
        m_bytes.Refund(imageBytes);
        Define(id, CharacterKind::kBitmap, sizeof(Bitmap));
        m_movie.bitmaps[id] = std::move(bmp);
        return;
    }
    // The stream joined with the shared tables, while it is decoded.
    const std::size_t streamBytes = image.Remaining() + m_jpegTables.size();
    m_bytes.Spend(streamBytes);
    std::vector<uint8_t> stream;
    if (code == tag::kDefineBits && m_jpegTables.size() >= 2) {
        // The shared tables without their end marker, then the image without its start marker.
        AppendJpeg(stream, m_jpegTables.data(), m_jpegTables.size());
        if (stream.size() >= 2 && stream[stream.size() - 2] == 0xFF && stream.back() == 0xD9)
            stream.resize(stream.size() - 2);
        const uint8_t* p = image.Here();
        std::size_t n = image.Remaining();
        if (n >= 4 && p[0] == 0xFF && p[1] == 0xD9 && p[2] == 0xFF && p[3] == 0xD8) {
            p += 4;
            n -= 4;
        }
        if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8) {
            p += 2;
            n -= 2;
        }
        stream.insert(stream.end(), p, p + n);
    } else {
        AppendJpeg(stream, image.Here(), image.Remaining());
    }
    Bitmap bmp;
    const std::size_t room = std::min(kMaxBitmapPixels, m_bytes.Left() / sizeof(uint32_t));
    const bool decoded = m_jpeg ? m_jpeg->Decode(stream.data(), stream.size(), room, bmp)
                                : DecodeJpeg(stream.data(), stream.size(), room, m_bytes, bmp);
    if (decoded && bmp.width > 0 && bmp.height > 0 &&
        bmp.pixels.size() == static_cast<std::size_t>(bmp.width) * bmp.height) {
        CountPixels(bmp.width, bmp.height);
        if (code != tag::kDefineBits && code != tag::kDefineBitsJpeg2 && body.Remaining() > 0) {
            m_bytes.Spend(bmp.pixels.size());
            const std::vector<uint8_t> alpha = Inflate(body.Here(), body.Remaining(), bmp.pixels.size());
            m_bytes.Refund(bmp.pixels.size());
            for (std::size_t i = 0; i < alpha.size(); ++i) {
                const Rgba c = {static_cast<uint8_t>(bmp.pixels[i] >> 16), static_cast<uint8_t>(bmp.pixels[i] >> 8),
                                static_cast<uint8_t>(bmp.pixels[i]), alpha[i]};
                bmp.pixels[i] = Premultiply(c);
            }
        }
    } else {
        bmp = Bitmap{};  // a JPEG that cannot be decoded is drawn as nothing
    }
    m_bytes.Refund(streamBytes);
    Define(id, CharacterKind::kBitmap, sizeof(Bitmap));
    m_movie.bitmaps[id] = std::move(bmp);
}

void Loader::ReadFont(uint16_t code, Reader& body)
{
    const uint16_t id = body.U16();
    Font font;
    std::size_t count = 0;
    bool wide = false;
    uint8_t flags = 0;
    if (code != tag::kDefineFont) {
        flags = body.U8();
        wide = flags & 0x08;
        body.U8();  // language
        const std::size_t nameBytes = body.U8();
        Reader name = body.Sub(nameBytes);
        m_bytes.Spend(nameBytes);
        font.name.assign(reinterpret_cast<const char*>(name.Here()), nameBytes);
        font.name.erase(std::find(font.name.begin(), font.name.end(), '\0'), font.name.end());
        count = body.U16();
        if (code == tag::kDefineFont3)
            font.emSquare = 1024 * 20;
    }
    // Glyph offsets count from the start of the offset table.
    const uint8_t* table = body.Here();
    const std::size_t tableSize = body.Remaining();
    std::vector<std::size_t> offsets;
    if (code == tag::kDefineFont) {
        if (tableSize >= 2)
            count = (table[0] | table[1] << 8) / 2;
    }
    if (count * (wide ? 4 : 2) > tableSize)
        throw FormatError("a font's glyph table is truncated");
    Define(id, CharacterKind::kFont, sizeof(Font));
    m_bytes.Spend(count, sizeof(std::size_t));
    for (std::size_t i = 0; i < count; ++i)
        offsets.push_back(wide ? body.U32() : body.U16());
    for (std::size_t i = 0; i < count; ++i) {
        if (offsets[i] >= tableSize)
            throw FormatError("a font's glyph lies outside it");
        Reader glyph(table + offsets[i], tableSize - offsets[i]);
        m_bytes.Push(font.glyphs, ReadGlyph(glyph, m_bytes));
    }
    m_bytes.Refund(count * sizeof(std::size_t));
    if (code != tag::kDefineFont)
        ReadFontTables(body, table, tableSize, flags, font, m_bytes);
    m_movie.fonts[id] = std::move(font);
}

void Loader::ReadText(Reader& body, bool alpha)
{
    const uint16_t id = body.U16();
    Define(id, CharacterKind::kText, sizeof(Text));
    body.ReadRect();
    Text text;
    text.matrix = body.ReadMatrix();
    const int glyphBits = body.U8();
    const int advanceBits = body.U8();
    if (glyphBits > 32 || advanceBits > 32)
        throw FormatError("a text has too wide glyph fields");
    TextRun run;
    double x = 0;
    for (;;) {
        const uint8_t flags = body.U8();
        if (flags == 0)
            break;
        if (flags & 0x08)
            run.fontId = body.U16();
        if (flags & 0x04)
            run.color = alpha ? body.ReadRgba() : body.ReadRgb();
        if (flags & 0x01)
            x = body.S16();
        if (flags & 0x02)
            run.y = body.S16();
        if (flags & 0x08)
            run.height = body.U16();
        run.glyphs.clear();
        for (int n = body.U8(); n > 0; --n) {
            const int index = static_cast<int>(body.UB(glyphBits));
            m_bytes.Push(run.glyphs, TextGlyph{index, x});
            x += body.SB(advanceBits);
        }
        body.Align();
        m_bytes.Push(text.runs, std::move(run));  // its style stays for the next record
    }
    m_movie.texts[id] = std::move(text);
}

void Loader::ReadButton(Reader& body, bool version2)
{
    const uint16_t id = body.U16();
    Define(id, CharacterKind::kButton, sizeof(Button));
    if (version2) {
        body.U8();   // track as menu
        body.U16();  // offset of the actions
    }
    Button button;
    for (;;) {
        const uint8_t flags = body.U8();
        if (flags == 0)
            break;
        ButtonRecord rec{};
        rec.characterId = body.U16();
        rec.depth = body.U16();
        rec.matrix = body.ReadMatrix();
        if (version2)
            rec.cxform = body.ReadCxForm(true);
        if (flags & 1)
            m_bytes.Push(button.upState, rec);
        if (flags & 0x30)
            break;  // filter lists and blend modes end what is read of the states
    }
    std::stable_sort(button.upState.begin(), button.upState.end(),
                     [](const ButtonRecord& p, const ButtonRecord& q) { return p.depth < q.depth; });
    m_movie.buttons[id] = std::move(button);
}

}  // namespace

std::unique_ptr<Movie> Movie::Load(const uint8_t* data, std::size_t size, JpegDecoder* jpeg, std::size_t maxBytes,
                                   const std::atomic<bool>* cancel)
{
    if (size < 8 || data[1] != 'W' || data[2] != 'S' || (data[0] != 'F' && data[0] != 'C' && data[0] != 'Z'))
        throw FormatError("not a Flash movie");
    if (data[0] == 'Z')
        throw FormatError("LZMA-compressed movies (ZWS) are not supported");
    auto movie = std::make_unique<Movie>();
    movie->version = data[3];
    const std::size_t declared = data[4] | data[5] << 8 | data[6] << 16 | static_cast<std::size_t>(data[7]) << 24;
    if (declared < 8)
        throw FormatError("the movie's length is wrong");
    if (declared > maxBytes || size > maxBytes)
        throw FormatError("the movie is too large");
    // The file and its inflated body count against the movie's bytes while it loads.
    ByteBudget bytes(maxBytes);
    bytes.CancelWith(cancel);
    bytes.Spend(size);
    std::vector<uint8_t> inflated;
    const uint8_t* body = data + 8;
    std::size_t bodySize = std::min(size, declared) - 8;
    if (data[0] == 'C') {
        bytes.Spend(declared - 8);
        inflated = Inflate(data + 8, size - 8, declared - 8);
        body = inflated.data();
        bodySize = inflated.size();
    }
    Reader r(body, bodySize);
    movie->stage = r.ReadRect();
    const Rect& s = movie->stage;
    const int64_t w = int64_t{s.xMax} - s.xMin, h = int64_t{s.yMax} - s.yMin;
    if (w <= 0 || h <= 0)
        throw FormatError("the movie's stage is empty");
    if (w > kMaxStageTwips || h > kMaxStageTwips)
        throw FormatError("the movie's stage is too large");
    movie->frameRate = r.U16() / 256.0;
    movie->frameCount = r.U16();
    bytes.Spend(1, sizeof(Movie));
    Loader loader(*movie, jpeg, bytes);
    loader.ReadTags(r, movie->root, false);
    // The inflated body goes with the loading; what is left is the scripts' when it plays.
    if (data[0] == 'C')
        bytes.Refund(declared - 8);
    movie->scriptBytes = bytes.Left();
    return movie;
}

}  // namespace swf
