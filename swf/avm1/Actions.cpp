// The actions that the loop runs by group: the timeline, the stack, arithmetic, comparisons,
// strings, variables and members, objects and calls. Each takes its operands from its own bytes
// and its values from the frame's stack, as Actions.h lists them.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf::avm1 {

namespace {

double Calculate(Action action, double a, double b, int version)
{
    switch (action) {
    case Action::kAdd: return a + b;
    case Action::kSubtract: return a - b;
    case Action::kMultiply: return a * b;
    case Action::kDivide: return b == 0 && version < 5 ? NAN : a / b;
    default: return std::fmod(a, b);
    }
}

double BitOperation(Action action, int32_t a, int32_t b)
{
    switch (action) {
    case Action::kBitAnd: return a & b;
    case Action::kBitOr: return a | b;
    case Action::kBitXor: return a ^ b;
    case Action::kBitLShift: return static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
    case Action::kBitRShift: return a >> (b & 31);
    default: return static_cast<uint32_t>(a) >> (b & 31);
    }
}

}  // namespace

std::vector<Value> Vm::PopArgs(Frame& f)
{
    const double n = ToNumber(f.Pop());
    std::vector<Value> args;
    const std::size_t count = n > 0 ? static_cast<std::size_t>(std::min<double>(n, kMaxStack)) : 0;
    for (std::size_t i = 0; i < count && !f.stack.empty(); ++i)
        args.push_back(f.Pop());
    return args;
}

void Vm::TimelineAction(Frame& f, Action action, Operands& d)
{
    Clip* c = ClipOf(Value::Obj(f.target));
    switch (action) {
    case Action::kNextFrame:
        if (c)
            Goto(f.target, Value::Number(c->CurrentFrame() + 2), 0, 0);
        break;
    case Action::kPreviousFrame:
        if (c)
            Goto(f.target, Value::Number(std::max(1, c->CurrentFrame())), 0, 0);
        break;
    case Action::kPlay:
    case Action::kStop:
        if (c)
            c->SetPlaying(action == Action::kPlay);
        break;
    case Action::kGotoFrame: Goto(f.target, Value::Number(d.U16() + 1), -1, 0); break;
    case Action::kGoToLabel: Goto(f.target, Str(d.Str()), -1, 0); break;
    case Action::kGotoFrame2: {
        const uint8_t flags = d.U8();
        const int bias = (flags & 2) ? d.U16() : 0;
        Goto(f.target, f.Pop(), flags & 1, bias);
        break;
    }
    case Action::kWaitForFrame2: f.Pop(); break;  // every frame is loaded
    case Action::kSetTarget: SetTarget(f, ResolveTarget(d.Str(), f.origTarget)); break;
    case Action::kSetTarget2: {
        const Value t = f.Pop();
        SetTarget(f, t.IsObject() ? t.o : ResolveTarget(ToString(t), f.origTarget));
        break;
    }
    case Action::kGetURL2:  // never opens anything
        f.Pop();
        f.Pop();
        break;
    case Action::kCall: CallFrame(f, f.Pop()); break;
    case Action::kCloneSprite: {
        const Value depth = f.Pop(), name = f.Pop(), source = f.Pop();
        if (Object* o = ResolveTarget(ToString(source), f.target))
            CallMethod(Value::Obj(o), "duplicateMovieClip", {name, Value::Number(ToNumber(depth) - 16384)});
        break;
    }
    case Action::kRemoveSprite:
        if (Object* o = ResolveTarget(ToString(f.Pop()), f.target))
            CallMethod(Value::Obj(o), "removeMovieClip", {});
        break;
    case Action::kStartDrag:  // nothing is dragged
        f.Pop();
        f.Pop();
        if (ToBool(f.Pop()))
            for (int i = 0; i < 4; ++i)
                f.Pop();
        break;
    case Action::kTrace: Trace(ToString(f.Pop())); break;
    case Action::kGetTime: f.Push(Value::Number(std::floor(Clock()))); break;
    default: break;  // the quality, sounds, URLs, waiting for frames and dragging change nothing
    }
}

void Vm::PushValues(Frame& f, Operands& d)
{
    while (d.More()) {
        const uint8_t type = d.U8();
        switch (type) {
        case 0: f.Push(Str(d.Str())); break;
        case 1: {
            const uint32_t bits = d.U32();
            float v;
            std::memcpy(&v, &bits, 4);
            f.Push(Value::Number(v));
            break;
        }
        case 2: f.Push(Value::Null()); break;
        case 3: f.Push({}); break;
        case 4: {
            const uint8_t r = d.U8();
            f.Push(r < f.registers.size() ? f.registers[r] : Value{});
            break;
        }
        case 5: f.Push(Value::Bool(d.U8() != 0)); break;
        case 6: {
            const uint64_t hi = d.U32();
            const uint64_t lo = d.U32();
            const uint64_t bits = hi << 32 | lo;
            double v;
            std::memcpy(&v, &bits, 8);
            f.Push(Value::Number(v));
            break;
        }
        case 7: f.Push(Value::Number(static_cast<int32_t>(d.U32()))); break;
        case 8:
        case 9: {
            const std::size_t i = type == 8 ? d.U8() : d.U16();
            f.Push(f.pool && i < f.pool->size() ? (*f.pool)[i] : Value{});
            break;
        }
        default:
            throw ScriptAbort{"a push has an unknown type"};
        }
    }
}

void Vm::StackAction(Frame& f, Action action, Operands& d)
{
    switch (action) {
    case Action::kPush: PushValues(f, d); break;
    case Action::kPop: f.Pop(); break;
    case Action::kPushDuplicate: {
        Value v = f.stack.empty() ? Value{} : f.stack.back();
        f.Push(std::move(v));
        break;
    }
    case Action::kStackSwap: {
        Value a = f.Pop(), b = f.Pop();
        f.Push(std::move(a));
        f.Push(std::move(b));
        break;
    }
    case Action::kConstantPool: {
        auto pool = std::make_shared<std::vector<Value>>();
        for (int n = d.U16(); n > 0; --n)
            pool->push_back(Str(d.Str()));
        f.pool = std::move(pool);
        break;
    }
    case Action::kStoreRegister: {
        const uint8_t r = d.U8();
        if (r < f.registers.size())
            f.registers[r] = f.stack.empty() ? Value{} : f.stack.back();
        break;
    }
    default: break;
    }
}

void Vm::ArithmeticAction(Frame& f, Action action)
{
    switch (action) {
    case Action::kAdd:
    case Action::kSubtract:
    case Action::kMultiply:
    case Action::kDivide:
    case Action::kModulo: {
        const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
        f.Push(Value::Number(Calculate(action, a, b, m_version)));
        break;
    }
    case Action::kAdd2: {
        const Value b = ToPrimitive(f.Pop()), a = ToPrimitive(f.Pop());
        if (a.IsString() || b.IsString())
            f.Push(Str(ToString(a) + ToString(b)));
        else
            f.Push(Value::Number(ToNumber(a) + ToNumber(b)));
        break;
    }
    case Action::kIncrement: f.Push(Value::Number(ToNumber(f.Pop()) + 1)); break;
    case Action::kDecrement: f.Push(Value::Number(ToNumber(f.Pop()) - 1)); break;
    case Action::kToInteger: f.Push(Value::Number(std::trunc(ToNumber(f.Pop())))); break;
    case Action::kToNumber: f.Push(Value::Number(ToNumber(f.Pop()))); break;
    case Action::kToString: f.Push(Str(ToString(f.Pop()))); break;
    case Action::kRandomNumber: {
        const double n = ToNumber(f.Pop());
        f.Push(Value::Number(n >= 1 ? std::floor(Random() * std::floor(n)) : 0));
        break;
    }
    default: {  // the bit operations
        const int32_t b = ToInt(f.Pop()), a = ToInt(f.Pop());
        f.Push(Value::Number(BitOperation(action, a, b)));
        break;
    }
    }
}

void Vm::CompareAction(Frame& f, Action action)
{
    switch (action) {
    case Action::kEquals:
    case Action::kLess: {
        const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
        f.Push(Truth(action == Action::kEquals ? a == b : a < b));
        break;
    }
    case Action::kAnd:
    case Action::kOr: {
        const bool b = ToBool(f.Pop()), a = ToBool(f.Pop());
        f.Push(Truth(action == Action::kAnd ? a && b : a || b));
        break;
    }
    case Action::kNot: f.Push(Truth(!ToBool(f.Pop()))); break;
    default: {
        const Value b = f.Pop(), a = f.Pop();
        if (action == Action::kEquals2)
            f.Push(Value::Bool(LooseEquals(a, b)));
        else if (action == Action::kStrictEquals)
            f.Push(Value::Bool(StrictEquals(a, b)));
        else
            f.Push(action == Action::kLess2 ? Less(a, b) : Less(b, a));
        break;
    }
    }
}

void Vm::StringAction(Frame& f, Action action)
{
    switch (action) {
    case Action::kStringEquals:
    case Action::kStringLess:
    case Action::kStringGreater: {
        const StringRef b = ToStringRef(f.Pop()), a = ToStringRef(f.Pop());
        Charge(std::min(a->size(), b->size()) / 64);
        f.Push(Truth(action == Action::kStringEquals ? *a == *b : action == Action::kStringLess ? *a < *b : *a > *b));
        break;
    }
    case Action::kStringLength:
    case Action::kMBStringLength: f.Push(Value::Number(static_cast<double>(ToStringRef(f.Pop())->size()))); break;
    case Action::kStringAdd: {
        const std::string b = ToString(f.Pop()), a = ToString(f.Pop());
        f.Push(Str(a + b));
        break;
    }
    case Action::kStringExtract:
    case Action::kMBStringExtract: {  // string, index (1-based), count
        const double count = ToNumber(f.Pop()), index = ToNumber(f.Pop());
        const StringRef text = ToStringRef(f.Pop());
        const std::string& s = *text;
        const double from = std::isnan(index) ? 0 : std::clamp(index - 1, 0.0, static_cast<double>(s.size()));
        const double n = std::isnan(count) || count < 0 ? static_cast<double>(s.size()) : count;
        f.Push(Str(s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(std::min<double>(n, s.size())))));
        break;
    }
    case Action::kCharToAscii:
    case Action::kMBCharToAscii: {
        const StringRef s = ToStringRef(f.Pop());
        f.Push(Value::Number(s->empty() ? 0 : static_cast<uint8_t>((*s)[0])));
        break;
    }
    default: {  // AsciiToChar
        const int c = ToInt(f.Pop()) & 0xFF;
        f.Push(Str(std::string(1, static_cast<char>(c))));
        break;
    }
    }
}

void Vm::VariableAction(Frame& f, Action action)
{
    switch (action) {
    case Action::kGetVariable: f.Push(GetVariable(f, ToString(f.Pop()))); break;
    case Action::kSetVariable: {
        const Value v = f.Pop();
        SetVariable(f, ToString(f.Pop()), v);
        break;
    }
    case Action::kDefineLocal: {
        const Value v = f.Pop();
        const std::string name = ToString(f.Pop());
        if (f.locals)
            SetOwn(*f.locals, name, v);
        else
            SetVariable(f, name, v);
        break;
    }
    case Action::kDefineLocal2: {
        const std::string name = ToString(f.Pop());
        if (f.locals && !f.locals->Find(Key(name)))
            SetOwn(*f.locals, name, {});
        break;
    }
    case Action::kDelete: {
        const std::string name = ToString(f.Pop());
        const Value o = f.Pop();
        f.Push(Value::Bool(o.IsObject() && Delete(*o.o, name)));
        break;
    }
    case Action::kDelete2: {
        const std::string name = ToString(f.Pop());
        bool done = false;
        for (const Scope* s = f.scope.get(); s && !done; s = s->outer.get())
            if (s->object && s->object->Find(Key(name)))
                done = Delete(*s->object, name);
        f.Push(Value::Bool(done));
        break;
    }
    case Action::kGetMember: {
        const Value name = f.Pop();
        const Value o = f.Pop();
        f.Push(Get(o, ToString(name)));
        break;
    }
    case Action::kSetMember: {
        const Value v = f.Pop();
        const std::string name = ToString(f.Pop());
        Set(f.Pop(), name, v);
        break;
    }
    case Action::kGetProperty: {
        const int index = ToInt(f.Pop());
        Object* o = ResolveTarget(ToString(f.Pop()), f.target);
        f.Push(o && o->kind == Kind::kClip && o->display ? GetClipProperty(*o, index) : Value{});
        break;
    }
    case Action::kSetProperty: {
        const Value v = f.Pop();
        const int index = ToInt(f.Pop());
        Object* o = ResolveTarget(ToString(f.Pop()), f.target);
        if (o && o->kind == Kind::kClip && o->display)
            SetClipProperty(*o, index, v);
        break;
    }
    default: {  // TargetPath
        const Value v = f.Pop();
        f.Push(v.IsObject() && v.o->kind == Kind::kClip ? Str(TargetPath(*v.o, false)) : Value{});
        break;
    }
    }
}

void Vm::ObjectAction(Frame& f, Action action)
{
    switch (action) {
    case Action::kNewObject:
    case Action::kCallFunction: {
        const std::string name = ToString(f.Pop());
        const std::vector<Value> args = PopArgs(f);
        const Value fn = GetVariable(f, name);
        f.Push(action == Action::kNewObject ? Construct(fn, args) : Call(fn, {}, args));
        break;
    }
    case Action::kNewMethod:
    case Action::kCallMethod: {
        const Value name = f.Pop();
        const Value o = f.Pop();
        const std::vector<Value> args = PopArgs(f);
        const std::string n = name.IsNullish() ? "" : ToString(name);
        if (action == Action::kNewMethod)
            f.Push(Construct(n.empty() ? o : Get(o, n), args));
        else
            f.Push(n.empty() ? Call(o, {}, args) : Call(Get(o, n), o, args));
        break;
    }
    case Action::kInitArray: {
        std::vector<Value> elements = PopArgs(f);
        f.Push(Value::Obj(&NewArray(std::move(elements))));
        break;
    }
    case Action::kInitObject: {
        const double n = ToNumber(f.Pop());
        Object& o = NewObject();
        for (double i = 0; i < n && !f.stack.empty(); ++i) {
            const Value v = f.Pop();
            Set(Value::Obj(&o), ToString(f.Pop()), v);
        }
        f.Push(Value::Obj(&o));
        break;
    }
    case Action::kTypeOf: f.Push(Str(TypeOf(f.Pop()))); break;
    case Action::kInstanceOf: {
        const Value ctor = f.Pop(), v = f.Pop();
        f.Push(Value::Bool(ctor.IsObject() && InstanceOf(v, *ctor.o)));
        break;
    }
    case Action::kCastOp: {
        const Value v = f.Pop(), ctor = f.Pop();
        f.Push(ctor.IsObject() && InstanceOf(v, *ctor.o) ? v : Value::Null());
        break;
    }
    case Action::kImplementsOp:  // interfaces are not checked
        f.Pop();
        PopArgs(f);
        break;
    case Action::kExtends: {
        const Value super = f.Pop(), sub = f.Pop();
        Extend(sub, super);
        break;
    }
    default:  // Enumerate, Enumerate2
        PushNames(f, action == Action::kEnumerate ? GetVariable(f, ToString(f.Pop())) : f.Pop());
        break;
    }
}

// Objects that `sub` makes inherit from those that `super` makes.
void Vm::Extend(const Value& sub, const Value& super)
{
    if (!sub.IsObject() || !super.IsObject())
        return;
    const Value proto = Get(super, "prototype");
    Object& p = New(Kind::kObject, proto.IsObject() ? proto.o : Proto(Builtin::kObject));
    SetOwn(p, "constructor", super, kDontEnum);
    SetOwn(p, "__constructor__", super, kDontEnum);
    Set(sub, "prototype", Value::Obj(&p));
}

// A null, then the names of an object's enumerable properties oldest first, so that the newest
// comes off the stack first.
void Vm::PushNames(Frame& f, const Value& object)
{
    f.Push(Value::Null());
    if (!object.IsObject())
        return;
    std::vector<std::string> names = Enumerate(*object.o);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        f.Push(Str(std::move(*it)));
}

}  // namespace swf::avm1
