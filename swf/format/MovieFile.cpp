// Reading a movie file with the standard streams: for the tools and tests. The program reads
// its movie through the system, so that the streams' locale machinery stays out of it; this
// source is its own object for that reason.
#include "swf/format/Movie.h"

#include <fstream>

namespace swf {

std::vector<uint8_t> ReadMovieFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        throw FormatError("the movie cannot be read");
    const std::streamoff size = file.tellg();
    if (size < 0)
        throw FormatError("the movie cannot be read");
    if (static_cast<unsigned long long>(size) > kMaxMovieBytes)
        throw FormatError("the movie is too large");
    std::vector<uint8_t> data(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(data.data()), size))
        throw FormatError("the movie cannot be read");
    return data;
}

}  // namespace swf
