// ActionScript objects: properties by name with a prototype chain, and the kinds the player
// knows inside: functions (native or script), arrays, display objects, colours and wrappers.
// Objects live in the interpreter's heap and are freed by its collector, never one by one.
#pragma once

#include "swf/avm1/Value.h"
#include "swf/player/Scripts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace swf {
struct Bitmap;
}

namespace swf::avm1 {

class Vm;
struct Scope;
struct NativeCall;

// A built-in function: given its call (Native.h), what it returns.
using NativeFn = Value (*)(NativeCall& call);

// A function compiled by DefineFunction or DefineFunction2: the code stays in the movie.
struct ScriptFunction {
    const uint8_t* code = nullptr;
    std::size_t size = 0;
    std::vector<std::pair<uint8_t, std::string>> params;  // register (0: none) and name
    int registers = 4;
    uint16_t flags = 0;  // DefineFunction2's preload and suppress flags
    bool version2 = false;
    std::shared_ptr<const Scope> scope;                  // where it was defined
    std::shared_ptr<const std::vector<Value>> pool;     // the constant pool at that point
    Object* target = nullptr;                            // the clip it was defined in
};

enum class Kind : uint8_t { kObject, kFunction, kArray, kClip, kColor, kString, kNumber, kBoolean };

enum PropertyFlags : uint8_t { kDontEnum = 1, kDontDelete = 2, kReadOnly = 4 };

struct Property {
    std::string name;  // as first written; the key may be folded to lower case
    Value value;
    uint8_t flags = 0;
    uint32_t order = 0;
    Object* getter = nullptr;  // addProperty
    Object* setter = nullptr;
};

// The chain of objects names are looked up in, innermost last.
struct Scope {
    std::shared_ptr<const Scope> outer;
    Object* object = nullptr;
    std::size_t length = outer ? outer->length + 1 : 1;  // the objects of the chain ending here
};

// A kClip object is the script object of the display object it names (`display`, null once
// that object left the stage).
class Object : public ScriptObject {
public:
    explicit Object(Kind k) : kind(k) {}

    Kind kind;
    Object* proto = nullptr;
    std::unordered_map<std::string, Property> props;

    NativeFn native = nullptr;             // kFunction: built-in
    std::unique_ptr<ScriptFunction> script; // kFunction: compiled
    std::vector<Value> elements;           // kArray
    Value primitive;                       // kString, kNumber, kBoolean
    Object* target = nullptr;              // kColor: the clip it colours
    std::shared_ptr<Bitmap> bitmap;        // a BitmapData's pixels, shared with the clips that show them
    bool marked = false;                   // collector

    Property* Find(const std::string& key)
    {
        auto it = props.find(key);
        return it == props.end() ? nullptr : &it->second;
    }
    bool IsFunction() const { return kind == Kind::kFunction; }
};

// The object behind a display object's script object (every one is made by this room).
inline Object* AsObject(ScriptObject* object) { return static_cast<Object*>(object); }

}  // namespace swf::avm1
