// JPEG bitmaps of movies decoded with libjpeg (native builds).
#include "tools/swfrender/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr) {}

class CLibJpegDecoder : public swf::JpegDecoder {
public:
    bool Decode(const uint8_t* data, std::size_t size, std::size_t maxPixels, swf::Bitmap& out) override
    {
        jpeg_decompress_struct cinfo{};
        ErrorManager err{};
        cinfo.err = jpeg_std_error(&err.base);
        err.base.error_exit = OnError;
        err.base.output_message = OnMessage;
        // Everything that must survive a longjmp lives outside this frame's locals.
        out = swf::Bitmap{};
        if (setjmp(err.jump)) {
            jpeg_destroy_decompress(&cinfo);
            out = swf::Bitmap{};
            return false;
        }
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
            static_cast<std::size_t>(cinfo.image_width) * cinfo.image_height > maxPixels) {
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        out.width = static_cast<int>(cinfo.output_width);
        out.height = static_cast<int>(cinfo.output_height);
        out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
        std::vector<uint8_t> row(static_cast<std::size_t>(out.width) * 3);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[1] = {row.data()};
            const std::size_t y = cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, rows, 1);
            for (int x = 0; x < out.width; ++x)
                out.pixels[y * out.width + x] = 0xFF000000u | row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2];
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
};

}  // namespace

std::unique_ptr<swf::JpegDecoder> MakePlatformJpegDecoder()
{
    return std::make_unique<CLibJpegDecoder>();
}
