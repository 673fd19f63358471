// The built-in objects of ActionScript 1/2: the global functions, Object, Function, Array,
// String, Number, Boolean, Math, flash.geom's Point and Rectangle, and inert Key, Mouse,
// Stage and System objects.
#include "swf/Avm1Interpreter.h"
#include "swf/SwfPlayer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace swf::avm1 {
namespace {

Value Arg(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? args[i] : Value{};
}

Value Nothing(Vm&, Object&, const Value&, const std::vector<Value>&)
{
    return {};
}

// What String, Number and Boolean give: called by new, the new object becomes the primitive's
// wrapper; called as functions, the primitive itself.
Value WrapWhenConstructed(Vm& vm, const Value& self, Kind kind, const Value& primitive)
{
    if (!vm.m_bConstructing || !self.IsObject())
        return primitive;
    self.o->kind = kind;
    self.o->primitive = primitive;
    return self;
}

// The primitive of a wrapper or the value itself.
Value Primitive(const Value& v)
{
    if (v.IsObject() && (v.o->kind == Kind::kString || v.o->kind == Kind::kNumber || v.o->kind == Kind::kBoolean))
        return v.o->primitive;
    return v;
}

Object* ArrayOf(const Value& self)
{
    return self.IsObject() && self.o->kind == Kind::kArray ? self.o : nullptr;
}

std::string Join(Vm& vm, Object& a, const std::string& sep)
{
    std::string out;
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        if (i)
            out += sep;
        const Value& e = a.elements[i];
        if (!e.IsUndefined())
            out += vm.ToString(e);
        if (out.size() > kMaxStringLength)
            throw ScriptAbort{"a string grew too long"};
    }
    return out;
}

// Index arguments of slice and splice: negative counts from the end.
std::size_t Clamp(Vm& vm, const Value& v, std::size_t size, std::size_t fallback)
{
    if (v.IsUndefined())
        return fallback;
    double n = std::trunc(vm.ToNumber(v));
    if (std::isnan(n))
        n = 0;
    if (n < 0)
        n += static_cast<double>(size);
    return static_cast<std::size_t>(std::clamp(n, 0.0, static_cast<double>(size)));
}

std::string ThisString(Vm& vm, const Value& self)
{
    return vm.ToString(Primitive(self));
}

void InstallArray(Vm& vm, Object& global)
{
    Object& ctor = vm.NewNative([](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        if (args.size() == 1 && args[0].IsNumber()) {
            const double n = args[0].n;
            if (n >= 0 && n <= kMaxArrayLength)
                return Value::Obj(&vm.NewArray(std::vector<Value>(static_cast<std::size_t>(n))));
            return Value::Obj(&vm.NewArray({}));
        }
        return Value::Obj(&vm.NewArray(args));
    });
    Object& p = *vm.m_arrayProto;
    vm.LinkClass(ctor, p);
    vm.SetOwn(global, "Array", Value::Obj(&ctor), kDontEnum);
    const std::pair<const char*, double> flags[] = {{"CASEINSENSITIVE", 1}, {"DESCENDING", 2}, {"UNIQUESORT", 4},
                                                    {"RETURNINDEXEDARRAY", 8}, {"NUMERIC", 16}};
    for (const auto& [name, value] : flags)
        vm.SetOwn(ctor, name, Value::Number(value), kDontEnum);

    vm.Define(p, "push", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a)
            return Value{};
        for (const Value& v : args)
            vm.Set(self, std::to_string(a->elements.size()), v);
        return Value::Number(static_cast<double>(a->elements.size()));
    }, 1);
    vm.Define(p, "pop", [](Vm&, Object&, const Value& self, const std::vector<Value>&) {
        Object* a = ArrayOf(self);
        if (!a || a->elements.empty())
            return Value{};
        Value v = a->elements.back();
        a->elements.pop_back();
        return v;
    });
    vm.Define(p, "shift", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Object* a = ArrayOf(self);
        if (!a || a->elements.empty())
            return Value{};
        vm.Charge(a->elements.size());
        Value v = a->elements.front();
        a->elements.erase(a->elements.begin());
        return v;
    });
    vm.Define(p, "unshift", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a)
            return Value{};
        if (a->elements.size() + args.size() > kMaxArrayLength)
            throw ScriptAbort{"an array grew too long"};
        vm.Charge(a->elements.size());
        vm.Hold(args.size() * sizeof(Value));
        a->elements.insert(a->elements.begin(), args.begin(), args.end());
        return Value::Number(static_cast<double>(a->elements.size()));
    }, 1);
    vm.Define(p, "join", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a)
            return Value{};
        return vm.Str(Join(vm, *a, args.empty() || args[0].IsUndefined() ? "," : vm.ToString(args[0])));
    }, 1);
    vm.Define(p, "toString", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Object* a = ArrayOf(self);
        return a ? vm.Str(Join(vm, *a, ",")) : vm.Str("[object Object]");
    });
    vm.Define(p, "reverse", [](Vm&, Object&, const Value& self, const std::vector<Value>&) {
        if (Object* a = ArrayOf(self))
            std::reverse(a->elements.begin(), a->elements.end());
        return self;
    });
    vm.Define(p, "concat", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        std::vector<Value> out = a ? a->elements : std::vector<Value>{};
        for (const Value& v : args) {
            if (Object* b = ArrayOf(v))
                out.insert(out.end(), b->elements.begin(), b->elements.end());
            else
                out.push_back(v);
            if (out.size() > kMaxArrayLength)
                throw ScriptAbort{"an array grew too long"};
        }
        vm.Charge(out.size());
        return Value::Obj(&vm.NewArray(std::move(out)));
    }, 1);
    vm.Define(p, "slice", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a)
            return Value{};
        const std::size_t n = a->elements.size();
        const std::size_t from = Clamp(vm, Arg(args, 0), n, 0), to = Clamp(vm, Arg(args, 1), n, n);
        std::vector<Value> out;
        if (from < to)
            out.assign(a->elements.begin() + from, a->elements.begin() + to);
        vm.Charge(out.size());
        return Value::Obj(&vm.NewArray(std::move(out)));
    }, 2);
    vm.Define(p, "splice", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a || args.empty())
            return Value{};
        const std::size_t n = a->elements.size();
        const std::size_t from = Clamp(vm, args[0], n, 0);
        std::size_t count = n - from;
        if (args.size() > 1) {
            const double c = vm.ToNumber(args[1]);
            count = std::isnan(c) || c < 0 ? 0 : static_cast<std::size_t>(std::min<double>(c, count));
        }
        std::vector<Value> removed(a->elements.begin() + from, a->elements.begin() + from + count);
        a->elements.erase(a->elements.begin() + from, a->elements.begin() + from + count);
        if (args.size() > 2) {
            if (a->elements.size() + args.size() > kMaxArrayLength)
                throw ScriptAbort{"an array grew too long"};
            vm.Hold((args.size() - 2) * sizeof(Value));
            a->elements.insert(a->elements.begin() + from, args.begin() + 2, args.end());
        }
        vm.Charge(n);
        return Value::Obj(&vm.NewArray(std::move(removed)));
    }, 2);
    vm.Define(p, "sort", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* a = ArrayOf(self);
        if (!a)
            return Value{};
        Value compare;
        int flags = 0;
        for (const Value& v : args) {
            if (v.IsObject() && v.o->IsFunction())
                compare = v;
            else if (v.IsNumber())
                flags = static_cast<int>(v.n);
        }
        std::vector<Value> items = a->elements;
        vm.Charge(items.size() * 8);
        auto less = [&](const Value& x, const Value& y) {
            if (compare.IsObject())
                return vm.ToNumber(vm.Call(compare, {}, {x, y})) < 0;
            if (flags & 16)
                return vm.ToNumber(x) < vm.ToNumber(y);
            std::string sx = vm.ToString(x), sy = vm.ToString(y);
            if (flags & 1) {
                std::transform(sx.begin(), sx.end(), sx.begin(), ::tolower);
                std::transform(sy.begin(), sy.end(), sy.begin(), ::tolower);
            }
            return sx < sy;
        };
        // A stable insertion sort: a comparison that contradicts itself cannot break it.
        for (std::size_t i = 1; i < items.size(); ++i)
            for (std::size_t j = i; j > 0 && less(items[j], items[j - 1]); --j)
                std::swap(items[j], items[j - 1]);
        if (flags & 2)
            std::reverse(items.begin(), items.end());
        a->elements = std::move(items);
        return self;
    }, 1);
}

void InstallString(Vm& vm, Object& global)
{
    Object& ctor = vm.NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return WrapWhenConstructed(vm, self, Kind::kString, args.empty() ? vm.Str("") : vm.Str(vm.ToString(args[0])));
    }, 1);
    Object& p = *vm.m_stringProto;
    vm.LinkClass(ctor, p);
    vm.SetOwn(global, "String", Value::Obj(&ctor), kDontEnum);
    vm.Define(ctor, "fromCharCode", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        std::string s;
        for (const Value& v : args) {
            const uint32_t c = static_cast<uint32_t>(vm.ToInt(v)) & 0xFFFF;
            if (c < 0x80) {
                s += static_cast<char>(c);
            } else if (c < 0x800) {
                s += static_cast<char>(0xC0 | c >> 6);
                s += static_cast<char>(0x80 | (c & 63));
            } else {
                s += static_cast<char>(0xE0 | c >> 12);
                s += static_cast<char>(0x80 | (c >> 6 & 63));
                s += static_cast<char>(0x80 | (c & 63));
            }
        }
        return vm.Str(s);
    }, 1);
    auto self = [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        return vm.Str(ThisString(vm, self));
    };
    vm.Define(p, "toString", self);
    vm.Define(p, "valueOf", self);
    vm.Define(p, "charAt", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        const double i = vm.ToNumber(Arg(args, 0));
        if (!(i >= 0 && i < static_cast<double>(s.size())))
            return vm.Str("");
        return vm.Str(std::string(1, s[static_cast<std::size_t>(i)]));
    }, 1);
    vm.Define(p, "charCodeAt", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        const double i = vm.ToNumber(Arg(args, 0));
        if (!(i >= 0 && i < static_cast<double>(s.size())))
            return Value::Number(NAN);
        return Value::Number(static_cast<uint8_t>(s[static_cast<std::size_t>(i)]));
    }, 1);
    vm.Define(p, "indexOf", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self), what = vm.ToString(Arg(args, 0));
        const std::size_t from = Clamp(vm, Arg(args, 1), s.size(), 0);
        vm.Charge(s.size() / 16);
        const std::size_t at = s.find(what, from);
        return Value::Number(at == std::string::npos ? -1 : static_cast<double>(at));
    }, 1);
    vm.Define(p, "lastIndexOf", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self), what = vm.ToString(Arg(args, 0));
        const std::size_t from = Clamp(vm, Arg(args, 1), s.size(), s.size());
        vm.Charge(s.size() / 16);
        const std::size_t at = s.rfind(what, from);
        return Value::Number(at == std::string::npos ? -1 : static_cast<double>(at));
    }, 1);
    vm.Define(p, "substr", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        const std::size_t from = Clamp(vm, Arg(args, 0), s.size(), 0);
        double n = args.size() > 1 ? vm.ToNumber(args[1]) : static_cast<double>(s.size());
        if (std::isnan(n) || n < 0)
            n = 0;
        return vm.Str(s.substr(from, static_cast<std::size_t>(std::min<double>(n, s.size()))));
    }, 2);
    vm.Define(p, "substring", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        auto pos = [&](const Value& v, std::size_t fallback) {
            if (v.IsUndefined())
                return fallback;
            const double n = vm.ToNumber(v);
            return std::isnan(n) || n < 0 ? std::size_t{0} : static_cast<std::size_t>(std::min<double>(n, s.size()));
        };
        std::size_t a = pos(Arg(args, 0), 0), b = pos(Arg(args, 1), s.size());
        if (a > b)
            std::swap(a, b);
        return vm.Str(s.substr(a, b - a));
    }, 2);
    vm.Define(p, "slice", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        const std::size_t a = Clamp(vm, Arg(args, 0), s.size(), 0), b = Clamp(vm, Arg(args, 1), s.size(), s.size());
        return vm.Str(a < b ? s.substr(a, b - a) : "");
    }, 2);
    vm.Define(p, "split", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::string s = ThisString(vm, self);
        std::vector<Value> parts;
        if (Arg(args, 0).IsUndefined()) {
            parts.push_back(vm.Str(s));
        } else {
            const std::string sep = vm.ToString(args[0]);
            vm.Charge(s.size());
            if (sep.empty()) {
                for (char c : s)
                    parts.push_back(vm.Str(std::string(1, c)));
            } else {
                std::size_t from = 0;
                for (;;) {
                    const std::size_t at = s.find(sep, from);
                    parts.push_back(vm.Str(s.substr(from, at == std::string::npos ? std::string::npos : at - from)));
                    if (at == std::string::npos)
                        break;
                    from = at + sep.size();
                }
            }
        }
        if (parts.size() > kMaxArrayLength)
            parts.resize(kMaxArrayLength);
        return Value::Obj(&vm.NewArray(std::move(parts)));
    }, 2);
    auto changeCase = [](bool upper) {
        return upper ? NativeFn([](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
            std::string s = ThisString(vm, self);
            std::transform(s.begin(), s.end(), s.begin(), ::toupper);
            return vm.Str(s);
        })
                     : NativeFn([](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
                           std::string s = ThisString(vm, self);
                           std::transform(s.begin(), s.end(), s.begin(), ::tolower);
                           return vm.Str(s);
                       });
    };
    vm.Define(p, "toUpperCase", changeCase(true));
    vm.Define(p, "toLowerCase", changeCase(false));
    vm.Define(p, "concat", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        std::string s = ThisString(vm, self);
        for (const Value& v : args) {
            s += vm.ToString(v);
            if (s.size() > kMaxStringLength)
                throw ScriptAbort{"a string grew too long"};
        }
        return vm.Str(s);
    }, 1);
}

void InstallNumberAndBoolean(Vm& vm, Object& global)
{
    Object& number = vm.NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return WrapWhenConstructed(vm, self, Kind::kNumber, Value::Number(args.empty() ? 0 : vm.ToNumber(args[0])));
    }, 1);
    Object& np = *vm.m_numberProto;
    vm.LinkClass(number, np);
    vm.SetOwn(global, "Number", Value::Obj(&number), kDontEnum);
    const std::pair<const char*, double> constants[] = {{"MAX_VALUE", 1.79769313486231e+308},
                                                        {"MIN_VALUE", 4.94065645841247e-324},
                                                        {"NaN", NAN},
                                                        {"POSITIVE_INFINITY", INFINITY},
                                                        {"NEGATIVE_INFINITY", -INFINITY}};
    for (const auto& [name, value] : constants)
        vm.SetOwn(number, name, Value::Number(value), kDontEnum | kReadOnly);
    vm.Define(np, "toString", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const double n = vm.ToNumber(Primitive(self));
        const int radix = args.empty() ? 10 : vm.ToInt(args[0]);
        if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(n))
            return vm.Str(FormatNumber(n));
        int64_t v = static_cast<int64_t>(n);
        const bool negative = v < 0;
        uint64_t u = negative ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
        std::string s;
        do {
            s.insert(s.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[u % radix]);
            u /= radix;
        } while (u);
        return vm.Str((negative ? "-" : "") + s);
    }, 1);
    vm.Define(np, "valueOf", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        return Value::Number(vm.ToNumber(Primitive(self)));
    });

    Object& boolean = vm.NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return WrapWhenConstructed(vm, self, Kind::kBoolean, Value::Bool(!args.empty() && vm.ToBool(args[0])));
    }, 1);
    Object& bp = *vm.m_booleanProto;
    vm.LinkClass(boolean, bp);
    vm.SetOwn(global, "Boolean", Value::Obj(&boolean), kDontEnum);
    vm.Define(bp, "toString", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        return vm.Str(vm.ToBool(Primitive(self)) ? "true" : "false");
    });
    vm.Define(bp, "valueOf", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        return Value::Bool(vm.ToBool(Primitive(self)));
    });
}

template <double (*F)(double)>
Value MathOne(Vm& vm, Object&, const Value&, const std::vector<Value>& args)
{
    return Value::Number(F(args.empty() ? NAN : vm.ToNumber(args[0])));
}

double Round(double v) { return std::floor(v + 0.5); }
double Abs(double v) { return std::fabs(v); }

void InstallMath(Vm& vm, Object& global)
{
    Object& m = vm.NewObject();
    vm.SetOwn(global, "Math", Value::Obj(&m), kDontEnum);
    const std::pair<const char*, double> constants[] = {
        {"PI", 3.141592653589793}, {"E", 2.718281828459045},   {"LN2", 0.6931471805599453},
        {"LN10", 2.302585092994046}, {"LOG2E", 1.4426950408889634}, {"LOG10E", 0.4342944819032518},
        {"SQRT1_2", 0.7071067811865476}, {"SQRT2", 1.4142135623730951}};
    for (const auto& [name, value] : constants)
        vm.SetOwn(m, name, Value::Number(value), kDontEnum | kReadOnly);
    vm.Define(m, "abs", MathOne<Abs>, 1);
    vm.Define(m, "acos", MathOne<std::acos>, 1);
    vm.Define(m, "asin", MathOne<std::asin>, 1);
    vm.Define(m, "atan", MathOne<std::atan>, 1);
    vm.Define(m, "ceil", MathOne<std::ceil>, 1);
    vm.Define(m, "cos", MathOne<std::cos>, 1);
    vm.Define(m, "exp", MathOne<std::exp>, 1);
    vm.Define(m, "floor", MathOne<std::floor>, 1);
    vm.Define(m, "log", MathOne<std::log>, 1);
    vm.Define(m, "round", MathOne<Round>, 1);
    vm.Define(m, "sin", MathOne<std::sin>, 1);
    vm.Define(m, "sqrt", MathOne<std::sqrt>, 1);
    vm.Define(m, "tan", MathOne<std::tan>, 1);
    vm.Define(m, "atan2", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return Value::Number(std::atan2(vm.ToNumber(Arg(args, 0)), vm.ToNumber(Arg(args, 1))));
    }, 2);
    vm.Define(m, "pow", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return Value::Number(std::pow(vm.ToNumber(Arg(args, 0)), vm.ToNumber(Arg(args, 1))));
    }, 2);
    vm.Define(m, "min", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        double r = INFINITY;
        for (const Value& v : args) {
            const double n = vm.ToNumber(v);
            r = std::isnan(n) || std::isnan(r) ? NAN : std::min(r, n);
        }
        return Value::Number(r);
    }, 2);
    vm.Define(m, "max", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        double r = -INFINITY;
        for (const Value& v : args) {
            const double n = vm.ToNumber(v);
            r = std::isnan(n) || std::isnan(r) ? NAN : std::max(r, n);
        }
        return Value::Number(r);
    }, 2);
    vm.Define(m, "random", [](Vm& vm, Object&, const Value&, const std::vector<Value>&) {
        return Value::Number(vm.Random());
    });
}

void InstallGlobals(Vm& vm, Object& g)
{
    vm.SetOwn(g, "NaN", Value::Number(NAN), kDontEnum);
    vm.SetOwn(g, "Infinity", Value::Number(INFINITY), kDontEnum);
    vm.Define(g, "isNaN", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return Value::Bool(std::isnan(vm.ToNumber(Arg(args, 0))));
    }, 1);
    vm.Define(g, "isFinite", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return Value::Bool(std::isfinite(vm.ToNumber(Arg(args, 0))));
    }, 1);
    vm.Define(g, "parseFloat", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const std::string s = vm.ToString(Arg(args, 0));
        const char* p = s.c_str();
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
        const char* q = p + (*p == '+' || *p == '-');
        if (!((*q >= '0' && *q <= '9') || (*q == '.' && q[1] >= '0' && q[1] <= '9')))
            return Value::Number(NAN);
        return Value::Number(std::strtod(p, nullptr));
    }, 1);
    vm.Define(g, "parseInt", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const std::string s = vm.ToString(Arg(args, 0));
        int radix = args.size() > 1 ? vm.ToInt(args[1]) : 0;
        const char* p = s.c_str();
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            ++p;
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
            const char c = *p;
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10
                            : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : 99;
            if (digit >= radix)
                break;
            v = v * radix + digit;
            any = true;
        }
        return Value::Number(any ? (negative ? -v : v) : NAN);
    }, 2);
    vm.Define(g, "escape", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        std::string out;
        for (unsigned char c : vm.ToString(Arg(args, 0))) {
            if (std::isalnum(c)) {
                out += static_cast<char>(c);
            } else {
                static const char kHex[] = "0123456789ABCDEF";
                out += '%';
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
        }
        return vm.Str(out);
    }, 1);
    vm.Define(g, "unescape", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const std::string s = vm.ToString(Arg(args, 0));
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
        return vm.Str(out);
    }, 1);
    vm.Define(g, "getTimer", [](Vm& vm, Object&, const Value&, const std::vector<Value>&) {
        return Value::Number(std::floor(vm.Clock()));
    });
    // Properties hidden or protected by the movie's own class code.
    vm.Define(g, "ASSetPropFlags", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const Value o = Arg(args, 0);
        if (!o.IsObject())
            return Value{};
        const int set = vm.ToInt(Arg(args, 2)) & 7, clear = vm.ToInt(Arg(args, 3)) & 7;
        std::vector<std::string> names;
        const Value list = Arg(args, 1);
        if (list.IsNull()) {
            for (auto& [key, p] : o.o->props)
                names.push_back(p.name);
        } else if (list.IsObject() && list.o->kind == Kind::kArray) {
            for (const Value& v : list.o->elements)
                names.push_back(vm.ToString(v));
        } else {
            const std::string s = vm.ToString(list);
            std::size_t from = 0;
            for (std::size_t at; (at = s.find(',', from)) != std::string::npos; from = at + 1)
                names.push_back(s.substr(from, at - from));
            names.push_back(s.substr(from));
        }
        for (const std::string& name : names)
            if (Property* p = o.o->Find(vm.Key(name)))
                p->flags = static_cast<uint8_t>((p->flags & ~clear) | set);
        return Value{};
    }, 4);
    // setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
    auto schedule = [](Vm& vm, const std::vector<Value>& args, bool once) {
        const bool method = Arg(args, 0).IsObject() && !Arg(args, 0).o->IsFunction();
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
    };
    static Value (*s_schedule)(Vm&, const std::vector<Value>&, bool) = schedule;
    vm.Define(g, "setInterval", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return s_schedule(vm, args, false);
    }, 2);
    vm.Define(g, "setTimeout", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        return s_schedule(vm, args, true);
    }, 2);
    auto clear = [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const double id = vm.ToNumber(Arg(args, 0));
        std::erase_if(vm.m_intervals, [id](const Vm::Interval& i) { return i.id == id; });
        return Value{};
    };
    vm.Define(g, "clearInterval", clear, 1);
    vm.Define(g, "clearTimeout", clear, 1);
    for (const char* name : {"updateAfterEvent",
                             "fscommand", "getURL", "loadMovie", "loadMovieNum", "loadVariables",
                             "loadVariablesNum", "unloadMovie", "unloadMovieNum", "stopAllSounds"})
        vm.Define(g, name, Nothing);
    // Inert objects: no keyboard, pointer or stage events reach the band.
    for (const char* name : {"Key", "Mouse", "Stage", "System", "Selection", "Accessibility"}) {
        Object& o = vm.NewObject();
        vm.SetOwn(g, name, Value::Obj(&o), kDontEnum);
        for (const char* method : {"addListener", "removeListener", "hide", "show", "isDown", "isToggled",
                                   "getCode", "getAscii", "setFocus", "getFocus"})
            vm.Define(o, method, Nothing);
    }
}

// flash.geom.Point and Rectangle: plain objects with their fields.
void InstallGeometry(Vm& vm, Object& g)
{
    Object& flash = vm.NewObject();
    Object& geom = vm.NewObject();
    vm.SetOwn(g, "flash", Value::Obj(&flash), kDontEnum);
    vm.SetOwn(flash, "geom", Value::Obj(&geom));
    auto makeClass = [&](const char* name, NativeFn ctor) {
        Object& c = vm.NewNative(ctor);
        Object& proto = vm.NewObject();
        vm.LinkClass(c, proto);
        vm.SetOwn(geom, name, Value::Obj(&c));
    };
    makeClass("Point", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (self.IsObject()) {
            vm.SetOwn(*self.o, "x", Value::Number(args.empty() ? 0 : vm.ToNumber(args[0])));
            vm.SetOwn(*self.o, "y", Value::Number(args.size() < 2 ? 0 : vm.ToNumber(args[1])));
        }
        return Value{};
    });
    makeClass("Rectangle", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (self.IsObject()) {
            const char* names[] = {"x", "y", "width", "height"};
            for (std::size_t i = 0; i < 4; ++i)
                vm.SetOwn(*self.o, names[i], Value::Number(i < args.size() ? vm.ToNumber(args[i]) : 0));
        }
        return Value{};
    });
}

}  // namespace

void Vm::InstallBuiltins()
{
    m_objectProto = &New(Kind::kObject, nullptr);
    m_functionProto = &New(Kind::kObject, m_objectProto);
    m_global = &NewObject();
    m_arrayProto = &NewObject();
    m_stringProto = &NewObject();
    m_numberProto = &NewObject();
    m_booleanProto = &NewObject();
    Object& g = *m_global;

    Object& object = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (!args.empty() && args[0].IsObject())
            return args[0];
        if (!args.empty() && !args[0].IsNullish())
            return Value::Obj(vm.ToObject(args[0]));
        return vm.m_bConstructing ? self : Value::Obj(&vm.NewObject());
    }, 1);
    LinkClass(object, *m_objectProto);
    SetOwn(g, "Object", Value::Obj(&object), kDontEnum);
    Define(*m_objectProto, "toString", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        return vm.Str(self.IsObject() && self.o->IsFunction() ? "[type Function]" : "[object Object]");
    });
    Define(*m_objectProto, "valueOf", [](Vm&, Object&, const Value& self, const std::vector<Value>&) { return self; });
    Define(*m_objectProto, "hasOwnProperty", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return Value::Bool(self.IsObject() && self.o->Find(vm.Key(vm.ToString(Arg(args, 0)))));
    }, 1);
    Define(*m_objectProto, "isPropertyEnumerable", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Property* p = self.IsObject() ? self.o->Find(vm.Key(vm.ToString(Arg(args, 0)))) : nullptr;
        return Value::Bool(p && !(p->flags & kDontEnum));
    }, 1);
    Define(*m_objectProto, "isPrototypeOf", [](Vm&, Object&, const Value& self, const std::vector<Value>& args) {
        const Value v = Arg(args, 0);
        int guard = 0;
        for (Object* p = v.IsObject() ? v.o->proto : nullptr; p && guard < 64; p = p->proto, ++guard)
            if (self.IsObject() && p == self.o)
                return Value::Bool(true);
        return Value::Bool(false);
    }, 1);
    Define(*m_objectProto, "addProperty", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value getter = Arg(args, 1), setter = Arg(args, 2);
        const std::string name = vm.ToString(Arg(args, 0));
        if (!self.IsObject() || name.empty() || !getter.IsObject() || !getter.o->IsFunction())
            return Value::Bool(false);
        vm.SetOwn(*self.o, name, {});
        Property* p = self.o->Find(vm.Key(name));
        p->getter = getter.o;
        p->setter = setter.IsObject() && setter.o->IsFunction() ? setter.o : nullptr;
        return Value::Bool(true);
    }, 3);
    Define(*m_objectProto, "watch", Nothing);
    Define(*m_objectProto, "unwatch", Nothing);
    Define(object, "registerClass", [](Vm& vm, Object&, const Value&, const std::vector<Value>& args) {
        const auto& exports = vm.GetPlayer().GetMovie().exports;
        auto it = exports.find(vm.ToString(Arg(args, 0)));
        const Value cls = Arg(args, 1);
        if (it == exports.end())
            return Value::Bool(false);
        if (cls.IsObject() && cls.o->IsFunction())
            vm.m_classes[it->second] = cls.o;
        else
            vm.m_classes.erase(it->second);
        return Value::Bool(true);
    }, 2);

    Object& function = NewNative(Nothing);
    LinkClass(function, *m_functionProto);
    SetOwn(g, "Function", Value::Obj(&function), kDontEnum);
    Define(*m_functionProto, "call", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const std::vector<Value> rest(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
        return vm.Call(self, Arg(args, 0), rest);
    }, 1);
    Define(*m_functionProto, "apply", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value list = Arg(args, 1);
        std::vector<Value> rest;
        if (list.IsObject() && list.o->kind == Kind::kArray)
            rest = list.o->elements;
        return vm.Call(self, Arg(args, 0), rest);
    }, 2);

    InstallArray(*this, g);
    InstallString(*this, g);
    InstallNumberAndBoolean(*this, g);
    InstallMath(*this, g);
    InstallGlobals(*this, g);
    InstallGeometry(*this, g);
}

}  // namespace swf::avm1
