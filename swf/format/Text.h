// Text fields: the tables of DefineFont2/3 that lay text out, and DefineEditText read and laid
// out once into static glyph runs (alignment, margins, indent, leading, word wrap, and the
// HTML subset's <p>, <br>, <font>, <b>, <i>, <u>).
#pragma once

#include "swf/base/Budget.h"
#include "swf/format/Movie.h"
#include "swf/format/Reader.h"

#include <map>

namespace swf {

// The code table and layout of DefineFont2/3 that follow the glyph offsets. `table` is the
// start of the offset table, `flags` the font's flags byte.
void ReadFontTables(Reader& body, const uint8_t* table, std::size_t tableSize, uint8_t flags, Font& font,
                    ByteBudget& bytes);

// The font that draws device text (text in fonts the movie does not carry): a sans serif
// shipped with the player, the same on every platform.
const Font& FallbackFont();

// DefineEditText after the character id.
Field ReadEditText(Reader& body);
// A text field's text laid out into static glyph runs in the fonts given.
Text LayOutField(const Field& field, const std::map<uint16_t, Font>& fonts, ByteBudget& bytes);
// A field's text without its markup: HTML read into its characters, paragraphs ending in "\r"
// (the last one's end left out).
std::string PlainText(const Field& field, ByteBudget& bytes);
// What a field and its laid-out text take, in bytes.
std::size_t FieldBytes(const Field& field, const Text& text);

}  // namespace swf
