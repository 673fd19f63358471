// The ActionScript 1/2 interpreter: runs the action bytes of frames, clip events and
// functions against a player's display list. Every script's actions are paid from the
// frame's work budget and its memory from the movie's bytes; within a call depth and caps on
// strings, arrays and objects. A script that breaks one, or whose code is broken, is
// abandoned and the movie goes on.
#pragma once

#include "swf/avm1/Object.h"
#include "swf/base/Budget.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace swf {
class Player;
class Clip;
struct DisplayObject;
struct Field;
}  // namespace swf

namespace swf::avm1 {

enum class Action : uint8_t;

// The built-in classes whose prototypes the player gives the objects it makes.
enum class Builtin : uint8_t {
    kObject, kFunction, kArray, kString, kNumber, kBoolean, kClip, kColor, kButton, kBitmapData, kTextField, kTextFormat, kCount
};

// A value thrown by a script (the throw action) on its way to a catch block.
struct ScriptThrow {
    ScriptThrow() = default;
    explicit ScriptThrow(Value v) : value(std::move(v)) {}
    Value value;
    int action = -1;  // the code of the action that threw it, once the loop has named it
};

class Vm {
public:
    // `bytes`: what the scripts' strings, objects, properties and elements may take together.
    Vm(Player& player, int version, std::size_t bytes);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    // Runs a block of actions on the timeline of `clip`. Errors end the block only.
    void RunBlock(const uint8_t* code, std::size_t size, Object& clip);
    // Calls a function property of an object (an event handler) when it has one.
    void CallHandler(Object& object, const char* name);
    // The script object of a display object, made on first use.
    Object& ObjectOf(DisplayObject& display);
    // Frees the objects no root reaches: the global object, the display list, `extraRoots`.
    void Collect(const std::vector<Object*>& extraRoots);
    std::size_t HeapSize() const { return m_heap.size(); }
    // Bytes the scripts' objects, strings and drawings hold.
    std::size_t HeapBytes() const { return m_nBytes - m_pBytes->Left(); }
    // The class registered for a sprite (Object.registerClass), or null.
    Object* ClassOf(uint16_t characterId) const;
    // Runs the registered class's constructor on a clip that was just placed.
    void ConstructClip(Object& clip);
    // Text of trace() calls, for the host to print.
    std::function<void(const std::string&)> onTrace;
    // A line for each script abandoned by an error or a limit: the action where it stopped and why.
    std::function<void(const std::string&)> onDiagnostic;

    // Values and conversions.
    Value Str(std::string s);
    Value Str(const char* s) { return Str(std::string(s)); }
    // A copy of the value's text; a long string pays for its copy.
    std::string ToString(const Value& v);
    // The value's text without a copy where it is a string already.
    StringRef ToStringRef(const Value& v);
    double ToNumber(const Value& v);
    bool ToBool(const Value& v);
    Value ToPrimitive(const Value& v);
    int32_t ToInt(const Value& v) { return ToInt32(ToNumber(v)); }
    std::string TypeOf(const Value& v);
    bool LooseEquals(const Value& a, const Value& b);
    bool StrictEquals(const Value& a, const Value& b);
    bool SameText(const Value& a, const Value& b);  // both strings
    // a < b: true, false, or undefined for NaN.
    Value Less(const Value& a, const Value& b);

    // Objects.
    Object& New(Kind kind, Object* proto);
    Object& NewObject() { return New(Kind::kObject, Proto(Builtin::kObject)); }
    Object& NewArray(std::vector<Value> elements);
    Object& NewNative(NativeFn fn, int length = 0);
    Object* ToObject(const Value& v);  // wrappers for primitives; null for undefined and null
    std::string Key(const std::string& name) const;  // folded to lower case before version 7
    Value Get(const Value& object, const std::string& name);
    void Set(const Value& object, const std::string& name, const Value& v);
    void SetOwn(Object& o, const std::string& name, const Value& v, uint8_t flags = 0);
    bool Delete(Object& o, const std::string& name);
    bool HasProperty(Object& o, const std::string& name);
    std::vector<std::string> Enumerate(Object& o);
    bool InstanceOf(const Value& v, Object& ctor);
    void Define(Object& o, const char* name, NativeFn fn, int length = 0);
    // Objects that `ctor` makes inherit from `proto`, which names `ctor` as their constructor.
    void LinkClass(Object& ctor, Object& proto)
    {
        SetOwn(ctor, "prototype", Value::Obj(&proto), kDontEnum);
        SetOwn(proto, "constructor", Value::Obj(&ctor), kDontEnum);
    }

    // Calls.
    Value Call(const Value& fn, const Value& self, const std::vector<Value>& args);
    Value CallMethod(const Value& object, const std::string& name, const std::vector<Value>& args);
    Value Construct(const Value& ctor, const std::vector<Value>& args);
    // Pays `steps` actions from the frame's work; abandons the script when they do not fit.
    void Charge(std::size_t steps);
    // Pays `steps` without abandoning the script here, for lookups and conversions that the
    // player makes outside scripts too: a script stops at its next action once the frame's
    // work is spent.
    void Pay(std::size_t steps);
    // Pays a step for every eighth link of a prototype or scope chain a lookup walks.
    void PayLink(int walked)
    {
        if (walked % 8 == 0)
            Pay(1);
    }
    // Takes bytes that the heap's objects or the clips' drawings hold from the scripts'
    // memory (abandoning the script when they do not fit); the collector counts them afresh.
    void Hold(std::size_t bytes)
    {
        Reserve(bytes);
        m_nHeapBytes += bytes;
    }
    // Gives back held bytes before the collector would.
    void Release(std::size_t bytes)
    {
        bytes = std::min(bytes, m_nHeapBytes);
        m_nHeapBytes -= bytes;
        m_pBytes->Refund(bytes);
    }

    // Display objects.
    Object* ResolveTarget(const std::string& path, Object* base);  // a clip by path
    std::string TargetPath(Object& clip, bool slashes);
    Clip* ClipOf(const Value& v);
    // A new clip of `characterId` (0: an empty one) at a script depth of `parent`, given the
    // properties of `init` before its class's constructor runs; null when refused.
    // An object with nothing to show yet at a script depth of `parent`; null when refused.
    DisplayObject* PlaceEmpty(Object& parent, const std::string& name, double depth);
    Object* PlaceByScript(Object& parent, uint16_t characterId, const std::string& name, double depth,
                          const Value& init);
    // Replaces a clip's content with the image file at `url`; false when it cannot be loaded.
    bool LoadInto(Object& clip, const std::string& url);
    Player& GetPlayer() { return m_player; }
    // The built-ins' way to the fields of clips and of the player they change (StageAccess.h).
    struct StageAccess;
    // Gives a display object this text field, laid out.
    void SetField(DisplayObject& d, Field field);
    // A BitmapData of these pixels, whose bytes the caller already holds.
    Object& NewBitmapData(Bitmap bitmap, bool transparent);
    int Version() const { return m_version; }
    void Trace(const std::string& text);

    Object* m_global = nullptr;
    // The prototype of a built-in class that the player hands out; the collector keeps every one.
    Object*& Proto(Builtin b) { return m_protos[static_cast<std::size_t>(b)]; }

private:
    std::array<Object*, static_cast<std::size_t>(Builtin::kCount)> m_protos{};

    struct Frame;
    struct Outcome;
    struct Cursor;
    class Operands;
    // The loop, and the actions it runs by group (Interpreter.cpp, Actions.cpp).
    Outcome Execute(Frame& f, std::size_t begin, std::size_t end);
    bool Branch(Frame& f, Action action, Operands& d, Cursor& at, Outcome& out);
    bool RunWith(Frame& f, Operands& d, Cursor& at, Outcome& out);
    bool RunTry(Frame& f, Operands& d, Cursor& at, Outcome& out);
    void Catch(Frame& f, uint8_t flags, const std::string& name, uint8_t reg, const Value& thrown);
    bool LeaveBlock(const Outcome& r, std::size_t after, Cursor& at, Outcome& out);
    static bool JumpsOut(const Cursor& at, std::size_t target, Outcome& out);
    void DefineFunction(Frame& f, Action action, Operands& d, Cursor& at);
    void Perform(Frame& f, Action action, Operands& d);
    void PushValues(Frame& f, Operands& d);
    void StackAction(Frame& f, Action action, Operands& d);
    void TimelineAction(Frame& f, Action action, Operands& d);
    void ArithmeticAction(Frame& f, Action action);
    void CompareAction(Frame& f, Action action);
    void StringAction(Frame& f, Action action);
    void VariableAction(Frame& f, Action action);
    void ObjectAction(Frame& f, Action action);
    void Extend(const Value& sub, const Value& super);
    void PushNames(Frame& f, const Value& object);
    std::vector<Value> PopArgs(Frame& f);
    // A comparison's result: a boolean, or 1 and 0 before version 5.
    Value Truth(bool b) const { return m_version >= 5 ? Value::Bool(b) : Value::Number(b ? 1 : 0); }
    // Runs a way into the scripts (a block, a handler, a constructor, an interval); one that
    // breaks a limit or throws a value nobody catches is abandoned there and reported.
    template <typename Run>
    void RunGuarded(Run&& run);
    void ReportAbandoned(int action, const char* reason);
    Value RunFunction(Object& fn, const Value& self, const std::vector<Value>& args);
    // `constructing`: called by new, `self` being the new object.
    Value CallNative(Object& fn, const Value& self, const std::vector<Value>& args, bool constructing);
    Value GetVariable(Frame& f, const std::string& name);
    void SetVariable(Frame& f, const std::string& name, const Value& v);
    bool FindInScope(Frame& f, const std::string& name, Value& out);
    Value GetClipProperty(Object& clip, int index);
    void SetClipProperty(Object& clip, int index, const Value& v);
    // The clip and depth where a script places a child at `asDepth`, emptied; null when refused.
    Clip* ScriptDepth(Object& parent, double asDepth, int& depth);
    Value GetScrollRect(DisplayObject& d);
    // The text field a display object shows, as it now is; null for other objects.
    const Field* FieldOf(const DisplayObject& d) const;
    // A text field's text, switches and colours by name; false for other names.
    bool GetFieldProperty(const DisplayObject& d, const std::string& name, Value& out);
    bool SetFieldProperty(DisplayObject& d, const std::string& name, const Value& value);
    void SetScrollRect(DisplayObject& d, const Value& rect);
    // Moves a clip to a frame (number, label or "target:frame"); `play`: 1 plays, 0 stops, -1 keeps.
    void Goto(Object* clip, const Value& frame, int play, int bias);
    void CallFrame(Frame& f, const Value& frame);
    void SetTarget(Frame& f, Object* target);
    // Takes `bytes` from the scripts' memory; abandons the script when they do not fit.
    void Reserve(std::size_t bytes);
    static std::size_t PropertyBytes(const std::string& key, const std::string& name)
    {
        return sizeof(Property) + kNodeBytes + key.size() + name.size();
    }
    void InstallBuiltins();

    Player& m_player;
    int m_version;
    std::size_t m_nBytes;  // what the scripts may hold at most
    std::vector<std::unique_ptr<Object>> m_heap;
    // Shared with the strings, which give their bytes back when the last reference goes.
    std::shared_ptr<ByteBudget> m_pBytes;
    std::size_t m_nHeapBytes = 0;  // the heap's objects with their properties and elements, drawings
    int m_nDepth = 0;
    std::size_t m_nTraceBytes = 0;
    uint32_t m_nOrder = 0;
    uint32_t m_nRandom = 0x2545F491;
    Object* m_pTarget = nullptr;  // the timeline the running code acts on

public:
    std::map<uint16_t, Object*> m_classes;  // registered classes by sprite
    std::size_t m_nDrawingEdges = 0;        // edges the drawing methods keep, all clips together

    // Functions that setInterval and setTimeout call as movie time passes.
    struct Interval {
        double id;
        Value fn;      // a function, or the object whose method `method` is called
        std::string method;
        std::vector<Value> args;
        double period;  // milliseconds
        double due;
        bool once;
    };
    std::vector<Interval> m_intervals;
    double m_nNextInterval = 1;
    // Calls the intervals that are due by now; at most a few times each per frame.
    void RunIntervals();
    Object* CurrentTarget() const { return m_pTarget; }
    double Random();                        // 0 <= r < 1, the same sequence every run
    double Clock() const;                   // milliseconds of movie time
};

// Looks a display object's property up by name ("_x", "_alpha", ...): its index, or -1.
int ClipPropertyIndex(const std::string& name);

}  // namespace swf::avm1
