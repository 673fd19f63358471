#include "controls/BitmapFile.h"

#include "formats/BitmapFileCheck.h"
#include "framework/WinHandles.h"

#include <cstring>
#include <span>
#include <vector>

namespace {
// The largest file worth reading: the biggest uncompressed bitmap the check accepts, with
// room for its headers and palette.
constexpr LONGLONG kLargestBitmapFile = LONGLONG{nb::bmp::kMaxDimension} * nb::bmp::kMaxDimension * 4 + 65536;

// A bitmap file's bytes, read once. A large file (the backgrounds) is seen through a read-only
// view, whose pages come straight from the file with no buffer to fill first; a small one is
// read into memory, which costs fewer calls than setting up a view. Empty when the file cannot
// be read, is empty, or is larger than any bitmap the check accepts. While the file is open no
// other program may write to it, so its bytes stay as they were checked.
class CBitmapFileBytes {
public:
    explicit CBitmapFileBytes(const std::string& path)
    {
        CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
            size.QuadPart > kLargestBitmapFile)
            return;
        const auto nSize = static_cast<std::size_t>(size.QuadPart);
        if (nSize < kSmallestViewedFile) {
            m_buffer.resize(nSize);
            DWORD read = 0;
            if (::ReadFile(file.Get(), m_buffer.data(), static_cast<DWORD>(nSize), &read, nullptr) && read == nSize)
                m_bytes = m_buffer;
            return;
        }
        CHandle mapping(::CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        // A view the process has no room for leaves the bitmap empty.
        m_pView = mapping ? ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (m_pView)
            m_bytes = {static_cast<const std::uint8_t*>(m_pView), nSize};
    }
    CBitmapFileBytes(const CBitmapFileBytes&) = delete;
    CBitmapFileBytes& operator=(const CBitmapFileBytes&) = delete;
    ~CBitmapFileBytes()
    {
        if (m_pView)
            ::UnmapViewOfFile(m_pView);
    }

    std::span<const std::uint8_t> Get() const { return m_bytes; }

private:
    static constexpr std::size_t kSmallestViewedFile = 256 * 1024;
    std::vector<std::uint8_t> m_buffer;
    void* m_pView = nullptr;
    std::span<const std::uint8_t> m_bytes;
};

// A device-independent section made from checked bytes: the file's size, bit count, masks
// and palette, with its pixels copied (or unpacked from RLE) from the bytes.
HBITMAP CreateSectionFromBytes(std::span<const std::uint8_t> bytes, const nb::bmp::BitmapFileFacts& facts)
{
    using nb::bmp::Compression;
    const bool bitFields = facts.compression == Compression::BitFields;
    const bool rle = facts.compression == Compression::Rle8 || facts.compression == Compression::Rle4;
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + (bitFields ? 3 * sizeof(DWORD) : 0) +
                                   facts.paletteCount * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = facts.width;
    header->biHeight = facts.bottomUp ? facts.height : -facts.height;
    header->biPlanes = 1;
    header->biBitCount = facts.bitCount;
    header->biCompression = bitFields ? BI_BITFIELDS : BI_RGB;
    header->biClrUsed = facts.paletteCount;
    std::uint8_t* next = info.data() + sizeof(BITMAPINFOHEADER);
    if (bitFields) {
        std::memcpy(next, facts.masks.data(), 3 * sizeof(DWORD));
        next += 3 * sizeof(DWORD);
    }
    for (std::uint32_t i = 0; i < facts.paletteCount; ++i, next += sizeof(RGBQUAD))
        std::memcpy(next, &bytes[facts.paletteOffset + i * facts.paletteEntrySize], 3);

    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                         &bits, nullptr, 0);
    if (!section || !bits)
        return section;
    const std::size_t size = facts.stride * static_cast<std::size_t>(facts.height);
    if (rle)
        nb::bmp::DecodeRlePixels(bytes, facts, {static_cast<std::uint8_t*>(bits), size});
    else
        std::memcpy(bits, &bytes[facts.pixelOffset], size);
    return section;
}

}  // namespace

void LoadBitmapFile(CBitmap& bitmap, const std::string& path)
{
    bitmap.DeleteObject();
    // Read once and checked before anything is made of it: the platform never sees the file.
    const CBitmapFileBytes file(path);
    const std::span<const std::uint8_t> bytes = file.Get();
    nb::bmp::BitmapFileFacts facts;
    if (bytes.empty() || !nb::bmp::CheckBitmapFile(bytes, &facts).empty())
        return;
    bitmap.Attach(CreateSectionFromBytes(bytes, facts));
}

bool IsLoadableBitmapFile(const std::string& path)
{
    return BitmapFileProblem(path).empty();
}

std::string BitmapFileProblem(const std::string& path)
{
    const CBitmapFileBytes file(path);
    if (file.Get().empty())
        return "empty, unreadable, or larger than any bitmap accepted";
    return nb::bmp::CheckBitmapFile(file.Get());
}
