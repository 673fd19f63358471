// Color: tints a clip through its colour transform.
#include "swf/avm1/StageAccess.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

// The fields of a transform object: multipliers in percent, then offsets.
const char* const kTransformFields[8] = {"ra", "ga", "ba", "aa", "rb", "gb", "bb", "ab"};

// The clip a Color colours, while it is on the stage.
DisplayObject* TargetOf(const Value& self)
{
    if (!self.IsObject() || !self.o->target)
        return nullptr;
    return self.o->target->display;
}

// new Color(target): the target a clip or its path.
Value ColorConstructor(NativeCall& c)
{
    if (!c.self.IsObject())
        return Value{};
    const Value t = c.Arg(0);
    Vm& vm = c.vm;
    Object* target = t.IsObject() && t.o->kind == Kind::kClip ? t.o
                     : t.IsUndefined()                         ? nullptr
                                                               : vm.ResolveTarget(vm.ToString(t), vm.CurrentTarget());
    c.self.o->target = target && target->kind == Kind::kClip ? target : nullptr;
    return Value{};
}

// setRGB(0xRRGGBB): every pixel of the clip in that colour.
Value ColorSetRGB(NativeCall& c)
{
    if (DisplayObject* d = TargetOf(c.self)) {
        const int32_t rgb = c.vm.ToInt(c.Arg(0));
        for (int i = 0; i < 3; ++i) {
            d->cxform.mul[i] = 0;
            d->cxform.add[i] = rgb >> (16 - 8 * i) & 255;
        }
        Vm::StageAccess::Changed(c.vm);
    }
    return Value{};
}

Value ColorGetRGB(NativeCall& c)
{
    DisplayObject* d = TargetOf(c.self);
    if (!d)
        return Value{};
    auto channel = [d](int i) { return static_cast<int32_t>(d->cxform.add[i]) & 255; };
    return Value::Number(channel(0) << 16 | channel(1) << 8 | channel(2));
}

Value ColorSetTransform(NativeCall& c)
{
    DisplayObject* d = TargetOf(c.self);
    const Value t = c.Arg(0);
    if (!d || !t.IsObject())
        return Value{};
    // Only the object's own fields count: one it inherits leaves the channel as it is.
    for (int i = 0; i < 8; ++i) {
        if (!t.o->Find(c.vm.Key(kTransformFields[i])))
            continue;
        const double n = c.vm.ToNumber(c.vm.Get(t, kTransformFields[i]));
        const int32_t v = std::isfinite(n) ? static_cast<int32_t>(std::clamp(n, -32768.0, 32767.0) * (i < 4 ? 2.56 : 1))
                                           : 0;
        (i < 4 ? d->cxform.mul[i] : d->cxform.add[i - 4]) = v;
    }
    Vm::StageAccess::Changed(c.vm);
    return Value{};
}

Value ColorGetTransform(NativeCall& c)
{
    DisplayObject* d = TargetOf(c.self);
    if (!d)
        return Value{};
    Object& r = c.vm.NewObject();
    for (int i = 0; i < 8; ++i) {
        const double v = i < 4 ? d->cxform.mul[i] * 100.0 / 256 : d->cxform.add[i - 4];
        c.vm.SetOwn(r, kTransformFields[i], Value::Number(v));
    }
    return Value::Obj(&r);
}

const NativeMethod kColorMethods[] = {
    {"setRGB", ColorSetRGB, 1},
    {"getRGB", ColorGetRGB, 0},
    {"setTransform", ColorSetTransform, 1},
    {"getTransform", ColorGetTransform, 0},
};

}  // namespace

void InstallColor(Vm& vm)
{
    Object& ctor = vm.NewNative(ColorConstructor, 1);
    vm.Proto(Builtin::kColor) = &vm.NewObject();
    vm.SetOwn(ctor, "prototype", Value::Obj(vm.Proto(Builtin::kColor)), kDontEnum);
    vm.SetOwn(*vm.m_global, "Color", Value::Obj(&ctor), kDontEnum);
    DefineMethods(vm, *vm.Proto(Builtin::kColor), kColorMethods);
}

}  // namespace swf::avm1
