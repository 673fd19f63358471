// Array: elements by index, with the methods that add, remove, join, cut and sort them.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace swf::avm1 {
namespace {

void CheckLength(std::size_t size)
{
    if (size > kMaxArrayLength)
        throw ScriptAbort{"an array grew too long"};
}

std::string Join(Vm& vm, Object& a, const std::string& sep)
{
    std::string out;
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        vm.Charge(1 + sep.size() / 64);
        if (i)
            out += sep;
        const Value& e = a.elements[i];
        if (!e.IsUndefined())
            out += *vm.ToStringRef(e);
        if (out.size() > kMaxStringLength)
            throw ScriptAbort{"a string grew too long"};
    }
    return out;
}

// new Array(n) has n empty elements; new Array(a, b, ...) those elements.
Value ArrayConstructor(NativeCall& c)
{
    if (c.args.size() == 1 && c.args[0].IsNumber()) {
        const double n = c.args[0].n;
        if (n >= 0 && n <= kMaxArrayLength)
            return Value::Obj(&c.vm.NewArray(std::vector<Value>(static_cast<std::size_t>(n))));
        return Value::Obj(&c.vm.NewArray({}));
    }
    return Value::Obj(&c.vm.NewArray(c.args));
}

Value ArrayPush(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a)
        return Value{};
    for (const Value& v : c.args)
        c.vm.Set(c.self, std::to_string(a->elements.size()), v);
    return Value::Number(static_cast<double>(a->elements.size()));
}

Value ArrayPop(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a || a->elements.empty())
        return Value{};
    Value v = a->elements.back();
    a->elements.pop_back();
    return v;
}

Value ArrayShift(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a || a->elements.empty())
        return Value{};
    c.vm.Charge(a->elements.size());
    Value v = a->elements.front();
    a->elements.erase(a->elements.begin());
    return v;
}

Value ArrayUnshift(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a)
        return Value{};
    CheckLength(a->elements.size() + c.args.size());
    c.vm.Charge(a->elements.size());
    c.vm.Hold(c.args.size() * sizeof(Value));
    a->elements.insert(a->elements.begin(), c.args.begin(), c.args.end());
    return Value::Number(static_cast<double>(a->elements.size()));
}

Value ArrayJoin(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a)
        return Value{};
    return c.vm.Str(Join(c.vm, *a, c.args.empty() || c.args[0].IsUndefined() ? "," : c.vm.ToString(c.args[0])));
}

Value ArrayToString(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    return a ? c.vm.Str(Join(c.vm, *a, ",")) : c.vm.Str("[object Object]");
}

Value ArrayReverse(NativeCall& c)
{
    if (Object* a = ArrayOf(c.self)) {
        c.vm.Charge(a->elements.size() / 8);
        std::reverse(a->elements.begin(), a->elements.end());
    }
    return c.self;
}

Value ArrayConcat(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    std::size_t size = a ? a->elements.size() : 0;
    for (const Value& v : c.args) {
        const Object* b = ArrayOf(v);
        size += b ? b->elements.size() : 1;
        CheckLength(size);
    }
    c.vm.Charge(size);
    std::vector<Value> out = a ? a->elements : std::vector<Value>{};
    for (const Value& v : c.args) {
        if (Object* b = ArrayOf(v))
            out.insert(out.end(), b->elements.begin(), b->elements.end());
        else
            out.push_back(v);
    }
    return Value::Obj(&c.vm.NewArray(std::move(out)));
}

Value ArraySlice(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a)
        return Value{};
    const std::size_t n = a->elements.size();
    const std::size_t from = ClampIndex(c.vm, c.Arg(0), n, 0), to = ClampIndex(c.vm, c.Arg(1), n, n);
    c.vm.Charge(from < to ? to - from : 0);
    std::vector<Value> out;
    if (from < to)
        out.assign(a->elements.begin() + from, a->elements.begin() + to);
    return Value::Obj(&c.vm.NewArray(std::move(out)));
}

// splice(from, count, items...): removes `count` elements at `from`, inserts the items there
// and gives the removed ones.
Value ArraySplice(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a || c.args.empty())
        return Value{};
    const std::size_t n = a->elements.size();
    const std::size_t from = ClampIndex(c.vm, c.args[0], n, 0);
    std::size_t count = n - from;
    if (c.args.size() > 1) {
        const double wanted = c.vm.ToNumber(c.args[1]);
        count = std::isnan(wanted) || wanted < 0 ? 0 : static_cast<std::size_t>(std::min<double>(wanted, count));
    }
    c.vm.Charge(n);
    std::vector<Value> removed(a->elements.begin() + from, a->elements.begin() + from + count);
    a->elements.erase(a->elements.begin() + from, a->elements.begin() + from + count);
    if (c.args.size() > 2) {
        CheckLength(a->elements.size() + c.args.size());
        c.vm.Hold((c.args.size() - 2) * sizeof(Value));
        a->elements.insert(a->elements.begin() + from, c.args.begin() + 2, c.args.end());
    }
    return Value::Obj(&c.vm.NewArray(std::move(removed)));
}

// A stable bottom-up merge sort of positions: a comparison that contradicts itself cannot
// break it. Each comparison is paid as it is made, each pass's moves after it.
template <typename Less>
void MergeSort(Vm& vm, std::vector<std::size_t>& order, Less less)
{
    const std::size_t n = order.size();
    std::vector<std::size_t> merged(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                vm.Charge(1);
                merged[k++] = less(order[j], order[i]) ? order[j++] : order[i++];
            }
            while (i < mid)
                merged[k++] = order[i++];
            while (j < hi)
                merged[k++] = order[j++];
        }
        vm.Charge(n / 8);
        order.swap(merged);
    }
}

// sort(compare, flags) with either argument left out; flags: 1 case-insensitive, 2
// descending, 16 numeric.
Value ArraySort(NativeCall& c)
{
    Object* a = ArrayOf(c.self);
    if (!a)
        return Value{};
    Vm& vm = c.vm;
    Value compare;
    int flags = 0;
    for (const Value& v : c.args) {
        if (v.IsObject() && v.o->IsFunction())
            compare = v;
        else if (v.IsNumber())
            flags = static_cast<int>(v.n);
    }
    vm.Charge(a->elements.size());
    const std::vector<Value> elements = a->elements;
    std::vector<std::size_t> order(elements.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (compare.IsObject()) {
        MergeSort(vm, order, [&](std::size_t x, std::size_t y) {
            return vm.ToNumber(vm.Call(compare, {}, {elements[x], elements[y]})) < 0;
        });
    } else if (flags & 16) {
        std::vector<double> keys;
        for (const Value& v : elements)
            keys.push_back(vm.ToNumber(v));
        MergeSort(vm, order, [&](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });
    } else {
        // Each element converted once; a comparison pays for the characters it may read.
        std::vector<std::string> keys;
        for (const Value& v : elements) {
            keys.push_back(vm.ToString(v));
            if (flags & 1)
                for (char& ch : keys.back())
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            vm.Charge(keys.back().size() / 32);
        }
        MergeSort(vm, order, [&](std::size_t x, std::size_t y) {
            vm.Charge(std::min(keys[x].size(), keys[y].size()) / 32);
            return keys[x] < keys[y];
        });
    }
    std::vector<Value> items;
    items.reserve(order.size());
    for (std::size_t i : order)
        items.push_back(elements[i]);
    if (flags & 2)
        std::reverse(items.begin(), items.end());
    a->elements = std::move(items);
    return c.self;
}

const NativeMethod kArrayMethods[] = {
    {"push", ArrayPush, 1},       {"pop", ArrayPop, 0},       {"shift", ArrayShift, 0},
    {"unshift", ArrayUnshift, 1}, {"join", ArrayJoin, 1},     {"toString", ArrayToString, 0},
    {"reverse", ArrayReverse, 0}, {"concat", ArrayConcat, 1}, {"slice", ArraySlice, 2},
    {"splice", ArraySplice, 2},   {"sort", ArraySort, 1},
};

}  // namespace

void InstallArray(Vm& vm)
{
    const NativeClass array = NewClass(vm, ArrayConstructor, 0, vm.Proto(Builtin::kArray));
    vm.SetOwn(*vm.m_global, "Array", Value::Obj(&array.ctor), kDontEnum);
    const std::pair<const char*, double> flags[] = {{"CASEINSENSITIVE", 1}, {"DESCENDING", 2}, {"UNIQUESORT", 4},
                                                    {"RETURNINDEXEDARRAY", 8}, {"NUMERIC", 16}};
    for (const auto& [name, value] : flags)
        vm.SetOwn(array.ctor, name, Value::Number(value), kDontEnum);
    DefineMethods(vm, array.proto, kArrayMethods);
}

}  // namespace swf::avm1
