#include "flash/FlashJpegDecoder.h"

#include <windows.h>
#include <wincodec.h>

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class CComRef {
public:
    CComRef() = default;
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p = nullptr;
};

class CWicJpegDecoder : public swf::JpegDecoder {
public:
    CWicJpegDecoder() : m_bCom(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CWicJpegDecoder() override
    {
        if (m_bCom)
            ::CoUninitialize();
    }

    bool Decode(const uint8_t* data, std::size_t size, std::size_t maxPixels, swf::Bitmap& out) override
    {
        if (size > 0x7FFFFFFF)
            return false;
        CComRef<IWICImagingFactory> factory;
        CComRef<IWICStream> stream;
        CComRef<IWICBitmapDecoder> decoder;
        CComRef<IWICBitmapFrameDecode> frame;
        CComRef<IWICFormatConverter> converter;
        UINT w = 0, h = 0;
        if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory))) ||
            FAILED(factory->CreateStream(&stream)) ||
            FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
            FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
            FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 ||
            static_cast<std::size_t>(w) * h > maxPixels || FAILED(factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                         0, WICBitmapPaletteTypeCustom)))
            return false;
        out.width = static_cast<int>(w);
        out.height = static_cast<int>(h);
        out.pixels.assign(static_cast<std::size_t>(w) * h, 0);
        if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(out.pixels.size() * 4),
                                         reinterpret_cast<BYTE*>(out.pixels.data()))))
            return false;
        for (uint32_t& p : out.pixels)
            p |= 0xFF000000u;  // JPEG pixels are opaque; an alpha plane comes separately
        return true;
    }

private:
    bool m_bCom;
};

}  // namespace

std::unique_ptr<swf::JpegDecoder> CreateWicJpegDecoder()
{
    return std::make_unique<CWicJpegDecoder>();
}
