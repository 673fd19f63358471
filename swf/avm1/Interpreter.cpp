// The interpreter loop: runs a range of action bytes against a frame.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf::avm1 {

namespace {

// Bounds-checked reading of one action's operands.
class Operands {
public:
    Operands(const uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}
    uint8_t U8()
    {
        Need(1);
        return m_p[m_pos++];
    }
    uint16_t U16()
    {
        Need(2);
        const uint16_t v = static_cast<uint16_t>(m_p[m_pos] | m_p[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    uint32_t U32()
    {
        const uint32_t lo = U16();
        return lo | static_cast<uint32_t>(U16()) << 16;
    }
    std::string Str()
    {
        const void* end = std::memchr(m_p + m_pos, 0, m_n - m_pos);
        if (!end)
            throw ScriptAbort{"an action's string is not terminated"};
        const std::size_t len = static_cast<const uint8_t*>(end) - (m_p + m_pos);
        std::string s(reinterpret_cast<const char*>(m_p + m_pos), len);
        m_pos += len + 1;
        return s;
    }
    bool More() const { return m_pos < m_n; }

private:
    void Need(std::size_t k) const
    {
        if (m_n - m_pos < k)
            throw ScriptAbort{"an action's operands are truncated"};
    }
    const uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

}  // namespace

Vm::Vm(Player& player, int version, std::size_t bytes)
    : m_player(player), m_version(version), m_pBytes(std::make_shared<ByteBudget>(bytes))
{
    InstallBuiltins();
    InstallMovieClip();
    InstallDrawing();
    InstallBitmapData();
}

Vm::~Vm() = default;

void Vm::Charge(std::size_t steps)
{
    if (!m_player.m_work.Take(steps, kCostAction))
        throw ScriptAbort{"the frame's scripts ran too long"};
}

void Vm::Reserve(std::size_t bytes)
{
    if (bytes > m_pBytes->Left())
        throw ScriptAbort{"the scripts take too much memory"};
    m_pBytes->Spend(bytes);
}

// ---------------------------------------------------------------------------
// The interpreter loop

Vm::Outcome Vm::Execute(Frame& f, std::size_t begin, std::size_t end)
{
    const uint8_t* code = f.code;
    std::size_t pc = begin;
    auto jumpTo = [&](std::size_t target, Outcome& out) -> bool {
        // A target inside this range continues here; anything else goes to the caller.
        if (target >= begin && target <= end)
            return false;
        out = {Outcome::kJump, target, {}};
        return true;
    };
    // After a with or try block: a return or a jump out of this range leaves; else the code
    // goes on where the block jumped to, or after it.
    auto leaveBlock = [&](const Outcome& r, std::size_t after, Outcome& out) {
        if (r.kind == Outcome::kReturn) {
            out = r;
            return true;
        }
        if (r.kind == Outcome::kJump && jumpTo(r.pc, out))
            return true;
        pc = r.kind == Outcome::kJump ? r.pc : after;
        return false;
    };
    auto popArgs = [&](Frame& fr) {
        const double n = ToNumber(fr.Pop());
        std::vector<Value> args;
        const std::size_t count = n > 0 ? static_cast<std::size_t>(std::min<double>(n, kMaxStack)) : 0;
        for (std::size_t i = 0; i < count && !fr.stack.empty(); ++i)
            args.push_back(fr.Pop());
        return args;
    };
    auto boolOut = [&](bool b) { return m_version >= 5 ? Value::Bool(b) : Value::Number(b ? 1 : 0); };
    while (pc < end) {
        Charge(1);
        const uint8_t op = code[pc++];
        if (op == 0)
            return {};
        std::size_t len = 0;
        if (op >= 0x80) {
            if (end - pc < 2)
                throw ScriptAbort{"an action is truncated"};
            len = code[pc] | code[pc + 1] << 8;
            pc += 2;
            if (end - pc < len)
                throw ScriptAbort{"an action is truncated"};
        }
        Operands d(code + pc, len);
        pc += len;
        switch (op) {
        // Timeline
        case 0x04: // NextFrame
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                Goto(f.target, Value::Number(c->m_nFrame + 2), 0, 0);
            break;
        case 0x05: // PrevFrame
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                Goto(f.target, Value::Number(std::max(1, c->m_nFrame)), 0, 0);
            break;
        case 0x06: // Play
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                c->m_bPlaying = true;
            break;
        case 0x07: // Stop
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                c->m_bPlaying = false;
            break;
        case 0x08: // ToggleQuality
        case 0x09: // StopSounds
            break;
        case 0x81: // GotoFrame
            Goto(f.target, Value::Number(d.U16() + 1), -1, 0);
            break;
        case 0x8C: // GoToLabel
            Goto(f.target, Str(d.Str()), -1, 0);
            break;
        case 0x9F: { // GotoFrame2
            const uint8_t flags = d.U8();
            const int bias = (flags & 2) ? d.U16() : 0;
            Goto(f.target, f.Pop(), flags & 1, bias);
            break;
        }
        case 0x8A: // WaitForFrame: every frame is loaded
        case 0x8D: // WaitForFrame2
            if (op == 0x8D)
                f.Pop();
            break;
        case 0x8B: // SetTarget
            SetTarget(f, ResolveTarget(d.Str(), f.origTarget));
            break;
        case 0x20: { // SetTarget2
            const Value t = f.Pop();
            SetTarget(f, t.IsObject() ? t.o : ResolveTarget(ToString(t), f.origTarget));
            break;
        }
        case 0x83: // GetURL: never opens anything
            break;
        case 0x9A: // GetURL2
            f.Pop();
            f.Pop();
            break;
        case 0x9E: // Call
            CallFrame(f, f.Pop());
            break;

        // Stack and constants
        case 0x96: { // Push
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
            break;
        }
        case 0x17: f.Pop(); break;
        case 0x4C: { // PushDuplicate
            Value v = f.stack.empty() ? Value{} : f.stack.back();
            f.Push(std::move(v));
            break;
        }
        case 0x4D: { // StackSwap
            Value a = f.Pop(), b = f.Pop();
            f.Push(std::move(a));
            f.Push(std::move(b));
            break;
        }
        case 0x88: { // ConstantPool
            auto pool = std::make_shared<std::vector<Value>>();
            for (int n = d.U16(); n > 0; --n)
                pool->push_back(Str(d.Str()));
            f.pool = std::move(pool);
            break;
        }
        case 0x87: { // StoreRegister
            const uint8_t r = d.U8();
            if (r < f.registers.size())
                f.registers[r] = f.stack.empty() ? Value{} : f.stack.back();
            break;
        }

        // Arithmetic
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x3F: {
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            double r = 0;
            switch (op) {
            case 0x0A: r = a + b; break;
            case 0x0B: r = a - b; break;
            case 0x0C: r = a * b; break;
            case 0x0D: r = b == 0 && m_version < 5 ? NAN : a / b; break;
            default: r = std::fmod(a, b); break;
            }
            f.Push(Value::Number(r));
            break;
        }
        case 0x47: { // Add2
            const Value b = ToPrimitive(f.Pop()), a = ToPrimitive(f.Pop());
            if (a.IsString() || b.IsString())
                f.Push(Str(ToString(a) + ToString(b)));
            else
                f.Push(Value::Number(ToNumber(a) + ToNumber(b)));
            break;
        }
        case 0x50: f.Push(Value::Number(ToNumber(f.Pop()) + 1)); break;
        case 0x51: f.Push(Value::Number(ToNumber(f.Pop()) - 1)); break;
        case 0x18: f.Push(Value::Number(std::trunc(ToNumber(f.Pop())))); break;
        case 0x4A: f.Push(Value::Number(ToNumber(f.Pop()))); break;
        case 0x4B: f.Push(Str(ToString(f.Pop()))); break;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            const int32_t b = ToInt(f.Pop()), a = ToInt(f.Pop());
            double r = 0;
            switch (op) {
            case 0x60: r = a & b; break;
            case 0x61: r = a | b; break;
            case 0x62: r = a ^ b; break;
            case 0x63: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
            case 0x64: r = a >> (b & 31); break;
            default: r = static_cast<uint32_t>(a) >> (b & 31); break;
            }
            f.Push(Value::Number(r));
            break;
        }

        // Comparison and logic
        case 0x0E: { // Equals (numbers)
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            f.Push(boolOut(a == b));
            break;
        }
        case 0x0F: { // Less (numbers)
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            f.Push(boolOut(a < b));
            break;
        }
        case 0x10: case 0x11: { // And, Or
            const bool b = ToBool(f.Pop()), a = ToBool(f.Pop());
            f.Push(boolOut(op == 0x10 ? a && b : a || b));
            break;
        }
        case 0x12: f.Push(boolOut(!ToBool(f.Pop()))); break;
        case 0x49: { // Equals2
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Value::Bool(LooseEquals(a, b)));
            break;
        }
        case 0x66: { // StrictEquals
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Value::Bool(StrictEquals(a, b)));
            break;
        }
        case 0x48: { // Less2
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Less(a, b));
            break;
        }
        case 0x67: { // Greater
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Less(b, a));
            break;
        }

        // Strings
        case 0x13: case 0x29: case 0x68: { // StringEquals, StringLess, StringGreater
            const std::string b = ToString(f.Pop()), a = ToString(f.Pop());
            f.Push(boolOut(op == 0x13 ? a == b : op == 0x29 ? a < b : a > b));
            break;
        }
        case 0x14: case 0x31: f.Push(Value::Number(static_cast<double>(ToString(f.Pop()).size()))); break;
        case 0x21: { // StringAdd
            const std::string b = ToString(f.Pop()), a = ToString(f.Pop());
            f.Push(Str(a + b));
            break;
        }
        case 0x15: case 0x35: { // StringExtract: string, index (1-based), count
            const double count = ToNumber(f.Pop()), index = ToNumber(f.Pop());
            const std::string s = ToString(f.Pop());
            const double from = std::isnan(index) ? 0 : std::clamp(index - 1, 0.0, static_cast<double>(s.size()));
            const double n = std::isnan(count) || count < 0 ? static_cast<double>(s.size()) : count;
            f.Push(Str(s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(std::min<double>(n, s.size())))));
            break;
        }
        case 0x32: case 0x36: { // CharToAscii
            const std::string s = ToString(f.Pop());
            f.Push(Value::Number(s.empty() ? 0 : static_cast<uint8_t>(s[0])));
            break;
        }
        case 0x33: case 0x37: { // AsciiToChar
            const int c = ToInt(f.Pop()) & 0xFF;
            f.Push(Str(std::string(1, static_cast<char>(c))));
            break;
        }

        // Variables and members
        case 0x1C: f.Push(GetVariable(f, ToString(f.Pop()))); break;
        case 0x1D: {
            const Value v = f.Pop();
            SetVariable(f, ToString(f.Pop()), v);
            break;
        }
        case 0x3C: { // DefineLocal
            const Value v = f.Pop();
            const std::string name = ToString(f.Pop());
            if (f.locals)
                SetOwn(*f.locals, name, v);
            else
                SetVariable(f, name, v);
            break;
        }
        case 0x41: { // DefineLocal2
            const std::string name = ToString(f.Pop());
            if (f.locals && !f.locals->Find(Key(name)))
                SetOwn(*f.locals, name, {});
            break;
        }
        case 0x3A: { // Delete
            const std::string name = ToString(f.Pop());
            const Value o = f.Pop();
            f.Push(Value::Bool(o.IsObject() && Delete(*o.o, name)));
            break;
        }
        case 0x3B: { // Delete2
            const std::string name = ToString(f.Pop());
            bool done = false;
            for (const Scope* s = f.scope.get(); s && !done; s = s->outer.get())
                if (s->object && s->object->Find(Key(name)))
                    done = Delete(*s->object, name);
            f.Push(Value::Bool(done));
            break;
        }
        case 0x4E: { // GetMember
            const Value name = f.Pop();
            const Value o = f.Pop();
            f.Push(Get(o, ToString(name)));
            break;
        }
        case 0x4F: { // SetMember
            const Value v = f.Pop();
            const std::string name = ToString(f.Pop());
            Set(f.Pop(), name, v);
            break;
        }
        case 0x22: { // GetProperty
            const int index = ToInt(f.Pop());
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            f.Push(o && o->kind == Kind::kClip && o->display ? GetClipProperty(*o, index) : Value{});
            break;
        }
        case 0x23: { // SetProperty
            const Value v = f.Pop();
            const int index = ToInt(f.Pop());
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            if (o && o->kind == Kind::kClip && o->display)
                SetClipProperty(*o, index, v);
            break;
        }
        case 0x45: { // TargetPath
            const Value v = f.Pop();
            f.Push(v.IsObject() && v.o->kind == Kind::kClip ? Str(TargetPath(*v.o, false)) : Value{});
            break;
        }
        case 0x24: { // CloneSprite
            const Value depth = f.Pop(), name = f.Pop(), source = f.Pop();
            Object* o = ResolveTarget(ToString(source), f.target);
            if (o)
                CallMethod(Value::Obj(o), "duplicateMovieClip", {name, Value::Number(ToNumber(depth) - 16384)});
            break;
        }
        case 0x25: { // RemoveSprite
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            if (o)
                CallMethod(Value::Obj(o), "removeMovieClip", {});
            break;
        }
        case 0x27: { // StartDrag: nothing is dragged
            f.Pop();
            f.Pop();
            if (ToBool(f.Pop()))
                for (int i = 0; i < 4; ++i)
                    f.Pop();
            break;
        }
        case 0x28: break; // EndDrag

        // Objects
        case 0x40: { // NewObject
            const std::string name = ToString(f.Pop());
            const std::vector<Value> args = popArgs(f);
            f.Push(Construct(GetVariable(f, name), args));
            break;
        }
        case 0x53: { // NewMethod
            const Value name = f.Pop();
            const Value o = f.Pop();
            const std::vector<Value> args = popArgs(f);
            const std::string n = name.IsNullish() ? "" : ToString(name);
            f.Push(Construct(n.empty() ? o : Get(o, n), args));
            break;
        }
        case 0x42: { // InitArray
            std::vector<Value> elements = popArgs(f);
            f.Push(Value::Obj(&NewArray(std::move(elements))));
            break;
        }
        case 0x43: { // InitObject
            const double n = ToNumber(f.Pop());
            Object& o = NewObject();
            for (double i = 0; i < n && !f.stack.empty(); ++i) {
                const Value v = f.Pop();
                Set(Value::Obj(&o), ToString(f.Pop()), v);
            }
            f.Push(Value::Obj(&o));
            break;
        }
        case 0x44: f.Push(Str(TypeOf(f.Pop()))); break;
        case 0x54: { // InstanceOf
            const Value ctor = f.Pop(), v = f.Pop();
            f.Push(Value::Bool(ctor.IsObject() && InstanceOf(v, *ctor.o)));
            break;
        }
        case 0x2B: { // CastOp
            const Value v = f.Pop(), ctor = f.Pop();
            f.Push(ctor.IsObject() && InstanceOf(v, *ctor.o) ? v : Value::Null());
            break;
        }
        case 0x2C: { // ImplementsOp: interfaces are not checked
            f.Pop();
            popArgs(f);
            break;
        }
        case 0x69: { // Extends
            const Value super = f.Pop(), sub = f.Pop();
            if (sub.IsObject() && super.IsObject()) {
                const Value proto = Get(super, "prototype");
                Object& p = New(Kind::kObject, proto.IsObject() ? proto.o : m_objectProto);
                SetOwn(p, "constructor", super, kDontEnum);
                SetOwn(p, "__constructor__", super, kDontEnum);
                Set(sub, "prototype", Value::Obj(&p));
            }
            break;
        }
        case 0x46: case 0x55: { // Enumerate, Enumerate2
            const Value v = op == 0x46 ? GetVariable(f, ToString(f.Pop())) : f.Pop();
            f.Push(Value::Null());
            // Pushed oldest first, so that the newest comes off the stack first.
            if (v.IsObject()) {
                std::vector<std::string> names = Enumerate(*v.o);
                for (auto it = names.rbegin(); it != names.rend(); ++it)
                    f.Push(Str(std::move(*it)));
            }
            break;
        }

        // Functions and calls
        case 0x9B: case 0x8E: { // DefineFunction, DefineFunction2
            auto s = std::make_unique<ScriptFunction>();
            const std::string name = d.Str();
            const int params = d.U16();
            s->version2 = op == 0x8E;
            if (s->version2) {
                s->registers = d.U8();
                s->flags = d.U16();
            }
            for (int i = 0; i < params; ++i) {
                const uint8_t reg = s->version2 ? d.U8() : 0;
                s->params.push_back({reg, d.Str()});
            }
            const std::size_t bodySize = d.U16();
            if (end - pc < bodySize)
                throw ScriptAbort{"a function's body is truncated"};
            s->code = code + pc;
            s->size = bodySize;
            pc += bodySize;
            s->scope = f.scope;
            s->pool = f.pool;
            s->target = f.origTarget;
            Object& fn = New(Kind::kFunction, m_functionProto);
            fn.script = std::move(s);
            Object& proto = NewObject();
            SetOwn(proto, "constructor", Value::Obj(&fn), kDontEnum);
            SetOwn(fn, "prototype", Value::Obj(&proto), kDontEnum);
            if (name.empty()) {
                f.Push(Value::Obj(&fn));
            } else if (f.locals) {
                SetOwn(*f.locals, name, Value::Obj(&fn));
            } else {
                Set(Value::Obj(f.target), name, Value::Obj(&fn));
            }
            break;
        }
        case 0x3D: { // CallFunction
            const std::string name = ToString(f.Pop());
            const std::vector<Value> args = popArgs(f);
            f.Push(Call(GetVariable(f, name), {}, args));
            break;
        }
        case 0x52: { // CallMethod
            const Value name = f.Pop();
            const Value o = f.Pop();
            const std::vector<Value> args = popArgs(f);
            const std::string n = name.IsNullish() ? "" : ToString(name);
            f.Push(n.empty() ? Call(o, {}, args) : Call(Get(o, n), o, args));
            break;
        }
        case 0x3E: { // Return
            Outcome r{Outcome::kReturn, pc, f.Pop()};
            return r;
        }
        case 0x99: case 0x9D: { // Jump, If
            const int16_t offset = static_cast<int16_t>(d.U16());
            if (op == 0x9D && !ToBool(f.Pop()))
                break;
            const std::ptrdiff_t target = static_cast<std::ptrdiff_t>(pc) + offset;
            if (target < 0)
                return {};
            Outcome out;
            if (jumpTo(static_cast<std::size_t>(target), out))
                return out;
            pc = static_cast<std::size_t>(target);
            break;
        }
        case 0x94: { // With
            const std::size_t bodySize = d.U16();
            if (end - pc < bodySize)
                throw ScriptAbort{"a with block is truncated"};
            Object* o = ToObject(f.Pop());
            const std::size_t after = pc + bodySize;
            if (!o) {
                pc = after;
                break;
            }
            auto saved = f.scope;
            f.scope = std::make_shared<const Scope>(Scope{saved, o});
            Outcome r;
            try {
                r = Execute(f, pc, after);
            } catch (...) {
                f.scope = saved;
                throw;
            }
            f.scope = saved;
            if (Outcome out; leaveBlock(r, after, out))
                return out;
            break;
        }
        case 0x8F: { // Try
            const uint8_t flags = d.U8();
            const std::size_t trySize = d.U16(), catchSize = d.U16(), finallySize = d.U16();
            std::string catchName;
            uint8_t catchRegister = 0;
            if (flags & 4)
                catchRegister = d.U8();
            else
                catchName = d.Str();
            const std::size_t catchBegin = pc + trySize, finallyBegin = catchBegin + catchSize;
            const std::size_t after = finallyBegin + finallySize;
            if (after > end)
                throw ScriptAbort{"a try block is truncated"};
            Outcome r;
            bool rethrow = false;
            ScriptThrow pending;
            try {
                r = Execute(f, pc, catchBegin);
            } catch (const ScriptThrow& t) {
                if (flags & 1) {
                    if (flags & 4) {
                        if (catchRegister < f.registers.size())
                            f.registers[catchRegister] = t.value;
                    } else if (f.locals) {
                        SetOwn(*f.locals, catchName, t.value);
                    } else {
                        SetVariable(f, catchName, t.value);
                    }
                    try {
                        r = Execute(f, catchBegin, finallyBegin);
                    } catch (const ScriptThrow& again) {
                        pending = again;
                        rethrow = true;
                    }
                } else {
                    pending = t;
                    rethrow = true;
                }
            }
            if (flags & 2) {
                const Outcome fr = Execute(f, finallyBegin, after);
                if (fr.kind != Outcome::kEnd) {
                    r = fr;
                    rethrow = false;
                }
            }
            if (rethrow)
                throw pending;
            if (Outcome out; leaveBlock(r, after, out))
                return out;
            break;
        }
        case 0x2A: throw ScriptThrow{f.Pop()};

        // Other
        case 0x26: Trace(ToString(f.Pop())); break;
        case 0x30: { // RandomNumber
            const double n = ToNumber(f.Pop());
            f.Push(Value::Number(n >= 1 ? std::floor(Random() * std::floor(n)) : 0));
            break;
        }
        case 0x34: f.Push(Value::Number(std::floor(Clock()))); break;
        default:
            break;  // unknown actions are skipped by their length
        }
    }
    return {};
}

}  // namespace swf::avm1
