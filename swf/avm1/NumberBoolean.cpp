// Number and Boolean: conversions to their primitives, with the constants of Number and its
// toString in any radix.
#include "swf/avm1/Native.h"

#include <cmath>

namespace swf::avm1 {
namespace {

Value NumberConstructor(NativeCall& c)
{
    return WrapWhenConstructed(c, Kind::kNumber, Value::Number(c.args.empty() ? 0 : c.vm.ToNumber(c.args[0])));
}

// toString(radix): whole numbers in radix 2 to 36; others and radix 10 as usual.
Value NumberToString(NativeCall& c)
{
    const double n = c.vm.ToNumber(Primitive(c.self));
    const int radix = c.args.empty() ? 10 : c.vm.ToInt(c.args[0]);
    if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(n))
        return c.vm.Str(FormatNumber(n));
    int64_t v = static_cast<int64_t>(n);
    const bool negative = v < 0;
    uint64_t u = negative ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
    std::string s;
    do {
        s.insert(s.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[u % radix]);
        u /= radix;
    } while (u);
    return c.vm.Str((negative ? "-" : "") + s);
}

Value NumberValueOf(NativeCall& c)
{
    return Value::Number(c.vm.ToNumber(Primitive(c.self)));
}

Value BooleanConstructor(NativeCall& c)
{
    return WrapWhenConstructed(c, Kind::kBoolean, Value::Bool(!c.args.empty() && c.vm.ToBool(c.args[0])));
}

Value BooleanToString(NativeCall& c)
{
    return c.vm.Str(c.vm.ToBool(Primitive(c.self)) ? "true" : "false");
}

Value BooleanValueOf(NativeCall& c)
{
    return Value::Bool(c.vm.ToBool(Primitive(c.self)));
}

const NativeMethod kNumberMethods[] = {
    {"toString", NumberToString, 1},
    {"valueOf", NumberValueOf, 0},
};

const NativeMethod kBooleanMethods[] = {
    {"toString", BooleanToString, 0},
    {"valueOf", BooleanValueOf, 0},
};

}  // namespace

void InstallNumberAndBoolean(Vm& vm)
{
    const NativeClass number = NewClass(vm, NumberConstructor, 1, vm.Proto(Builtin::kNumber));
    vm.SetOwn(*vm.m_global, "Number", Value::Obj(&number.ctor), kDontEnum);
    const std::pair<const char*, double> constants[] = {{"MAX_VALUE", 1.79769313486231e+308},
                                                        {"MIN_VALUE", 4.94065645841247e-324},
                                                        {"NaN", NAN},
                                                        {"POSITIVE_INFINITY", INFINITY},
                                                        {"NEGATIVE_INFINITY", -INFINITY}};
    for (const auto& [name, value] : constants)
        vm.SetOwn(number.ctor, name, Value::Number(value), kDontEnum | kReadOnly);
    DefineMethods(vm, number.proto, kNumberMethods);

    const NativeClass boolean = NewClass(vm, BooleanConstructor, 1, vm.Proto(Builtin::kBoolean));
    vm.SetOwn(*vm.m_global, "Boolean", Value::Obj(&boolean.ctor), kDontEnum);
    DefineMethods(vm, boolean.proto, kBooleanMethods);
}

}  // namespace swf::avm1
