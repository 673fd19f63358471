// String: the methods of strings (and of their wrappers), which work on the bytes of the text.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace swf::avm1 {
namespace {

std::string ThisString(NativeCall& c)
{
    return c.vm.ToString(Primitive(c.self));
}

Value StringConstructor(NativeCall& c)
{
    return WrapWhenConstructed(c, Kind::kString, c.args.empty() ? c.vm.Str("") : c.vm.Str(c.vm.ToString(c.args[0])));
}

// The characters of the codes, as UTF-8.
Value StringFromCharCode(NativeCall& c)
{
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
    return c.vm.Str(ThisString(c));
}

Value StringCharAt(NativeCall& c)
{
    const std::string s = ThisString(c);
    const double i = c.vm.ToNumber(c.Arg(0));
    if (!(i >= 0 && i < static_cast<double>(s.size())))
        return c.vm.Str("");
    return c.vm.Str(std::string(1, s[static_cast<std::size_t>(i)]));
}

Value StringCharCodeAt(NativeCall& c)
{
    const std::string s = ThisString(c);
    const double i = c.vm.ToNumber(c.Arg(0));
    if (!(i >= 0 && i < static_cast<double>(s.size())))
        return Value::Number(NAN);
    return Value::Number(static_cast<uint8_t>(s[static_cast<std::size_t>(i)]));
}

// Where the first argument stands in the string, searched from the second (or `from`).
Value IndexOf(NativeCall& c, bool last)
{
    const std::string s = ThisString(c), what = c.vm.ToString(c.Arg(0));
    const std::size_t from = ClampIndex(c.vm, c.Arg(1), s.size(), last ? s.size() : 0);
    c.vm.Charge(s.size() / 16);
    const std::size_t at = last ? s.rfind(what, from) : s.find(what, from);
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
    const std::string s = ThisString(c);
    const std::size_t from = ClampIndex(c.vm, c.Arg(0), s.size(), 0);
    double n = c.args.size() > 1 ? c.vm.ToNumber(c.args[1]) : static_cast<double>(s.size());
    if (std::isnan(n) || n < 0)
        n = 0;
    return c.vm.Str(s.substr(from, static_cast<std::size_t>(std::min<double>(n, s.size()))));
}

Value StringSubstring(NativeCall& c)
{
    const std::string s = ThisString(c);
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
    const std::string s = ThisString(c);
    const std::size_t a = ClampIndex(c.vm, c.Arg(0), s.size(), 0), b = ClampIndex(c.vm, c.Arg(1), s.size(), s.size());
    return c.vm.Str(a < b ? s.substr(a, b - a) : "");
}

// The parts between the separators; the whole string without one, each byte for "".
Value StringSplit(NativeCall& c)
{
    const std::string s = ThisString(c);
    std::vector<Value> parts;
    if (c.Arg(0).IsUndefined()) {
        parts.push_back(c.vm.Str(s));
    } else {
        const std::string sep = c.vm.ToString(c.args[0]);
        c.vm.Charge(s.size());
        if (sep.empty()) {
            for (char ch : s)
                parts.push_back(c.vm.Str(std::string(1, ch)));
        } else {
            std::size_t from = 0;
            for (;;) {
                const std::size_t at = s.find(sep, from);
                parts.push_back(c.vm.Str(s.substr(from, at == std::string::npos ? std::string::npos : at - from)));
                if (at == std::string::npos)
                    break;
                from = at + sep.size();
            }
        }
    }
    if (parts.size() > kMaxArrayLength)
        parts.resize(kMaxArrayLength);
    return Value::Obj(&c.vm.NewArray(std::move(parts)));
}

Value StringToUpperCase(NativeCall& c)
{
    std::string s = ThisString(c);
    std::transform(s.begin(), s.end(), s.begin(), ::toupper);
    return c.vm.Str(s);
}

Value StringToLowerCase(NativeCall& c)
{
    std::string s = ThisString(c);
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return c.vm.Str(s);
}

Value StringConcat(NativeCall& c)
{
    std::string s = ThisString(c);
    for (const Value& v : c.args) {
        s += c.vm.ToString(v);
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
