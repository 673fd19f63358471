// What the interpreter's own files share: the frame of running code, the outcome of running a
// range of it, the reading of an action's operands, and small helpers. Private to swf/avm1;
// the Vm's public face is Interpreter.h.
#pragma once

#include "swf/avm1/Actions.h"
#include "swf/avm1/Interpreter.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace swf::avm1 {

struct Vm::Frame {
    explicit Frame(ByteBudget& budget) : bytes(budget) {}
    ~Frame() { bytes.Refund(stack.capacity() * sizeof(Value)); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    ByteBudget& bytes;  // the movie's, which pays for the stack's buffer while the frame runs
    const uint8_t* code = nullptr;
    std::size_t size = 0;
    std::shared_ptr<const Scope> scope;
    std::shared_ptr<const std::vector<Value>> pool;
    std::vector<Value> registers;
    std::vector<Value> stack;
    Object* target = nullptr;      // what the timeline actions act on (SetTarget)
    Object* origTarget = nullptr;  // the timeline the code belongs to
    Value self;                    // this
    Object* locals = nullptr;      // a function's own variables; null on a timeline

    Value Pop()
    {
        if (stack.empty())
            return {};
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    }
    void Push(Value v)
    {
        if (stack.size() >= kMaxStack)
            throw ScriptAbort{"the stack is full"};
        if (stack.size() == stack.capacity()) {
            // The larger buffer is paid while the old one still lives, then the old one refunded.
            const std::size_t old = stack.capacity(), grown = std::min(std::max<std::size_t>(16, old * 2), kMaxStack);
            if (grown * sizeof(Value) > bytes.Left())
                throw ScriptAbort{"the scripts take too much memory"};
            bytes.Spend(grown, sizeof(Value));
            stack.reserve(grown);
            bytes.Refund(old * sizeof(Value));
        }
        stack.push_back(std::move(v));
    }
};

struct Vm::Outcome {
    enum Kind : uint8_t { kEnd, kReturn, kJump };
    Kind kind = kEnd;
    std::size_t pc = 0;
    Value value;
};

// Where a range of code runs: its bounds and the place of the next action.
struct Vm::Cursor {
    std::size_t begin;
    std::size_t end;
    std::size_t pc;
};

// Bounds-checked reading of one action's operands.
class Vm::Operands {
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

template <typename Run>
void Vm::RunGuarded(Run&& run)
{
    try {
        run();
    } catch (const ScriptAbort& abort) {
        ReportAbandoned(abort.action, abort.reason);
    } catch (const ScriptThrow& thrown) {
        ReportAbandoned(thrown.action, "a thrown value was not caught");
    }
}

// Keeps the call depth counted while a function runs.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_depth(depth)
    {
        if (++m_depth > kMaxCallDepth) {
            --m_depth;
            throw ScriptAbort{"scripts are nested too deeply"};
        }
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

}  // namespace swf::avm1
