// Calls: natives and script functions, constructors, event handlers, blocks and intervals.
#include "swf/avm1/VmInternal.h"

#include "swf/avm1/Native.h"
#include "swf/player/Player.h"

#include <algorithm>

namespace swf::avm1 {

// ---------------------------------------------------------------------------
// Calls

Value Vm::Call(const Value& fn, const Value& self, const std::vector<Value>& args)
{
    if (!fn.IsObject() || !fn.o->IsFunction())
        return {};
    Object& f = *fn.o;
    if (f.native)
        return CallNative(f, self, args, false);
    Charge(1);
    if (f.script)
        return RunFunction(f, self, args);
    return {};
}

Value Vm::CallNative(Object& fn, const Value& self, const std::vector<Value>& args, bool constructing)
{
    Charge(1);
    DepthGuard depth(m_nDepth);
    NativeCall call{*this, fn, self, args, constructing};
    return fn.native(call);
}

Value Vm::CallMethod(const Value& object, const std::string& name, const std::vector<Value>& args)
{
    return Call(Get(object, name), object, args);
}

Value Vm::Construct(const Value& ctor, const std::vector<Value>& args)
{
    if (!ctor.IsObject() || !ctor.o->IsFunction())
        return {};
    const Value proto = Get(ctor, "prototype");
    Object& o = New(Kind::kObject, proto.IsObject() ? proto.o : Proto(Builtin::kObject));
    SetOwn(o, "constructor", ctor, kDontEnum);
    SetOwn(o, "__constructor__", ctor, kDontEnum);
    if (ctor.o->native) {
        const Value r = CallNative(*ctor.o, Value::Obj(&o), args, true);
        return r.IsObject() ? r : Value::Obj(&o);
    }
    Call(ctor, Value::Obj(&o), args);
    return Value::Obj(&o);
}

void Vm::CallHandler(Object& object, const char* name)
{
    RunGuarded([&] {
        const Value fn = Get(Value::Obj(&object), name);
        if (fn.IsObject() && fn.o->IsFunction())
            Call(fn, Value::Obj(&object), {});
    });
}

Value Vm::RunFunction(Object& fn, const Value& self, const std::vector<Value>& args)
{
    const ScriptFunction& s = *fn.script;
    // Closures made inside closures would lengthen the chain without end, and its release
    // recurses once per link.
    if (s.scope && s.scope->length >= kMaxScopeChain)
        throw ScriptAbort{"scripts are nested too deeply"};
    Object& locals = New(Kind::kObject, nullptr);
    Frame f(*m_pBytes);
    f.code = s.code;
    f.size = s.size;
    f.pool = s.pool;
    f.scope = std::make_shared<const Scope>(Scope{s.scope, &locals});
    // A method of a clip acts on that clip; any other function on the clip it was defined in.
    if (self.IsObject() && self.o->kind == Kind::kClip && self.o->display)
        f.origTarget = self.o;
    else
        f.origTarget = s.target && s.target->display ? s.target : &ObjectOf(m_player.RootObject());
    f.target = f.origTarget;
    f.self = self;
    f.locals = &locals;
    f.registers.resize(s.version2 ? std::max(1, s.registers) : 4);
    Object& arguments = NewArray(args);
    SetOwn(arguments, "callee", Value::Obj(&fn), kDontEnum);
    if (s.version2) {
        // Preloaded registers from 1, in this order: this, arguments, super, _root, _parent, _global.
        std::size_t r = 1;
        auto preload = [&](uint16_t flag, const Value& v) {
            if ((s.flags & flag) && r < f.registers.size())
                f.registers[r++] = v;
        };
        preload(0x0001, self);
        preload(0x0004, Value::Obj(&arguments));
        Object* super = self.IsObject() && self.o->proto ? self.o->proto->proto : nullptr;
        preload(0x0010, Value::Obj(super));
        preload(0x0040, Value::Obj(&ObjectOf(m_player.RootObject())));
        Object* parent = nullptr;
        if (f.target->display && f.target->display->parent)
            parent = &ObjectOf(*f.target->display->parent->Holder());
        preload(0x0080, parent ? Value::Obj(parent) : Value{});
        preload(0x0100, Value::Obj(m_global));
        if (!(s.flags & 0x000C))
            SetOwn(locals, "arguments", Value::Obj(&arguments));
        if (!(s.flags & 0x0030) && super)
            SetOwn(locals, "super", Value::Obj(super));
    } else {
        SetOwn(locals, "arguments", Value::Obj(&arguments));
    }
    for (std::size_t i = 0; i < s.params.size(); ++i) {
        const Value arg = i < args.size() ? args[i] : Value{};
        const auto& [reg, name] = s.params[i];
        if (s.version2 && reg > 0 && reg < f.registers.size())
            f.registers[reg] = arg;
        else
            SetOwn(locals, name, arg);
    }
    Object* savedTarget = m_pTarget;
    m_pTarget = f.target;
    Outcome r;
    try {
        r = Execute(f, 0, f.size);
    } catch (...) {
        m_pTarget = savedTarget;
        throw;
    }
    m_pTarget = savedTarget;
    return r.kind == Outcome::kReturn ? r.value : Value{};
}

void Vm::RunBlock(const uint8_t* code, std::size_t size, Object& clip)
{
    Frame f(*m_pBytes);
    f.code = code;
    f.size = size;
    f.origTarget = f.target = &clip;
    f.self = Value::Obj(&clip);
    f.registers.resize(4);
    f.scope = std::make_shared<const Scope>(Scope{std::make_shared<const Scope>(Scope{nullptr, m_global}), &clip});
    m_nTraceBytes = 0;
    m_pTarget = &clip;
    RunGuarded([&] { Execute(f, 0, size); });
    m_pTarget = nullptr;
}

void Vm::RunIntervals()
{
    const double now = Clock();
    // Handlers may add or clear intervals: each is looked up again by id after a call.
    std::vector<double> ids;
    for (const Interval& i : m_intervals)
        ids.push_back(i.id);
    for (double id : ids) {
        for (int calls = 0; calls < 4; ++calls) {
            auto it = std::find_if(m_intervals.begin(), m_intervals.end(), [id](const Interval& i) { return i.id == id; });
            if (it == m_intervals.end() || it->due > now)
                break;
            const Interval call = *it;
            if (call.once)
                m_intervals.erase(it);
            else
                it->due += std::max(call.period, 1.0);
            RunGuarded([&] {
                if (call.method.empty())
                    Call(call.fn, {}, call.args);
                else
                    CallMethod(call.fn, call.method, call.args);
            });
        }
    }
}

}  // namespace swf::avm1
