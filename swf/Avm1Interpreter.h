// The ActionScript 1/2 interpreter: runs the action bytes of frames, clip events and
// functions against a player's display list. Every script's actions are paid from the
// frame's work budget and its memory from the movie's bytes; within a call depth and caps on
// strings, arrays and objects. A script that breaks one, or whose code is broken, is
// abandoned and the movie goes on.
#pragma once

#include "swf/Avm1Object.h"
#include "swf/SwfBudget.h"

#include <algorithm>
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

// A value thrown by a script (the throw action) on its way to a catch block.
struct ScriptThrow {
    Value value;
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
    // The class registered for a sprite (Object.registerClass), or null.
    Object* ClassOf(uint16_t characterId) const;
    // Runs the registered class's constructor on a clip that was just placed.
    void ConstructClip(Object& clip);
    // Text of trace() calls, for the host to print.
    std::function<void(const std::string&)> onTrace;

    // Values and conversions.
    Value Str(std::string s);
    Value Str(const char* s) { return Str(std::string(s)); }
    std::string ToString(const Value& v);
    double ToNumber(const Value& v);
    bool ToBool(const Value& v);
    Value ToPrimitive(const Value& v);
    int32_t ToInt(const Value& v) { return ToInt32(ToNumber(v)); }
    std::string TypeOf(const Value& v);
    bool LooseEquals(const Value& a, const Value& b);
    bool StrictEquals(const Value& a, const Value& b);
    // a < b: true, false, or undefined for NaN.
    Value Less(const Value& a, const Value& b);

    // Objects.
    Object& New(Kind kind, Object* proto);
    Object& NewObject() { return New(Kind::kObject, m_objectProto); }
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
    // Gives a display object this text field, laid out.
    void SetField(DisplayObject& d, Field field);
    // A BitmapData of these pixels, whose bytes the caller already holds.
    Object& NewBitmapData(Bitmap bitmap, bool transparent);
    int Version() const { return m_version; }
    void Trace(const std::string& text);

    Object* m_global = nullptr;
    Object* m_objectProto = nullptr;
    Object* m_functionProto = nullptr;
    Object* m_arrayProto = nullptr;
    Object* m_stringProto = nullptr;
    Object* m_numberProto = nullptr;
    Object* m_booleanProto = nullptr;
    Object* m_clipProto = nullptr;
    Object* m_colorProto = nullptr;
    Object* m_buttonProto = nullptr;
    Object* m_bitmapDataProto = nullptr;
    Object* m_textFieldProto = nullptr;
    bool m_bConstructing = false;  // a native constructor called by new

private:
    struct Frame;
    struct Outcome;
    Outcome Execute(Frame& f, std::size_t begin, std::size_t end);
    Value RunFunction(Object& fn, const Value& self, const std::vector<Value>& args);
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
    bool GetFieldProperty(const Field& field, const std::string& name, Value& out);
    bool SetFieldProperty(DisplayObject& d, const std::string& name, const Value& value);
    void SetScrollRect(DisplayObject& d, const Value& rect);
    // Moves a clip to a frame (number, label or "target:frame"); `play`: 1 plays, 0 stops, -1 keeps.
    void Goto(Object* clip, const Value& frame, int play, int bias);
    void CallFrame(Frame& f, const Value& frame);
    void SetTarget(Frame& f, Object* target);
    void Mark(Object* o);
    void MarkValue(const Value& v);
    void MarkScope(const Scope* s);
    // Takes `bytes` from the scripts' memory; abandons the script when they do not fit.
    void Reserve(std::size_t bytes);
    static std::size_t PropertyBytes(const std::string& key, const std::string& name)
    {
        return sizeof(Property) + kNodeBytes + key.size() + name.size();
    }
    void InstallBuiltins();
    void InstallMovieClip();
    void InstallDrawing();
    void InstallBitmapData();

    Player& m_player;
    int m_version;
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
