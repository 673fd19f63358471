// The interpreter loop: reads a range of action bytes and runs each action, itself for those
// that steer the loop (jumps, blocks, returns, function definitions), by group for the others.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

#include <algorithm>

namespace swf::avm1 {

Vm::Vm(Player& player, int version, std::size_t bytes)
    : m_player(player), m_version(version), m_nBytes(bytes), m_pBytes(std::make_shared<ByteBudget>(bytes))
{
    InstallBuiltins();
}

Vm::~Vm() = default;

void Vm::Charge(std::size_t steps)
{
    if (!m_player.TakeWork(steps, kCostAction))
        throw ScriptAbort{"the frame's scripts ran too long"};
}

void Vm::Pay(std::size_t steps)
{
    m_player.TakeWork(steps, kCostAction);
}

void Vm::Reserve(std::size_t bytes)
{
    if (bytes > m_pBytes->Left())
        throw ScriptAbort{"the scripts take too much memory"};
    m_pBytes->Spend(bytes);
}

// ---------------------------------------------------------------------------
// The interpreter loop

void Vm::ReportAbandoned(int action, const char* reason)
{
    if (!onDiagnostic)
        return;
    std::string line = "script abandoned at ";
    if (const ActionInfo* info = action >= 0 ? FindAction(static_cast<uint8_t>(action)) : nullptr) {
        line.append(info->name.data(), info->name.size());
    } else if (action >= 0) {
        const char* digits = "0123456789ABCDEF";
        line += "action 0x";
        line += digits[action >> 4 & 15];
        line += digits[action & 15];
    } else {
        line += "its call";
    }
    onDiagnostic(line + ": " + reason);
}

// ---------------------------------------------------------------------------
// The interpreter loop

Vm::Outcome Vm::Execute(Frame& f, std::size_t begin, std::size_t end)
{
    // Every nesting of the loop (a function, a with or try block, a called frame) counts.
    DepthGuard depth(m_nDepth);
    Cursor at{begin, end, begin};
    uint8_t code = 0;  // the running action, named when the script is abandoned
    try {
        while (at.pc < end) {
            code = f.code[at.pc];
            Charge(1);
            ++at.pc;
            if (code == static_cast<uint8_t>(Action::kEnd))
                return {};
            std::size_t len = 0;
            if (code >= 0x80) {
                if (end - at.pc < 2)
                    throw ScriptAbort{"an action is truncated"};
                len = f.code[at.pc] | f.code[at.pc + 1] << 8;
                at.pc += 2;
                if (end - at.pc < len)
                    throw ScriptAbort{"an action is truncated"};
            }
            Operands d(f.code + at.pc, len);
            at.pc += len;
            const Action action = static_cast<Action>(code);
            Outcome out;
            switch (action) {
            case Action::kReturn:
                return {Outcome::kReturn, at.pc, f.Pop()};
            case Action::kJump:
            case Action::kIf:
                if (Branch(f, action, d, at, out))
                    return out;
                break;
            case Action::kWith:
                if (RunWith(f, d, at, out))
                    return out;
                break;
            case Action::kTry:
                if (RunTry(f, d, at, out))
                    return out;
                break;
            case Action::kDefineFunction:
            case Action::kDefineFunction2:
                DefineFunction(f, action, d, at);
                break;
            case Action::kThrow:
                throw ScriptThrow{f.Pop()};
            default:
                Perform(f, action, d);
                break;
            }
        }
    } catch (ScriptAbort& abort) {
        if (abort.action < 0)
            abort.action = code;
        throw;
    } catch (ScriptThrow& thrown) {
        if (thrown.action < 0)
            thrown.action = code;
        throw;
    }
    return {};
}

// The actions that neither steer the loop nor read past their own bytes.
void Vm::Perform(Frame& f, Action action, Operands& d)
{
    switch (GroupOf(static_cast<uint8_t>(action))) {
    case ActionGroup::kTimeline: TimelineAction(f, action, d); break;
    case ActionGroup::kStack: StackAction(f, action, d); break;
    case ActionGroup::kArithmetic: ArithmeticAction(f, action); break;
    case ActionGroup::kCompare: CompareAction(f, action); break;
    case ActionGroup::kString: StringAction(f, action); break;
    case ActionGroup::kVariable: VariableAction(f, action); break;
    case ActionGroup::kObject: ObjectAction(f, action); break;
    case ActionGroup::kControl:
    case ActionGroup::kUnknown: break;  // unknown actions are skipped by their length
    }
}

bool Vm::Branch(Frame& f, Action action, Operands& d, Cursor& at, Outcome& out)
{
    const int16_t offset = static_cast<int16_t>(d.U16());
    if (action == Action::kIf && !ToBool(f.Pop()))
        return false;
    const std::ptrdiff_t target = static_cast<std::ptrdiff_t>(at.pc) + offset;
    if (target < 0) {
        out = {};
        return true;
    }
    if (JumpsOut(at, static_cast<std::size_t>(target), out))
        return true;
    at.pc = static_cast<std::size_t>(target);
    return false;
}

// A target inside the running range continues there; anything else goes to the caller.
bool Vm::JumpsOut(const Cursor& at, std::size_t target, Outcome& out)
{
    if (target >= at.begin && target <= at.end)
        return false;
    out = {Outcome::kJump, target, {}};
    return true;
}

// After a with or try block: a return or a jump out of this range leaves; else the code goes on
// where the block jumped to, or after it.
bool Vm::LeaveBlock(const Outcome& r, std::size_t after, Cursor& at, Outcome& out)
{
    if (r.kind == Outcome::kReturn) {
        out = r;
        return true;
    }
    if (r.kind == Outcome::kJump && JumpsOut(at, r.pc, out))
        return true;
    at.pc = r.kind == Outcome::kJump ? r.pc : after;
    return false;
}

bool Vm::RunWith(Frame& f, Operands& d, Cursor& at, Outcome& out)
{
    const std::size_t bodySize = d.U16();
    if (at.end - at.pc < bodySize)
        throw ScriptAbort{"a with block is truncated"};
    Object* o = ToObject(f.Pop());
    const std::size_t after = at.pc + bodySize;
    if (!o) {
        at.pc = after;
        return false;
    }
    auto saved = f.scope;
    f.scope = std::make_shared<const Scope>(Scope{saved, o});
    Outcome r;
    try {
        r = Execute(f, at.pc, after);
    } catch (...) {
        f.scope = saved;
        throw;
    }
    f.scope = saved;
    return LeaveBlock(r, after, at, out);
}

bool Vm::RunTry(Frame& f, Operands& d, Cursor& at, Outcome& out)
{
    const uint8_t flags = d.U8();
    const std::size_t trySize = d.U16(), catchSize = d.U16(), finallySize = d.U16();
    std::string catchName;
    uint8_t catchRegister = 0;
    if (flags & 4)
        catchRegister = d.U8();
    else
        catchName = d.Str();
    const std::size_t catchBegin = at.pc + trySize, finallyBegin = catchBegin + catchSize;
    const std::size_t after = finallyBegin + finallySize;
    if (after > at.end)
        throw ScriptAbort{"a try block is truncated"};
    Outcome r;
    bool rethrow = false;
    ScriptThrow pending;
    try {
        r = Execute(f, at.pc, catchBegin);
    } catch (const ScriptThrow& t) {
        if (flags & 1) {
            Catch(f, flags, catchName, catchRegister, t.value);
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
    return LeaveBlock(r, after, at, out);
}

// Gives a catch block the thrown value, in a register or a variable as its try names.
void Vm::Catch(Frame& f, uint8_t flags, const std::string& name, uint8_t reg, const Value& thrown)
{
    if (flags & 4) {
        if (reg < f.registers.size())
            f.registers[reg] = thrown;
    } else if (f.locals) {
        SetOwn(*f.locals, name, thrown);
    } else {
        SetVariable(f, name, thrown);
    }
}

void Vm::DefineFunction(Frame& f, Action action, Operands& d, Cursor& at)
{
    auto s = std::make_unique<ScriptFunction>();
    const std::string name = d.Str();
    const int params = d.U16();
    s->version2 = action == Action::kDefineFunction2;
    if (s->version2) {
        s->registers = d.U8();
        s->flags = d.U16();
    }
    for (int i = 0; i < params; ++i) {
        const uint8_t reg = s->version2 ? d.U8() : 0;
        s->params.push_back({reg, d.Str()});
    }
    const std::size_t bodySize = d.U16();
    if (at.end - at.pc < bodySize)
        throw ScriptAbort{"a function's body is truncated"};
    s->code = f.code + at.pc;
    s->size = bodySize;
    at.pc += bodySize;
    s->scope = f.scope;
    s->pool = f.pool;
    s->target = f.origTarget;
    Object& fn = New(Kind::kFunction, Proto(Builtin::kFunction));
    fn.script = std::move(s);
    Object& proto = NewObject();
    SetOwn(proto, "constructor", Value::Obj(&fn), kDontEnum);
    SetOwn(fn, "prototype", Value::Obj(&proto), kDontEnum);
    if (name.empty())
        f.Push(Value::Obj(&fn));
    else if (f.locals)
        SetOwn(*f.locals, name, Value::Obj(&fn));
    else
        Set(Value::Obj(f.target), name, Value::Obj(&fn));
}

}  // namespace swf::avm1
