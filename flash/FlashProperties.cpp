#include "flash/FlashProperties.h"

#include <cctype>
#include <vector>

namespace {

constexpr uint32_t kSignature = 0x55665567;  // "gUfU"
constexpr uint16_t kStringRecord = 8;
constexpr uint16_t kBooleanRecord = 11;

class CStreamReader {
public:
    CStreamReader(const uint8_t* data, std::size_t size) : m_p(data), m_n(size) {}
    bool U16(uint16_t& v)
    {
        if (m_n - m_pos < 2)
            return false;
        v = static_cast<uint16_t>(m_p[m_pos] | m_p[m_pos + 1] << 8);
        m_pos += 2;
        return true;
    }
    bool U32(uint32_t& v)
    {
        uint16_t lo, hi;
        if (!U16(lo) || !U16(hi))
            return false;
        v = lo | static_cast<uint32_t>(hi) << 16;
        return true;
    }
    // A string record's value: UTF-16 text, kept as single bytes (the values are ASCII).
    bool Text(std::string& s)
    {
        uint32_t count;
        if (!U32(count) || count % 2 != 0 || count > m_n - m_pos)
            return false;
        s.clear();
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            const uint16_t c = static_cast<uint16_t>(m_p[m_pos + i] | m_p[m_pos + i + 1] << 8);
            if (c == 0)
                break;
            s += static_cast<char>(c < 0x80 ? c : '?');
        }
        m_pos += count;
        return true;
    }

private:
    const uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

bool EqualsNoCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == 0;
}

}  // namespace

bool CFlashProperties::IsTransparent() const
{
    return EqualsNoCase(m_strWMode, "Transparent");
}

CFlashProperties CFlashProperties::Read(const uint8_t* data, std::size_t size)
{
    CFlashProperties props;
    CStreamReader r(data, size);
    uint32_t zero, signature, version, width, height;
    if (!data || !r.U32(zero) || !r.U32(signature) || signature != kSignature || !r.U32(version) || !r.U32(width) ||
        !r.U32(height))
        return props;
    props.m_nWidthHimetric = static_cast<int>(width);
    props.m_nHeightHimetric = static_cast<int>(height);
    // The records in their stored order.
    struct CRecord {
        std::string* pText;
        bool* pFlag;
    };
    const std::vector<CRecord> records = {
        {&props.m_strMovie, nullptr},   {&props.m_strSrc, nullptr},     {&props.m_strWMode, nullptr},
        {nullptr, &props.m_bPlay},      {nullptr, &props.m_bLoop},      {&props.m_strQuality, nullptr},
        {&props.m_strSAlign, nullptr},  {nullptr, &props.m_bMenu},      {&props.m_strBase, nullptr},
        {&props.m_strScale, nullptr},   {nullptr, &props.m_bDeviceFont}, {nullptr, &props.m_bEmbedMovie},
        {&props.m_strBGColor, nullptr}, {&props.m_strSWRemote, nullptr},
    };
    for (const CRecord& record : records) {
        uint16_t type;
        if (!r.U16(type))
            break;
        if (record.pText) {
            std::string value;
            if (type != kStringRecord || !r.Text(value))
                break;
            *record.pText = value;
        } else {
            uint16_t value;
            if (type != kBooleanRecord || !r.U16(value))
                break;
            *record.pFlag = value != 0;
        }
    }
    return props;
}
