// The global functions (conversions, escapes, timers, property flags), the intervals that call
// scripts as movie time passes, the inert Key, Mouse, Stage and System objects, and
// flash.geom's Point and Rectangle.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace swf::avm1 {
namespace {

const char* SkipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        ++p;
    return p;
}

Value GlobalIsNaN(NativeCall& c)
{
    return Value::Bool(std::isnan(c.vm.ToNumber(c.Arg(0))));
}

Value GlobalIsFinite(NativeCall& c)
{
    return Value::Bool(std::isfinite(c.vm.ToNumber(c.Arg(0))));
}

Value GlobalParseFloat(NativeCall& c)
{
    const std::string s = c.vm.ToString(c.Arg(0));
    const char* p = SkipBlanks(s.c_str());
    const char* q = p + (*p == '+' || *p == '-');
    if (!((*q >= '0' && *q <= '9') || (*q == '.' && q[1] >= '0' && q[1] <= '9')))
        return Value::Number(NAN);
    return Value::Number(std::strtod(p, nullptr));
}

// parseInt(text, radix): the leading digits; radix 16 for "0x", 10 when none is given.
Value GlobalParseInt(NativeCall& c)
{
    const std::string s = c.vm.ToString(c.Arg(0));
    int radix = c.args.size() > 1 ? c.vm.ToInt(c.args[1]) : 0;
    const char* p = SkipBlanks(s.c_str());
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if ((radix == 0 || radix == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        radix = 16;
    }
    if (radix == 0)
        radix = 10;
    if (radix < 2 || radix > 36)
        return Value::Number(NAN);
    double v = 0;
    bool any = false;
    for (; *p; ++p) {
        const char ch = *p;
        const int digit = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'a' && ch <= 'z' ? ch - 'a' + 10
                        : ch >= 'A' && ch <= 'Z' ? ch - 'A' + 10 : 99;
        if (digit >= radix)
            break;
        v = v * radix + digit;
        any = true;
    }
    return Value::Number(any ? (negative ? -v : v) : NAN);
}

Value GlobalEscape(NativeCall& c)
{
    std::string out;
    for (unsigned char ch : c.vm.ToString(c.Arg(0))) {
        if (std::isalnum(ch)) {
            out += static_cast<char>(ch);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[ch >> 4];
            out += kHex[ch & 15];
        }
    }
    return c.vm.Str(out);
}

Value GlobalUnescape(NativeCall& c)
{
    const std::string s = c.vm.ToString(c.Arg(0));
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return c.vm.Str(out);
}

Value GlobalGetTimer(NativeCall& c)
{
    return Value::Number(std::floor(c.vm.Clock()));
}

// The names ASSetPropFlags works on: all (null), an array's, or a comma-separated list.
std::vector<std::string> PropFlagNames(Vm& vm, Object& o, const Value& list)
{
    std::vector<std::string> names;
    if (list.IsNull()) {
        for (auto& [key, p] : o.props)
            names.push_back(p.name);
    } else if (Object* a = ArrayOf(list)) {
        for (const Value& v : a->elements)
            names.push_back(vm.ToString(v));
    } else {
        const std::string s = vm.ToString(list);
        std::size_t from = 0;
        for (std::size_t at; (at = s.find(',', from)) != std::string::npos; from = at + 1)
            names.push_back(s.substr(from, at - from));
        names.push_back(s.substr(from));
    }
    return names;
}

// ASSetPropFlags(object, names, set, clear): properties hidden or protected by the movie's own
// class code.
Value GlobalASSetPropFlags(NativeCall& c)
{
    const Value o = c.Arg(0);
    if (!o.IsObject())
        return Value{};
    const int set = c.vm.ToInt(c.Arg(2)) & 7, clear = c.vm.ToInt(c.Arg(3)) & 7;
    for (const std::string& name : PropFlagNames(c.vm, *o.o, c.Arg(1)))
        if (Property* p = o.o->Find(c.vm.Key(name)))
            p->flags = static_cast<uint8_t>((p->flags & ~clear) | set);
    return Value{};
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value Schedule(NativeCall& c, bool once)
{
    Vm& vm = c.vm;
    const std::vector<Value>& args = c.args;
    const bool method = c.Arg(0).IsObject() && !c.Arg(0).o->IsFunction();
    const std::size_t at = method ? 2 : 1;
    if (args.size() <= at || vm.m_intervals.size() >= kMaxIntervals)
        return Value{};
    const double ms = vm.ToNumber(args[at]);
    Vm::Interval i{vm.m_nNextInterval++, args[0], method ? vm.ToString(args[1]) : "",
                   std::vector<Value>(args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end()),
                   std::isfinite(ms) ? std::max(ms, 10.0) : 10.0, 0, once};
    i.due = vm.Clock() + i.period;
    vm.m_intervals.push_back(std::move(i));
    return Value::Number(vm.m_intervals.back().id);
}

Value GlobalSetInterval(NativeCall& c)
{
    return Schedule(c, false);
}

Value GlobalSetTimeout(NativeCall& c)
{
    return Schedule(c, true);
}

Value GlobalClearInterval(NativeCall& c)
{
    const double id = c.vm.ToNumber(c.Arg(0));
    std::erase_if(c.vm.m_intervals, [id](const Vm::Interval& i) { return i.id == id; });
    return Value{};
}

const NativeMethod kGlobalFunctions[] = {
    {"isNaN", GlobalIsNaN, 1},
    {"isFinite", GlobalIsFinite, 1},
    {"parseFloat", GlobalParseFloat, 1},
    {"parseInt", GlobalParseInt, 2},
    {"escape", GlobalEscape, 1},
    {"unescape", GlobalUnescape, 1},
    {"getTimer", GlobalGetTimer, 0},
    {"ASSetPropFlags", GlobalASSetPropFlags, 4},
    {"setInterval", GlobalSetInterval, 2},
    {"setTimeout", GlobalSetTimeout, 2},
    {"clearInterval", GlobalClearInterval, 1},
    {"clearTimeout", GlobalClearInterval, 1},
    // What would reach outside the band does nothing.
    {"updateAfterEvent", Nothing, 0},
    {"fscommand", Nothing, 0},
    {"getURL", Nothing, 0},
    {"loadMovie", Nothing, 0},
    {"loadMovieNum", Nothing, 0},
    {"loadVariables", Nothing, 0},
    {"loadVariablesNum", Nothing, 0},
    {"unloadMovie", Nothing, 0},
    {"unloadMovieNum", Nothing, 0},
    {"stopAllSounds", Nothing, 0},
};

// Inert objects: no keyboard, pointer or stage events reach the band.
const char* const kInertObjects[] = {"Key", "Mouse", "Stage", "System", "Selection", "Accessibility"};
const NativeMethod kInertMethods[] = {
    {"addListener", Nothing, 0}, {"removeListener", Nothing, 0}, {"hide", Nothing, 0},
    {"show", Nothing, 0},        {"isDown", Nothing, 0},         {"isToggled", Nothing, 0},
    {"getCode", Nothing, 0},     {"getAscii", Nothing, 0},       {"setFocus", Nothing, 0},
    {"getFocus", Nothing, 0},
};

// flash.geom.Point and Rectangle: plain objects with their fields.
Value PointConstructor(NativeCall& c)
{
    if (c.self.IsObject()) {
        c.vm.SetOwn(*c.self.o, "x", Value::Number(c.args.empty() ? 0 : c.vm.ToNumber(c.args[0])));
        c.vm.SetOwn(*c.self.o, "y", Value::Number(c.args.size() < 2 ? 0 : c.vm.ToNumber(c.args[1])));
    }
    return Value{};
}

Value RectangleConstructor(NativeCall& c)
{
    if (c.self.IsObject()) {
        const char* names[] = {"x", "y", "width", "height"};
        for (std::size_t i = 0; i < 4; ++i)
            c.vm.SetOwn(*c.self.o, names[i], Value::Number(i < c.args.size() ? c.vm.ToNumber(c.args[i]) : 0));
    }
    return Value{};
}

void InstallGeometry(Vm& vm)
{
    Object& flash = vm.NewObject();
    Object& geom = vm.NewObject();
    vm.SetOwn(*vm.m_global, "flash", Value::Obj(&flash), kDontEnum);
    vm.SetOwn(flash, "geom", Value::Obj(&geom));
    vm.SetOwn(geom, "Point", Value::Obj(&NewClass(vm, PointConstructor, 0).ctor));
    vm.SetOwn(geom, "Rectangle", Value::Obj(&NewClass(vm, RectangleConstructor, 0).ctor));
}

}  // namespace

void InstallGlobals(Vm& vm)
{
    Object& g = *vm.m_global;
    vm.SetOwn(g, "NaN", Value::Number(NAN), kDontEnum);
    vm.SetOwn(g, "Infinity", Value::Number(INFINITY), kDontEnum);
    DefineMethods(vm, g, kGlobalFunctions);
    for (const char* name : kInertObjects) {
        Object& o = vm.NewObject();
        vm.SetOwn(g, name, Value::Obj(&o), kDontEnum);
        DefineMethods(vm, o, kInertMethods);
    }
    InstallGeometry(vm);
}

}  // namespace swf::avm1
