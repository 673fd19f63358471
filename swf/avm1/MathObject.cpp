// Math: its constants and functions of numbers, and a random sequence that is the same every run.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

template <double (*F)(double)>
Value MathOne(NativeCall& c)
{
    return Value::Number(F(c.args.empty() ? NAN : c.vm.ToNumber(c.args[0])));
}

double Round(double v) { return std::floor(v + 0.5); }
double Abs(double v) { return std::fabs(v); }

Value MathAtan2(NativeCall& c)
{
    return Value::Number(std::atan2(c.vm.ToNumber(c.Arg(0)), c.vm.ToNumber(c.Arg(1))));
}

Value MathPow(NativeCall& c)
{
    return Value::Number(std::pow(c.vm.ToNumber(c.Arg(0)), c.vm.ToNumber(c.Arg(1))));
}

// The least (or greatest) argument; NaN when any is.
Value Extreme(NativeCall& c, bool greatest)
{
    double r = greatest ? -INFINITY : INFINITY;
    for (const Value& v : c.args) {
        const double n = c.vm.ToNumber(v);
        r = std::isnan(n) || std::isnan(r) ? NAN : greatest ? std::max(r, n) : std::min(r, n);
    }
    return Value::Number(r);
}

Value MathMin(NativeCall& c)
{
    return Extreme(c, false);
}

Value MathMax(NativeCall& c)
{
    return Extreme(c, true);
}

Value MathRandom(NativeCall& c)
{
    return Value::Number(c.vm.Random());
}

const NativeMethod kMathMethods[] = {
    {"abs", MathOne<Abs>, 1},          {"acos", MathOne<std::acos>, 1}, {"asin", MathOne<std::asin>, 1},
    {"atan", MathOne<std::atan>, 1},   {"ceil", MathOne<std::ceil>, 1}, {"cos", MathOne<std::cos>, 1},
    {"exp", MathOne<std::exp>, 1},     {"floor", MathOne<std::floor>, 1}, {"log", MathOne<std::log>, 1},
    {"round", MathOne<Round>, 1},      {"sin", MathOne<std::sin>, 1},   {"sqrt", MathOne<std::sqrt>, 1},
    {"tan", MathOne<std::tan>, 1},     {"atan2", MathAtan2, 2},         {"pow", MathPow, 2},
    {"min", MathMin, 2},               {"max", MathMax, 2},             {"random", MathRandom, 0},
};

}  // namespace

void InstallMath(Vm& vm)
{
    Object& m = vm.NewObject();
    vm.SetOwn(*vm.m_global, "Math", Value::Obj(&m), kDontEnum);
    const std::pair<const char*, double> constants[] = {
        {"PI", 3.141592653589793}, {"E", 2.718281828459045},   {"LN2", 0.6931471805599453},
        {"LN10", 2.302585092994046}, {"LOG2E", 1.4426950408889634}, {"LOG10E", 0.4342944819032518},
        {"SQRT1_2", 0.7071067811865476}, {"SQRT2", 1.4142135623730951}};
    for (const auto& [name, value] : constants)
        vm.SetOwn(m, name, Value::Number(value), kDontEnum | kReadOnly);
    DefineMethods(vm, m, kMathMethods);
}

}  // namespace swf::avm1
