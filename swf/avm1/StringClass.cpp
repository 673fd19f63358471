// String: the methods of strings (and of their wrappers), which work on the bytes of the text.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace swf::avm1 {
namespace {

// The text of `this`, shared rather than copied: a method that reads a character of a long
// string costs what that costs.
StringRef ThisString(NativeCall& c)
{
    return c.vm.ToStringRef(Primitive(c.self));
}

// Characters one step of the frame's work pays for when a method visits them.
constexpr std::size_t kCharsPerStep = 16;

// Where `what` stands first at or after `from` (`last`: last at or before `from`), as
// std::string's find and rfind tell it. Every character compared is paid as the search goes,
// so a long needle in a long text costs what it really costs.
std::size_t Search(Vm& vm, const std::string& s, const std::string& what, std::size_t from, bool last)
{
    const std::size_t n = s.size(), m = what.size();
    if (m > n || (!last && from > n - m))
        return std::string::npos;
    std::size_t compared = 0;
    auto matchesAt = [&](std::size_t at) {
        std::size_t k = 0;
        while (k < m && s[at + k] == what[k])
            ++k;
        compared += k + 1;
        if (compared >= kCharsPerStep * 1024) {
            vm.Charge(compared / kCharsPerStep);
            compared %= kCharsPerStep;
        }
        return k == m;
    };
    std::size_t found = std::string::npos;
    if (last) {
        for (std::size_t at = std::min(from, n - m) + 1; at-- > 0;)
            if (matchesAt(at)) {
                found = at;
                break;
            }
    } else {
        for (std::size_t at = from; at + m <= n; ++at)
            if (matchesAt(at)) {
                found = at;
                break;
            }
    }
    vm.Charge(compared / kCharsPerStep);
    return found;
}

Value StringConstructor(NativeCall& c)
{
    return WrapWhenConstructed(c, Kind::kString, c.args.empty() ? c.vm.Str("") : c.vm.Str(c.vm.ToString(c.args[0])));
}

// The characters of the codes, as UTF-8.
Value StringFromCharCode(NativeCall& c)
{
    c.vm.Charge(c.args.size() / kCharsPerStep);
    std::string s;
    for (const Value& v : c.args) {
        const uint32_t code = static_cast<uint32_t>(c.vm.ToInt(v)) & 0xFFFF;
        if (code < 0x80) {
            s += static_cast<char>(code);
        } else if (code < 0x800) {
            s += static_cast<char>(0xC0 | code >> 6);
            s += static_cast<char>(0x80 | (code & 63));
        } else {
            s += static_cast<char>(0xE0 | code >> 12);
            s += static_cast<char>(0x80 | (code >> 6 & 63));
            s += static_cast<char>(0x80 | (code & 63));
        }
    }
    return c.vm.Str(s);
}

Value StringValue(NativeCall& c)
{
    const Value self = Primitive(c.self);
    return self.IsString() ? self : c.vm.Str(*ThisString(c));
}

Value StringCharAt(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    const double i = c.vm.ToNumber(c.Arg(0));
    if (!(i >= 0 && i < static_cast<double>(s.size())))
        return c.vm.Str("");
    return c.vm.Str(std::string(1, s[static_cast<std::size_t>(i)]));
}

Value StringCharCodeAt(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    const double i = c.vm.ToNumber(c.Arg(0));
    if (!(i >= 0 && i < static_cast<double>(s.size())))
        return Value::Number(NAN);
    return Value::Number(static_cast<uint8_t>(s[static_cast<std::size_t>(i)]));
}

// Where the first argument stands in the string, searched from the second (or `from`).
Value IndexOf(NativeCall& c, bool last)
{
    const StringRef text = ThisString(c), needle = c.vm.ToStringRef(c.Arg(0));
    const std::string& s = *text;
    const std::size_t from = ClampIndex(c.vm, c.Arg(1), s.size(), last ? s.size() : 0);
    const std::size_t at = Search(c.vm, s, *needle, from, last);
    return Value::Number(at == std::string::npos ? -1 : static_cast<double>(at));
}

Value StringIndexOf(NativeCall& c)
{
    return IndexOf(c, false);
}

Value StringLastIndexOf(NativeCall& c)
{
    return IndexOf(c, true);
}

Value StringSubstr(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    const std::size_t from = ClampIndex(c.vm, c.Arg(0), s.size(), 0);
    double n = c.args.size() > 1 ? c.vm.ToNumber(c.args[1]) : static_cast<double>(s.size());
    if (std::isnan(n) || n < 0)
        n = 0;
    return c.vm.Str(s.substr(from, static_cast<std::size_t>(std::min<double>(n, s.size()))));
}

Value StringSubstring(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    auto pos = [&](const Value& v, std::size_t fallback) {
        if (v.IsUndefined())
            return fallback;
        const double n = c.vm.ToNumber(v);
        return std::isnan(n) || n < 0 ? std::size_t{0} : static_cast<std::size_t>(std::min<double>(n, s.size()));
    };
    std::size_t a = pos(c.Arg(0), 0), b = pos(c.Arg(1), s.size());
    if (a > b)
        std::swap(a, b);
    return c.vm.Str(s.substr(a, b - a));
}

Value StringSlice(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    const std::size_t a = ClampIndex(c.vm, c.Arg(0), s.size(), 0), b = ClampIndex(c.vm, c.Arg(1), s.size(), s.size());
    return c.vm.Str(a < b ? s.substr(a, b - a) : "");
}

// The parts between the separators; the whole string without one, each byte for "". No more
// parts are made than an array may hold.
Value StringSplit(NativeCall& c)
{
    const StringRef text = ThisString(c);
    const std::string& s = *text;
    std::vector<Value> parts;
    if (c.Arg(0).IsUndefined()) {
        parts.push_back(c.vm.Str(s));
    } else {
        const StringRef separator = c.vm.ToStringRef(c.args[0]);
        const std::string& sep = *separator;
        std::size_t from = 0;
        while (parts.size() < kMaxArrayLength) {
            c.vm.Charge(1);
            if (sep.empty()) {
                if (from == s.size())
                    break;
                parts.push_back(c.vm.Str(s.substr(from++, 1)));
                continue;
            }
            const std::size_t at = Search(c.vm, s, sep, from, false);
            parts.push_back(c.vm.Str(s.substr(from, at == std::string::npos ? std::string::npos : at - from)));
            if (at == std::string::npos)
                break;
            from = at + sep.size();
        }
    }
    return Value::Obj(&c.vm.NewArray(std::move(parts)));
}

Value StringToUpperCase(NativeCall& c)
{
    std::string s = *ThisString(c);
    c.vm.Charge(s.size() / kCharsPerStep);
    std::transform(s.begin(), s.end(), s.begin(), ::toupper);
    return c.vm.Str(s);
}

Value StringToLowerCase(NativeCall& c)
{
    std::string s = *ThisString(c);
    c.vm.Charge(s.size() / kCharsPerStep);
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return c.vm.Str(s);
}

Value StringConcat(NativeCall& c)
{
    std::string s = *ThisString(c);
    for (const Value& v : c.args) {
        s += *c.vm.ToStringRef(v);
        if (s.size() > kMaxStringLength)
            throw ScriptAbort{"a string grew too long"};
    }
    return c.vm.Str(s);
}

const NativeMethod kStringStatics[] = {
    {"fromCharCode", StringFromCharCode, 1},
};

const NativeMethod kStringMethods[] = {
    {"toString", StringValue, 0},
    {"valueOf", StringValue, 0},
    {"charAt", StringCharAt, 1},
    {"charCodeAt", StringCharCodeAt, 1},
    {"indexOf", StringIndexOf, 1},
    {"lastIndexOf", StringLastIndexOf, 1},
    {"substr", StringSubstr, 2},
    {"substring", StringSubstring, 2},
    {"slice", StringSlice, 2},
    {"split", StringSplit, 2},
    {"toUpperCase", StringToUpperCase, 0},
    {"toLowerCase", StringToLowerCase, 0},
    {"concat", StringConcat, 1},
};

}  // namespace

void InstallString(Vm& vm)
{
    const NativeClass string = NewClass(vm, StringConstructor, 1, vm.Proto(Builtin::kString));
    vm.SetOwn(*vm.m_global, "String", Value::Obj(&string.ctor), kDontEnum);
    DefineMethods(vm, string.ctor, kStringStatics);
    DefineMethods(vm, string.proto, kStringMethods);
}

}  // namespace swf::avm1
