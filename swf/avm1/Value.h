// ActionScript 1/2 values: undefined, null, booleans, numbers, strings and object references,
// and the limits that keep a movie's scripts from costing unbounded time or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace swf::avm1 {

// Limits. A script that reaches one is abandoned; the movie keeps playing. Besides these, the
// scripts' actions are paid from the frame's work budget and their strings, objects,
// properties and elements from what the movie's byte budget left.
// Nested runs of the interpreter and built-in calls together: functions, with and try
// blocks, frames called, conversions, getters and compare functions. Each level takes a few
// kilobytes of the stack in an unoptimised build; 64 stay far inside the smallest thread's.
inline constexpr int kMaxCallDepth = 64;
inline constexpr std::size_t kMaxScopeChain = 256;        // objects a function's scope chain holds
inline constexpr std::size_t kMaxStack = 50000;           // values on one script's stack
inline constexpr std::size_t kMaxStringLength = 1u << 20; // characters of one string
inline constexpr std::size_t kMaxArrayLength = 1u << 16;  // elements of one array
inline constexpr std::size_t kMaxObjects = 200000;        // live script objects
inline constexpr std::size_t kMaxTraceBytes = 1u << 20;   // trace output kept per frame
inline constexpr std::size_t kMaxIntervals = 1000;        // setInterval and setTimeout waiting

class Object;

// Thrown when a script must be abandoned: a limit reached or broken code.
struct ScriptAbort {
    explicit ScriptAbort(const char* why) : reason(why) {}
    const char* reason;
    int action = -1;  // the code of the action that was running, once the loop has named it
};

using StringRef = std::shared_ptr<const std::string>;

struct Value {
    enum Type : uint8_t { kUndefined, kNull, kBool, kNumber, kString, kObject };
    Type type = kUndefined;
    bool b = false;
    double n = 0;
    StringRef s;
    Object* o = nullptr;

    static Value Null() { return Of(kNull); }
    static Value Bool(bool v)
    {
        Value r = Of(kBool);
        r.b = v;
        return r;
    }
    static Value Number(double v)
    {
        Value r = Of(kNumber);
        r.n = v;
        return r;
    }
    static Value String(StringRef v)
    {
        Value r = Of(kString);
        r.s = std::move(v);
        return r;
    }
    static Value Obj(Object* v)
    {
        Value r = Of(v ? kObject : kNull);
        r.o = v;
        return r;
    }
    bool IsUndefined() const { return type == kUndefined; }
    bool IsNull() const { return type == kNull; }
    bool IsNullish() const { return type == kUndefined || type == kNull; }
    bool IsObject() const { return type == kObject; }
    bool IsString() const { return type == kString; }
    bool IsNumber() const { return type == kNumber; }
    const std::string& Str() const;  // kString only

private:
    static Value Of(Type t)
    {
        Value r;
        r.type = t;
        return r;
    }
};

// A number as ActionScript prints it: "NaN", "Infinity", "12", "0.5", "1e+21", "1.5e-7".
std::string FormatNumber(double v);
// A string read as a number: decimal with exponent, "0x" hexadecimal, blanks around; NaN else.
double ParseNumber(const std::string& s);
// The 32-bit integer of a number (modulo 2^32), as the bit operations use.
int32_t ToInt32(double v);

}  // namespace swf::avm1
