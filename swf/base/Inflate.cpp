#include "swf/base/Inflate.h"

#include "swf/base/Types.h"

#include <zlib.h>

#include <algorithm>

namespace swf {

std::vector<uint8_t> Inflate(const uint8_t* data, std::size_t size, std::size_t limit)
{
    std::vector<uint8_t> out(std::min<std::size_t>(limit, 1u << 16));
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw FormatError("zlib cannot start");
    z.next_in = const_cast<uint8_t*>(data);
    std::size_t inLeft = size;
    std::size_t produced = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (produced == out.size()) {
            if (out.size() >= limit) {
                // Room for one more byte tells a stream that ends here from one that goes on.
                uint8_t probe;
                z.next_out = &probe;
                z.avail_out = 1;
                const uInt chunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
                z.avail_in = chunk;
                status = inflate(&z, Z_NO_FLUSH);
                inLeft -= chunk - z.avail_in;
                if (z.avail_out == 0) {
                    inflateEnd(&z);
                    throw FormatError("compressed data inflates past its limit");
                }
                break;
            }
            out.resize(std::min(limit, out.size() * 2));
        }
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - produced, 1u << 30));
        const uInt chunk = static_cast<uInt>(std::min<std::size_t>(inLeft, 1u << 30));
        z.avail_in = chunk;
        const uInt before = z.avail_out;
        status = inflate(&z, Z_NO_FLUSH);
        inLeft -= chunk - z.avail_in;
        produced += before - z.avail_out;
        if (status == Z_BUF_ERROR && inLeft == 0 && z.avail_in == 0)
            break;  // truncated stream: keep what came out
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            inflateEnd(&z);
            throw FormatError("compressed data is corrupt");
        }
    }
    inflateEnd(&z);
    out.resize(produced);
    return out;
}

}  // namespace swf
