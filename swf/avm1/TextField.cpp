// TextField: the class of the movie's text fields and of those scripts create.
#include "swf/avm1/Native.h"
#include "swf/player/Player.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

// createTextField(name, depth, x, y, w, h): an empty field at (x, y) of the clip, w x h
// pixels, in the fallback font.
Value MovieClipCreateTextField(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* parent = ThisClip(c);
    DisplayObject* d = parent ? vm.PlaceEmpty(*parent, vm.ToString(c.Arg(0)), vm.ToNumber(c.Arg(1))) : nullptr;
    if (!d)
        return Value{};
    auto twips = [&](std::size_t i) { return PixelsToTwips(vm.ToNumber(c.Arg(i))); };
    d->matrix = Matrix::Translate(twips(2), twips(3));
    Field field;
    field.box = {0, static_cast<int32_t>(std::max(0.0, twips(4))), 0, static_cast<int32_t>(std::max(0.0, twips(5)))};
    vm.SetField(*d, std::move(field));
    return Value::Obj(&vm.ObjectOf(*d));
}

void InstallTextField(Vm& vm)
{
    const NativeClass field = NewClass(vm, Nothing, 0, &vm.NewObject());
    vm.Proto(Builtin::kTextField) = &field.proto;
    vm.SetOwn(*vm.m_global, "TextField", Value::Obj(&field.ctor), kDontEnum);
}

}  // namespace swf::avm1
