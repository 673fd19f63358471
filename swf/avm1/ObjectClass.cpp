// Object, the root of every prototype chain, and Function with its call and apply.
#include "swf/avm1/Native.h"
#include "swf/player/Player.h"

namespace swf::avm1 {
namespace {

Value ObjectConstructor(NativeCall& c)
{
    if (!c.args.empty() && c.args[0].IsObject())
        return c.args[0];
    if (!c.args.empty() && !c.args[0].IsNullish())
        return Value::Obj(c.vm.ToObject(c.args[0]));
    return c.constructing ? c.self : Value::Obj(&c.vm.NewObject());
}

Value ObjectToString(NativeCall& c)
{
    return c.vm.Str(c.self.IsObject() && c.self.o->IsFunction() ? "[type Function]" : "[object Object]");
}

Value ObjectValueOf(NativeCall& c)
{
    return c.self;
}

// The property the first argument names, when `this` has it itself.
Property* OwnProperty(NativeCall& c)
{
    return c.self.IsObject() ? c.self.o->Find(c.vm.Key(c.vm.ToString(c.Arg(0)))) : nullptr;
}

Value ObjectHasOwnProperty(NativeCall& c)
{
    return Value::Bool(OwnProperty(c));
}

Value ObjectIsPropertyEnumerable(NativeCall& c)
{
    Property* p = OwnProperty(c);
    return Value::Bool(p && !(p->flags & kDontEnum));
}

Value ObjectIsPrototypeOf(NativeCall& c)
{
    const Value v = c.Arg(0);
    int guard = 0;
    for (Object* p = v.IsObject() ? v.o->proto : nullptr; p && guard < 64; p = p->proto, c.vm.PayLink(++guard))
        if (c.self.IsObject() && p == c.self.o)
            return Value::Bool(true);
    return Value::Bool(false);
}

Value ObjectAddProperty(NativeCall& c)
{
    const Value getter = c.Arg(1), setter = c.Arg(2);
    const std::string name = c.vm.ToString(c.Arg(0));
    if (!c.self.IsObject() || name.empty() || !getter.IsObject() || !getter.o->IsFunction())
        return Value::Bool(false);
    c.vm.SetOwn(*c.self.o, name, {});
    Property* p = c.self.o->Find(c.vm.Key(name));
    p->getter = getter.o;
    p->setter = setter.IsObject() && setter.o->IsFunction() ? setter.o : nullptr;
    return Value::Bool(true);
}

// Object.registerClass(id, class): the class the sprite exported as `id` is made with.
Value ObjectRegisterClass(NativeCall& c)
{
    const auto& exports = c.vm.GetPlayer().GetMovie().exports;
    auto it = exports.find(c.vm.ToString(c.Arg(0)));
    const Value cls = c.Arg(1);
    if (it == exports.end())
        return Value::Bool(false);
    if (cls.IsObject() && cls.o->IsFunction())
        c.vm.m_classes[it->second] = cls.o;
    else
        c.vm.m_classes.erase(it->second);
    return Value::Bool(true);
}

Value FunctionCall(NativeCall& c)
{
    const std::vector<Value> rest(c.args.size() > 1 ? c.args.begin() + 1 : c.args.end(), c.args.end());
    return c.vm.Call(c.self, c.Arg(0), rest);
}

Value FunctionApply(NativeCall& c)
{
    const Value list = c.Arg(1);
    std::vector<Value> rest;
    if (Object* a = ArrayOf(list))
        rest = a->elements;
    return c.vm.Call(c.self, c.Arg(0), rest);
}

const NativeMethod kObjectMethods[] = {
    {"toString", ObjectToString, 0},
    {"valueOf", ObjectValueOf, 0},
    {"hasOwnProperty", ObjectHasOwnProperty, 1},
    {"isPropertyEnumerable", ObjectIsPropertyEnumerable, 1},
    {"isPrototypeOf", ObjectIsPrototypeOf, 1},
    {"addProperty", ObjectAddProperty, 3},
    {"watch", Nothing, 0},
    {"unwatch", Nothing, 0},
};

const NativeMethod kObjectStatics[] = {
    {"registerClass", ObjectRegisterClass, 2},
};

const NativeMethod kFunctionMethods[] = {
    {"call", FunctionCall, 1},
    {"apply", FunctionApply, 2},
};

}  // namespace

void InstallObject(Vm& vm)
{
    const NativeClass object = NewClass(vm, ObjectConstructor, 1, vm.Proto(Builtin::kObject));
    vm.SetOwn(*vm.m_global, "Object", Value::Obj(&object.ctor), kDontEnum);
    DefineMethods(vm, object.proto, kObjectMethods);
    DefineMethods(vm, object.ctor, kObjectStatics);

    const NativeClass function = NewClass(vm, Nothing, 0, vm.Proto(Builtin::kFunction));
    vm.SetOwn(*vm.m_global, "Function", Value::Obj(&function.ctor), kDontEnum);
    DefineMethods(vm, function.proto, kFunctionMethods);
}

}  // namespace swf::avm1
