// The actions of ActionScript 1 and 2 by code, one line each: the name the file format's
// documentation gives it (with "Action" in front), a short assembler name, the group of the
// interpreter loop that runs it, what it takes from the stack (the top first) and what it leaves.
// Operands written in the action's own bytes are not on the stack. Codes from 0x80 carry a
// 16-bit length before their operands; the others have none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace swf::avm1 {

// X(code, Name, assembler name, group, takes, leaves)
#define SWF_AVM1_ACTIONS(X)                                                                                  \
    X(0x00, End, "end", Control, "", "")                                                                     \
    /* SWF 3 */                                                                                              \
    X(0x04, NextFrame, "nextframe", Timeline, "", "")                                                        \
    X(0x05, PreviousFrame, "prevframe", Timeline, "", "")                                                    \
    X(0x06, Play, "play", Timeline, "", "")                                                                  \
    X(0x07, Stop, "stop", Timeline, "", "")                                                                  \
    X(0x08, ToggleQuality, "togglequality", Timeline, "", "")                                                \
    X(0x09, StopSounds, "stopsounds", Timeline, "", "")                                                      \
    X(0x81, GotoFrame, "goto", Timeline, "", "")                                                             \
    X(0x83, GetURL, "geturl", Timeline, "", "")                                                              \
    X(0x8A, WaitForFrame, "waitforframe", Timeline, "", "")                                                  \
    X(0x8B, SetTarget, "settarget", Timeline, "", "")                                                        \
    X(0x8C, GoToLabel, "label", Timeline, "", "")                                                            \
    /* SWF 4 */                                                                                              \
    X(0x96, Push, "push", Stack, "", "values...")                                                            \
    X(0x17, Pop, "pop", Stack, "value", "")                                                                  \
    X(0x0A, Add, "add", Arithmetic, "b, a", "a + b")                                                         \
    X(0x0B, Subtract, "subtract", Arithmetic, "b, a", "a - b")                                               \
    X(0x0C, Multiply, "multiply", Arithmetic, "b, a", "a * b")                                               \
    X(0x0D, Divide, "divide", Arithmetic, "b, a", "a / b")                                                   \
    X(0x0E, Equals, "equals", Compare, "b, a", "a == b as numbers")                                          \
    X(0x0F, Less, "less", Compare, "b, a", "a < b as numbers")                                               \
    X(0x10, And, "and", Compare, "b, a", "a && b")                                                           \
    X(0x11, Or, "or", Compare, "b, a", "a || b")                                                             \
    X(0x12, Not, "not", Compare, "a", "!a")                                                                  \
    X(0x13, StringEquals, "stringequals", String, "b, a", "a == b as strings")                               \
    X(0x14, StringLength, "stringlength", String, "string", "length")                                        \
    X(0x21, StringAdd, "concat", String, "b, a", "a + b as strings")                                         \
    X(0x15, StringExtract, "substring", String, "count, index, string", "part")                              \
    X(0x29, StringLess, "stringless", String, "b, a", "a < b as strings")                                    \
    X(0x31, MBStringLength, "mbstringlength", String, "string", "length")                                    \
    X(0x35, MBStringExtract, "mbsubstring", String, "count, index, string", "part")                          \
    X(0x18, ToInteger, "toint", Arithmetic, "a", "a truncated")                                              \
    X(0x32, CharToAscii, "ord", String, "string", "code")                                                    \
    X(0x33, AsciiToChar, "chr", String, "code", "string")                                                    \
    X(0x36, MBCharToAscii, "mbord", String, "string", "code")                                                \
    X(0x37, MBAsciiToChar, "mbchr", String, "code", "string")                                                \
    X(0x99, Jump, "jump", Control, "", "")                                                                   \
    X(0x9D, If, "if", Control, "condition", "")                                                              \
    X(0x9E, Call, "callframe", Timeline, "frame", "")                                                        \
    X(0x1C, GetVariable, "getvar", Variable, "name", "value")                                                \
    X(0x1D, SetVariable, "setvar", Variable, "value, name", "")                                              \
    X(0x9A, GetURL2, "geturl2", Timeline, "target, url", "")                                                 \
    X(0x9F, GotoFrame2, "gotoframe2", Timeline, "frame", "")                                                 \
    X(0x20, SetTarget2, "settarget2", Timeline, "target", "")                                                \
    X(0x22, GetProperty, "getprop", Variable, "index, target", "value")                                      \
    X(0x23, SetProperty, "setprop", Variable, "value, index, target", "")                                    \
    X(0x24, CloneSprite, "clone", Timeline, "depth, name, source", "")                                       \
    X(0x25, RemoveSprite, "removeclip", Timeline, "target", "")                                              \
    X(0x27, StartDrag, "startdrag", Timeline, "target, lock, constrain, [y2, x2, y1, x1]", "")               \
    X(0x28, EndDrag, "enddrag", Timeline, "", "")                                                            \
    X(0x8D, WaitForFrame2, "waitforframe2", Timeline, "frame", "")                                           \
    X(0x26, Trace, "trace", Timeline, "value", "")                                                           \
    X(0x34, GetTime, "gettime", Timeline, "", "milliseconds")                                                \
    X(0x30, RandomNumber, "random", Arithmetic, "maximum", "a whole number below it")                        \
    /* SWF 5 */                                                                                              \
    X(0x3D, CallFunction, "call", Object, "name, count, arguments...", "result")                             \
    X(0x52, CallMethod, "callmethod", Object, "name, object, count, arguments...", "result")                 \
    X(0x88, ConstantPool, "pool", Stack, "", "")                                                             \
    X(0x9B, DefineFunction, "function", Control, "", "the function, when it has no name")                    \
    X(0x3C, DefineLocal, "var", Variable, "value, name", "")                                                 \
    X(0x41, DefineLocal2, "declare", Variable, "name", "")                                                   \
    X(0x3A, Delete, "delete", Variable, "name, object", "whether it was deleted")                            \
    X(0x3B, Delete2, "delete2", Variable, "name", "whether it was deleted")                                  \
    X(0x46, Enumerate, "enumerate", Object, "name", "null, names...")                                        \
    X(0x49, Equals2, "equals2", Compare, "b, a", "a == b")                                                   \
    X(0x4E, GetMember, "get", Variable, "name, object", "value")                                             \
    X(0x42, InitArray, "array", Object, "count, elements...", "array")                                       \
    X(0x43, InitObject, "object", Object, "count, [value, name]...", "object")                               \
    X(0x53, NewMethod, "newmethod", Object, "name, object, count, arguments...", "object")                   \
    X(0x40, NewObject, "new", Object, "name, count, arguments...", "object")                                 \
    X(0x4F, SetMember, "set", Variable, "value, name, object", "")                                           \
    X(0x45, TargetPath, "targetpath", Variable, "clip", "path")                                              \
    X(0x94, With, "with", Control, "object", "")                                                             \
    X(0x4A, ToNumber, "tonumber", Arithmetic, "a", "number")                                                 \
    X(0x4B, ToString, "tostring", Arithmetic, "a", "string")                                                 \
    X(0x44, TypeOf, "typeof", Object, "a", "type name")                                                      \
    X(0x47, Add2, "add2", Arithmetic, "b, a", "a + b")                                                       \
    X(0x48, Less2, "less2", Compare, "b, a", "a < b")                                                        \
    X(0x3F, Modulo, "modulo", Arithmetic, "b, a", "a % b")                                                   \
    X(0x60, BitAnd, "bitand", Arithmetic, "b, a", "a & b")                                                   \
    X(0x63, BitLShift, "shl", Arithmetic, "count, a", "a << count")                                          \
    X(0x61, BitOr, "bitor", Arithmetic, "b, a", "a | b")                                                     \
    X(0x64, BitRShift, "shr", Arithmetic, "count, a", "a >> count")                                          \
    X(0x65, BitURShift, "ushr", Arithmetic, "count, a", "a >>> count")                                       \
    X(0x62, BitXor, "bitxor", Arithmetic, "b, a", "a ^ b")                                                   \
    X(0x51, Decrement, "dec", Arithmetic, "a", "a - 1")                                                      \
    X(0x50, Increment, "inc", Arithmetic, "a", "a + 1")                                                      \
    X(0x4C, PushDuplicate, "dup", Stack, "a", "a, a")                                                        \
    X(0x3E, Return, "return", Control, "value", "")                                                          \
    X(0x4D, StackSwap, "swap", Stack, "a, b", "b, a")                                                        \
    X(0x87, StoreRegister, "store", Stack, "", "")                                                           \
    /* SWF 6 */                                                                                              \
    X(0x54, InstanceOf, "instanceof", Object, "constructor, object", "whether it is one")                    \
    X(0x55, Enumerate2, "enumerate2", Object, "object", "null, names...")                                    \
    X(0x66, StrictEquals, "strictequals", Compare, "b, a", "a === b")                                        \
    X(0x67, Greater, "greater", Compare, "b, a", "a > b")                                                    \
    X(0x68, StringGreater, "stringgreater", String, "b, a", "a > b as strings")                              \
    /* SWF 7 */                                                                                              \
    X(0x8E, DefineFunction2, "function2", Control, "", "the function, when it has no name")                  \
    X(0x69, Extends, "extends", Object, "superclass, subclass", "")                                          \
    X(0x2B, CastOp, "cast", Object, "object, constructor", "the object, or null")                            \
    X(0x2C, ImplementsOp, "implements", Object, "constructor, count, interfaces...", "")                     \
    X(0x8F, Try, "try", Control, "", "")                                                                     \
    X(0x2A, Throw, "throw", Control, "value", "")

#define SWF_AVM1_ACTION_CODE(code, name, assembler, group, takes, leaves) k##name = code,
enum class Action : uint8_t { SWF_AVM1_ACTIONS(SWF_AVM1_ACTION_CODE) };
#undef SWF_AVM1_ACTION_CODE

// The part of the interpreter loop that runs an action.
enum class ActionGroup : uint8_t {
    kUnknown,
    kControl,  // the loop's own: jumps, blocks, returns, function definitions, throw
    kTimeline,
    kStack,
    kArithmetic,
    kCompare,
    kString,
    kVariable,
    kObject,
};

struct ActionInfo {
    Action code;
    std::string_view name;       // "ActionGetVariable"
    std::string_view assembler;  // "getvar"
    ActionGroup group;
    std::string_view takes;
    std::string_view leaves;
};

#define SWF_AVM1_ACTION_INFO(code, name, assembler, group, takes, leaves) \
    ActionInfo{Action::k##name, "Action" #name, assembler, ActionGroup::k##group, takes, leaves},
inline constexpr ActionInfo kActions[] = {SWF_AVM1_ACTIONS(SWF_AVM1_ACTION_INFO)};
#undef SWF_AVM1_ACTION_INFO

// Each code's place in kActions, or -1.
inline constexpr std::array<int16_t, 256> kActionIndex = [] {
    std::array<int16_t, 256> index{};
    index.fill(-1);
    for (std::size_t i = 0; i < std::size(kActions); ++i)
        index[static_cast<uint8_t>(kActions[i].code)] = static_cast<int16_t>(i);
    return index;
}();

// The action of a code; null for a code no action has.
constexpr const ActionInfo* FindAction(uint8_t code)
{
    return kActionIndex[code] < 0 ? nullptr : &kActions[kActionIndex[code]];
}

constexpr ActionGroup GroupOf(uint8_t code)
{
    const ActionInfo* info = FindAction(code);
    return info ? info->group : ActionGroup::kUnknown;
}

}  // namespace swf::avm1
