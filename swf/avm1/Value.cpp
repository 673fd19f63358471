#include "swf/avm1/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace swf::avm1 {

const std::string& Value::Str() const
{
    static const std::string kEmpty;
    return s ? *s : kEmpty;
}

std::string FormatNumber(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    if (v == 0)
        return "0";
    if (std::fabs(v) < 1e15 && v == std::floor(v)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string out = buf;
    // "1e+021" or "1.5e-07" from the C library becomes "1e+21" and "1.5e-7".
    const std::size_t e = out.find('e');
    if (e != std::string::npos) {
        std::size_t digits = e + 2;
        while (digits + 1 < out.size() && out[digits] == '0')
            out.erase(digits, 1);
    }
    return out;
}

double ParseNumber(const std::string& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
        ++p;
    if (*p == 0)
        return NAN;
    char* end = nullptr;
    double v;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        v = static_cast<double>(std::strtoll(p + 2, &end, 16));
        if (end == p + 2)
            return NAN;
    } else {
        // Only decimal forms: strtod would also take "inf", "nan" and hexadecimal floats.
        const char* q = p;
        if (*q == '+' || *q == '-')
            ++q;
        if (!((*q >= '0' && *q <= '9') || (*q == '.' && q[1] >= '0' && q[1] <= '9')))
            return NAN;
        v = std::strtod(p, &end);
    }
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    return *end == 0 ? v : NAN;
}

int32_t ToInt32(double v)
{
    if (!std::isfinite(v))
        return 0;
    const double m = std::fmod(std::trunc(v), 4294967296.0);
    const double u = m < 0 ? m + 4294967296.0 : m;
    return static_cast<int32_t>(static_cast<uint32_t>(u));
}

}  // namespace swf::avm1
