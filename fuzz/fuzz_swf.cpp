// libFuzzer target: any bytes are parsed as a movie; a movie that loads plays and renders
// three frames on a small canvas. Refusals are fine; faults, hangs and leaks are not.
#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "swf/render/Renderer.h"

namespace {

// Hands back a small opaque picture for any JPEG, so the alpha and fill paths run too.
class CFakeJpeg : public swf::JpegDecoder {
public:
    bool Decode(const uint8_t* data, std::size_t size, std::size_t maxPixels, swf::Bitmap& out) override
    {
        if (size < 2 || maxPixels < 12)
            return false;
        out = {4, 3, std::vector<uint32_t>(12, 0xFF000000u | data[0] << 16 | data[size - 1])};
        return true;
    }
};

// The fuzzer looks for faults, not for slow frames: a sixteenth of a frame's work budget keeps
// every input, a script that runs its whole budget included, well inside the time-out.
constexpr std::size_t kFuzzFrameUnits = swf::kFrameWorkUnits / 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    CFakeJpeg jpeg;
    try {
        auto movie = swf::Movie::Load(data, size, &jpeg);
        swf::Player player(*movie, swf::avm1::MakeScripts, true, kFuzzFrameUnits);
        player.SetClipPainter(swf::MakeClipPainter(kFuzzFrameUnits));
        swf::Renderer renderer(kFuzzFrameUnits);
        swf::Canvas canvas(48, 32);
        const swf::Matrix view = swf::ExactFitView(movie->stage, canvas.width, canvas.height);
        for (int i = 0; i < 3; ++i) {
            player.Advance();
            renderer.Render(player, canvas, view);
        }
    } catch (const swf::FormatError&) {
    }
    return 0;
}
