// Scripts for the ActionScript tests, written as a little JavaScript-like text and compiled to
// actions, and the movie that runs them with its trace output frame by frame.
//
// Statements are separated by ';': trace(e), name = e, e.name = e, e[e] = e, return e,
// if (e) statement, { statements }, function name(a, b) { ... }, or an expression.
// Expressions: numbers (0x.. too), 'text', true, false, null, undefined, [list], {name: e},
// function (a, b) { ... }, new Name(args), new a.b.Name(args), calls, members, indexes,
// typeof, unary -, * /, + -, < > == !=, and |.
#pragma once

#include "swf/avm1/Scripts.h"
#include "swf/player/Player.h"
#include "swf/render/Renderer.h"
#include "tests/native/SwfTestWriter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace swftest {

class CScript {
public:
    static Bytes Compile(const std::string& text)
    {
        CScript s(text);
        Bytes out = s.Statements();
        if (s.m_kind != kEnd)
            s.Fail("end of script");
        return out;
    }

private:
    enum Kind { kEnd, kName, kNumber, kString, kPunct };
    // Something an expression names: a value, a variable or an object's member. Variables and
    // members can also be assigned or called as methods.
    struct Ref {
        enum { kValue, kVar, kMember } kind = kValue;
        Bytes object;  // the value, or the object of a member
        Bytes key;     // pushes the variable's or member's name
    };

    explicit CScript(const std::string& text) : m_text(text) { Next(); }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw std::invalid_argument("script: expected " + what + " at '" + m_text.substr(m_at) + "'");
    }

    void Next()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        const std::size_t start = m_at;
        auto take = [&](auto pred) {
            while (m_at < m_text.size() && pred(static_cast<unsigned char>(m_text[m_at])))
                ++m_at;
        };
        if (m_at == m_text.size()) {
            m_kind = kEnd;
        } else if (std::isdigit(static_cast<unsigned char>(m_text[m_at]))) {
            m_kind = kNumber;
            take([](unsigned char c) { return std::isalnum(c) || c == '.'; });
        } else if (std::isalpha(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '_') {
            m_kind = kName;
            take([](unsigned char c) { return std::isalnum(c) || c == '_'; });
        } else if (m_text[m_at] == '\'') {
            m_kind = kString;
            const std::size_t close = m_text.find('\'', m_at + 1);
            if (close == std::string::npos)
                Fail("a closing quote");
            m_tok = m_text.substr(m_at + 1, close - m_at - 1);
            m_at = close + 1;
            return;
        } else {
            m_kind = kPunct;
            m_at += m_text.compare(m_at, 2, "==") == 0 || m_text.compare(m_at, 2, "!=") == 0 ? 2 : 1;
        }
        m_tok = m_text.substr(start, m_at - start);
    }

    bool Accept(const char* punctOrWord)
    {
        if ((m_kind != kPunct && m_kind != kName) || m_tok != punctOrWord)
            return false;
        Next();
        return true;
    }
    void Expect(const char* punct)
    {
        if (!Accept(punct))
            Fail(std::string("'") + punct + "'");
    }
    std::string Name()
    {
        if (m_kind != kName)
            Fail("a name");
        std::string name = m_tok;
        Next();
        return name;
    }

    static Bytes Push(const Bytes& item) { return Record(swf::avm1::Action::kPush, item); }
    static Bytes PushString(const std::string& s) { return Push(Bytes{0} + Str(s)); }
    static Bytes PushNumber(double v)
    {
        if (v == std::floor(v) && std::abs(v) < 2147483648.0 && !std::signbit(v))
            return Push(Bytes{7} + U32(static_cast<uint32_t>(static_cast<int64_t>(v))));
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return Push(Bytes{6} + U32(static_cast<uint32_t>(bits >> 32)) + U32(static_cast<uint32_t>(bits)));
    }
    // The action If: jumps `skip` bytes on when the value it takes is true.
    static Bytes JumpIf(std::size_t skip) { return Record(swf::avm1::Action::kIf, U16(static_cast<unsigned>(skip))); }

    static Bytes Read(const Ref& r)
    {
        if (r.kind == Ref::kVar)
            return r.key + Asm("getvar");
        return r.kind == Ref::kMember ? r.object + r.key + Asm("get") : r.object;
    }
    static Ref Value(const Bytes& b) { return {Ref::kValue, b, {}}; }

    Bytes Statements()
    {
        Bytes out;
        while (m_kind != kEnd && m_tok != "}") {
            out = out + Statement();
            if (!Accept(";"))
                break;
        }
        return out;
    }

    Bytes Block()
    {
        Expect("{");
        Bytes body = Statements();
        Expect("}");
        return body;
    }

    Bytes Statement()
    {
        if (m_kind == kPunct && m_tok == "{")
            return Block();
        if (Accept("trace")) {
            Expect("(");
            Bytes value = Expression();
            Expect(")");
            return value + Asm("trace");
        }
        if (Accept("return"))
            return Expression() + Asm("return");
        if (Accept("function"))
            return Function(Name());
        if (Accept("if")) {
            Expect("(");
            const Bytes condition = Expression();
            Expect(")");
            const Bytes then = Statement();
            return condition + Asm("not") + JumpIf(then.size()) + then;
        }
        const Ref r = Binary(0);
        if (!Accept("="))
            return Read(r) + Asm("pop");
        if (r.kind == Ref::kVar)
            return r.key + Expression() + Asm("setvar");
        if (r.kind == Ref::kMember)
            return r.object + r.key + Expression() + Asm("set");
        Fail("something to assign to");
    }

    // A function's parameters and body, after the word `function` and its name if any.
    Bytes Function(const std::string& name)
    {
        std::vector<std::string> p;
        Expect("(");
        while (m_kind == kName) {
            p.push_back(Name());
            if (!Accept(","))
                break;
        }
        Expect(")");
        const Bytes body = Block();
        switch (p.size()) {
        case 0: return Fn(name, {}, body);
        case 1: return Fn(name, {p[0]}, body);
        case 2: return Fn(name, {p[0], p[1]}, body);
        case 3: return Fn(name, {p[0], p[1], p[2]}, body);
        default: Fail("at most three parameters");
        }
    }

    // Arguments up to `close`, pushed last first and then counted, as calls take them.
    Bytes Arguments(const char* close)
    {
        std::vector<Bytes> args;
        if (!Accept(close)) {
            do
                args.push_back(Expression());
            while (Accept(","));
            Expect(close);
        }
        Bytes out;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            out = out + *it;
        return out + PushNumber(static_cast<double>(args.size()));
    }

    Bytes Expression() { return Read(Binary(0)); }

    // Binary operators by precedence level, loosest first.
    Ref Binary(int level)
    {
        static const std::vector<std::vector<std::pair<std::string, const char*>>> kLevels = {
            {{"|", "bitor"}},
            {{"==", "equals2"}, {"!=", "equals2; not"}, {"<", "less2"}, {">", "greater"}},
            {{"+", "add2"}, {"-", "subtract"}},
            {{"*", "multiply"}, {"/", "divide"}},
        };
        if (level == static_cast<int>(kLevels.size()))
            return Unary();
        Ref left = Binary(level + 1);
        for (bool more = true; more;) {
            more = false;
            for (const auto& [op, action] : kLevels[level]) {
                if (Accept(op.c_str())) {
                    left = Value(Read(left) + Read(Binary(level + 1)) + Asm(action));
                    more = true;
                    break;
                }
            }
        }
        return left;
    }

    Ref Unary()
    {
        if (Accept("-")) {
            if (m_kind == kNumber)
                return Value(PushNumber(-Number()));
            return Value(PushNumber(0) + Read(Unary()) + Asm("subtract"));
        }
        if (Accept("typeof"))
            return Value(Read(Unary()) + Asm("typeof"));
        if (Accept("new")) {
            Ref r{Ref::kVar, {}, PushString(Name())};
            while (Accept("."))
                r = {Ref::kMember, Read(r), PushString(Name())};
            Expect("(");
            const Bytes args = Arguments(")");
            return Postfix(
                Value(r.kind == Ref::kVar ? args + r.key + Asm("new") : args + r.object + r.key + Asm("newmethod")));
        }
        return Postfix(Primary());
    }

    Ref Postfix(Ref r)
    {
        for (;;) {
            if (Accept(".")) {
                r = {Ref::kMember, Read(r), PushString(Name())};
            } else if (Accept("[")) {
                r = {Ref::kMember, Read(r), Expression()};
                Expect("]");
            } else if (Accept("(")) {
                const Bytes args = Arguments(")");
                if (r.kind == Ref::kVar)
                    r = Value(args + r.key + Asm("call"));
                else if (r.kind == Ref::kMember)
                    r = Value(args + r.object + r.key + Asm("callmethod"));
                else
                    r = Value(args + r.object + Asm("push undefined; callmethod"));
            } else {
                return r;
            }
        }
    }

    double Number()
    {
        const std::string t = m_tok;
        Next();
        return t.rfind("0x", 0) == 0 ? static_cast<double>(std::stoul(t, nullptr, 16)) : std::stod(t);
    }

    Ref Primary()
    {
        if (m_kind == kNumber)
            return Value(PushNumber(Number()));
        if (m_kind == kString) {
            const std::string s = m_tok;
            Next();
            return Value(PushString(s));
        }
        if (Accept("(")) {
            const Ref r = Value(Expression());
            Expect(")");
            return r;
        }
        if (Accept("["))
            return Value(Arguments("]") + Asm("array"));
        if (Accept("{")) {
            Bytes pairs;
            int n = 0;
            if (!Accept("}")) {
                do {
                    pairs = pairs + PushString(Name());
                    Expect(":");
                    pairs = pairs + Expression();
                    ++n;
                } while (Accept(","));
                Expect("}");
            }
            return Value(pairs + PushNumber(n) + Asm("object"));
        }
        if (Accept("function"))
            return Value(Function(""));
        for (const char* literal : {"true", "false", "null", "undefined"})
            if (Accept(literal))
                return Value(Asm(std::string("push ") + literal));
        return {Ref::kVar, {}, PushString(Name())};
    }

    std::string m_text;
    std::size_t m_at = 0;
    Kind m_kind = kEnd;
    std::string m_tok;
};

inline Bytes Script(const std::string& text) { return CScript::Compile(text); }

// A movie played frame by frame, with what its scripts traced in each frame.
struct ScriptRun {
    std::unique_ptr<swf::Movie> movie;
    std::unique_ptr<swf::Player> player;
    std::vector<std::vector<std::string>> lines;  // each frame's trace lines

    const swf::DisplayObject& At(int depth) const { return player->Root().DisplayList().at(depth); }
    std::string Frame(std::size_t f) const
    {
        std::string out;
        for (std::size_t i = 0; i < lines.at(f).size(); ++i)
            out += (i ? "\n" : "") + lines[f][i];
        return out;
    }
    // Every frame's lines, each as "frame:line", joined by spaces.
    std::string Timed() const
    {
        std::string out;
        for (std::size_t f = 0; f < lines.size(); ++f)
            for (const std::string& line : lines[f])
                out += (out.empty() ? "" : " ") + std::to_string(f + 1) + ":" + line;
        return out;
    }
};

// Plays a 100 x 100 pixel movie of `tags` (its frames closed by ShowFrame) for `frames` frames.
inline ScriptRun RunMovie(const Bytes& tags, int frames = 1)
{
    ScriptRun run;
    const Bytes file = Movie(tags);
    run.movie = swf::Movie::Load(file.data(), file.size());
    run.player = std::make_unique<swf::Player>(*run.movie, swf::avm1::MakeScripts, false);
    run.player->SetClipPainter(swf::MakeClipPainter());
    run.player->SetTraceOutput([&run](const std::string& line) { run.lines.back().push_back(line); });
    for (int i = 0; i < frames; ++i) {
        run.lines.emplace_back();
        run.player->Advance();
    }
    run.player->SetTraceOutput(nullptr);
    return run;
}

// What a script on the first frame of a movie of `tags` (the first frame's) traces.
inline std::string TraceOf(const std::string& script, const Bytes& tags = {})
{
    return RunMovie(tags + DoAction(Script(script)) + ShowFrame()).Frame(0);
}

struct ScriptCase {
    std::string script;
    std::string traced;  // the lines, joined by '\n'
};

inline void ExpectTraces(std::initializer_list<ScriptCase> cases, const Bytes& tags = {})
{
    for (const ScriptCase& c : cases)
        EXPECT_EQ(c.traced, TraceOf(c.script, tags)) << c.script;
}

}  // namespace swftest
