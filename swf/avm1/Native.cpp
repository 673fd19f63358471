// The tables' loop, the classes the families make, the helpers they share, and the order in
// which the families are installed.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

void DefineMethods(Vm& vm, Object& o, std::span<const NativeMethod> methods)
{
    for (const NativeMethod& m : methods)
        vm.Define(o, m.name, m.fn, m.length);
}

NativeClass NewClass(Vm& vm, NativeFn ctor, int length, Object* proto)
{
    Object& c = vm.NewNative(ctor, length);
    Object& p = proto ? *proto : vm.NewObject();
    vm.LinkClass(c, p);
    return {c, p};
}

Value Nothing(NativeCall&)
{
    return {};
}

Value Primitive(const Value& v)
{
    if (v.IsObject() && (v.o->kind == Kind::kString || v.o->kind == Kind::kNumber || v.o->kind == Kind::kBoolean))
        return v.o->primitive;
    return v;
}

Value WrapWhenConstructed(NativeCall& call, Kind kind, const Value& primitive)
{
    if (!call.constructing || !call.self.IsObject())
        return primitive;
    call.self.o->kind = kind;
    call.self.o->primitive = primitive;
    return call.self;
}

Object* ArrayOf(const Value& v)
{
    return v.IsObject() && v.o->kind == Kind::kArray ? v.o : nullptr;
}

std::size_t ClampIndex(Vm& vm, const Value& v, std::size_t size, std::size_t fallback)
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

double PixelsToTwips(double pixels)
{
    return std::isfinite(pixels) ? std::clamp(pixels, -1e6, 1e6) * 20 : 0.0;
}

Object* ClipOrTarget(NativeCall& call)
{
    const Value& self = call.self;
    return self.IsObject() && self.o->kind == Kind::kClip && self.o->display ? self.o : call.vm.CurrentTarget();
}

Object* ThisClip(NativeCall& call)
{
    Object* o = ClipOrTarget(call);
    return o && o->display ? o : nullptr;
}

void Vm::InstallBuiltins()
{
    Proto(Builtin::kObject) = &New(Kind::kObject, nullptr);
    Proto(Builtin::kFunction) = &New(Kind::kObject, Proto(Builtin::kObject));
    m_global = &NewObject();
    Proto(Builtin::kArray) = &NewObject();
    Proto(Builtin::kString) = &NewObject();
    Proto(Builtin::kNumber) = &NewObject();
    Proto(Builtin::kBoolean) = &NewObject();
    InstallObject(*this);
    InstallArray(*this);
    InstallString(*this);
    InstallNumberAndBoolean(*this);
    InstallMath(*this);
    InstallGlobals(*this);
    InstallMovieClip(*this);
    InstallColor(*this);
    InstallMovieClipLoader(*this);
    InstallDrawing(*this);
    InstallBitmapData(*this);
}

}  // namespace swf::avm1
