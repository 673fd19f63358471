// zlib streams of compressed movies, lossless bitmaps and PNG images, inflated within a limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

// Inflates zlib data into at most `limit` bytes; throws FormatError for corrupt data or more.
std::vector<uint8_t> Inflate(const uint8_t* data, std::size_t size, std::size_t limit);

}  // namespace swf
