// What the interpreter's own files share: the frame of running code, the outcome of running a
// range of it, and small helpers. Private to swf/avm1; the Vm's public face is Interpreter.h.
#pragma once

#include "swf/avm1/Interpreter.h"

#include <memory>
#include <string>
#include <vector>

namespace swf::avm1 {

struct Vm::Frame {
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
        stack.push_back(std::move(v));
    }
};

struct Vm::Outcome {
    enum Kind : uint8_t { kEnd, kReturn, kJump };
    Kind kind = kEnd;
    std::size_t pc = 0;
    Value value;
};

inline std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Keeps the call depth counted while a function runs.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_depth(depth)
    {
        if (++m_depth > kMaxCallDepth) {
            --m_depth;
            throw ScriptAbort{"functions are nested too deeply"};
        }
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

}  // namespace swf::avm1
