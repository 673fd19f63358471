// Objects and their properties: made on the heap, read and written through prototypes, clips
// and arrays, enumerated and tested.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace swf::avm1 {

// ---------------------------------------------------------------------------
// Objects

Object& Vm::New(Kind kind, Object* proto)
{
    if (m_heap.size() >= kMaxObjects)
        throw ScriptAbort{"too many objects"};
    Charge(1);
    Hold(sizeof(Object));
    m_heap.push_back(std::make_unique<Object>(kind));
    Object& o = *m_heap.back();
    o.proto = proto;
    return o;
}

Object& Vm::NewArray(std::vector<Value> elements)
{
    if (elements.size() > kMaxArrayLength)
        throw ScriptAbort{"an array grew too long"};
    Charge(elements.size() / 8);
    Hold(elements.size() * sizeof(Value));
    Object& a = New(Kind::kArray, Proto(Builtin::kArray));
    a.elements = std::move(elements);
    return a;
}

Object& Vm::NewNative(NativeFn fn, int length)
{
    Object& f = New(Kind::kFunction, Proto(Builtin::kFunction));
    f.native = fn;
    SetOwn(f, "length", Value::Number(length), kDontEnum);
    return f;
}

void Vm::Define(Object& o, const char* name, NativeFn fn, int length)
{
    SetOwn(o, name, Value::Obj(&NewNative(fn, length)), kDontEnum);
}

Object* Vm::ToObject(const Value& v)
{
    switch (v.type) {
    case Value::kObject:
        return v.o;
    case Value::kString:
    case Value::kNumber:
    case Value::kBool: {
        const Builtin wrapper = v.IsString() ? Builtin::kString : v.IsNumber() ? Builtin::kNumber : Builtin::kBoolean;
        Object& w = New(v.IsString() ? Kind::kString : v.IsNumber() ? Kind::kNumber : Kind::kBoolean, Proto(wrapper));
        w.primitive = v;
        return &w;
    }
    default:
        return nullptr;
    }
}

std::string Vm::Key(const std::string& name) const
{
    return m_version >= 7 ? name : Lower(name);
}

void Vm::SetOwn(Object& o, const std::string& name, const Value& v, uint8_t flags)
{
    const std::string key = Key(name);
    Property* p = o.Find(key);
    if (!p) {
        Hold(PropertyBytes(key, name));
        p = &o.props[key];
        p->name = name;
        p->flags = flags;
        p->order = ++m_nOrder;
    } else if (p->flags & kReadOnly) {
        return;
    }
    p->value = v;
}

namespace {

bool IsIndex(const std::string& s, std::size_t& index)
{
    if (s.empty() || s.size() > 9 || (s.size() > 1 && s[0] == '0'))
        return false;
    index = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

// A child by instance name; making the index of names again is paid per child it goes through.
DisplayObject* ChildNamed(Vm& vm, Clip& clip, const std::string& name)
{
    std::size_t visited = 0;
    DisplayObject* d = clip.ChildNamed(name, vm.Version() >= 7, visited);
    vm.Pay(visited);
    return d;
}

// opaqueBackground: the RGB colour of the box drawn under the object, or undefined for none.
Value GetOpaqueBackground(const DisplayObject& d)
{
    if (!d.hasOpaqueBackground)
        return {};
    const Rgba& c = d.opaqueBackground;
    return Value::Number(c.r << 16 | c.g << 8 | c.b);
}

void SetOpaqueBackground(Vm& vm, DisplayObject& d, const Value& color)
{
    d.hasOpaqueBackground = !color.IsUndefined() && !color.IsNull();
    if (!d.hasOpaqueBackground)
        return;
    const uint32_t rgb = static_cast<uint32_t>(vm.ToInt(color));
    d.opaqueBackground = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

}  // namespace

Value Vm::Get(const Value& v, const std::string& name)
{
    Object* o = nullptr;
    switch (v.type) {
    case Value::kString:
        if (name == "length")
            return Value::Number(static_cast<double>(v.Str().size()));
        o = Proto(Builtin::kString);
        break;
    case Value::kNumber:
        o = Proto(Builtin::kNumber);
        break;
    case Value::kBool:
        o = Proto(Builtin::kBoolean);
        break;
    case Value::kObject:
        o = v.o;
        break;
    default:
        return {};
    }
    if (v.IsObject()) {
        if (o->kind == Kind::kClip && o->display) {
            const int index = ClipPropertyIndex(name);
            if (index >= 0)
                return GetClipProperty(*o, index);
            if (name == "scrollRect")
                return GetScrollRect(*o->display);
            if (name == "cacheAsBitmap")
                return Value::Bool(o->display->cacheAsBitmap);
            if (name == "opaqueBackground")
                return GetOpaqueBackground(*o->display);
            Value out;
            if (GetFieldProperty(*o->display, name, out))
                return out;
        }
        if (o->kind == Kind::kArray) {
            std::size_t index;
            if (name == "length")
                return Value::Number(static_cast<double>(o->elements.size()));
            if (IsIndex(name, index))
                return index < o->elements.size() ? o->elements[index] : Value{};
        }
        if (o->kind == Kind::kString && name == "length")
            return Value::Number(static_cast<double>(o->primitive.Str().size()));
        if (name == "__proto__")
            return Value::Obj(o->proto);
    }
    const std::string key = Key(name);
    int guard = 0;
    for (Object* p = o; p && guard < 64; p = p->proto, PayLink(++guard)) {
        if (Property* prop = p->Find(key)) {
            if (prop->getter)
                return Call(Value::Obj(prop->getter), v, {});
            return prop->value;
        }
        if (p == o && p->kind == Kind::kClip && p->display && p->display->clip)
            if (DisplayObject* child = ChildNamed(*this, *p->display->clip, name))
                return Value::Obj(&ObjectOf(*child));
    }
    return {};
}

void Vm::Set(const Value& v, const std::string& name, const Value& value)
{
    if (!v.IsObject())
        return;
    Object& o = *v.o;
    if (o.kind == Kind::kClip && o.display) {
        const int index = ClipPropertyIndex(name);
        if (index >= 0) {
            SetClipProperty(o, index, value);
            return;
        }
        if (name == "scrollRect") {
            SetScrollRect(*o.display, value);
            return;
        }
        if (name == "cacheAsBitmap") {
            o.display->cacheAsBitmap = ToBool(value);
            m_player.MarkChanged();
            return;
        }
        if (name == "opaqueBackground") {
            SetOpaqueBackground(*this, *o.display, value);
            m_player.MarkChanged();
            return;
        }
        if (SetFieldProperty(*o.display, name, value))
            return;
    }
    if (o.kind == Kind::kArray) {
        std::size_t index;
        if (name == "length") {
            const double n = ToNumber(value);
            if (n >= 0 && n <= kMaxArrayLength) {
                if (n > o.elements.size())
                    Hold((static_cast<std::size_t>(n) - o.elements.size()) * sizeof(Value));
                o.elements.resize(static_cast<std::size_t>(n));
            }
            return;
        }
        if (IsIndex(name, index)) {
            if (index >= kMaxArrayLength)
                throw ScriptAbort{"an array grew too long"};
            if (index >= o.elements.size()) {
                Hold((index + 1 - o.elements.size()) * sizeof(Value));
                o.elements.resize(index + 1);
            }
            o.elements[index] = value;
            return;
        }
    }
    if (name == "__proto__") {
        if (value.IsObject() || value.type == Value::kNull)
            o.proto = value.o;
        return;
    }
    const std::string key = Key(name);
    int guard = 0;
    for (Object* p = &o; p && guard < 64; p = p->proto, PayLink(++guard)) {
        Property* prop = p->Find(key);
        if (prop && prop->setter) {
            Call(Value::Obj(prop->setter), v, {value});
            return;
        }
        if (prop)
            break;
    }
    SetOwn(o, name, value);
}

bool Vm::Delete(Object& o, const std::string& name)
{
    auto it = o.props.find(Key(name));
    if (it == o.props.end() || (it->second.flags & kDontDelete))
        return false;
    o.props.erase(it);
    return true;
}

bool Vm::HasProperty(Object& o, const std::string& name)
{
    if (o.kind == Kind::kClip && o.display) {
        if (ClipPropertyIndex(name) >= 0)
            return true;
        if (o.display->clip && ChildNamed(*this, *o.display->clip, name))
            return true;
    }
    const std::string key = Key(name);
    int guard = 0;
    for (Object* p = &o; p && guard < 64; p = p->proto, PayLink(++guard))
        if (p->Find(key))
            return true;
    return false;
}

std::vector<std::string> Vm::Enumerate(Object& o)
{
    std::vector<std::pair<uint32_t, std::string>> named;
    std::unordered_set<std::string_view> seen;  // keys the properties' own strings hold
    int guard = 0;
    for (Object* p = &o; p && guard < 64; p = p->proto, PayLink(++guard)) {
        Charge(1 + p->props.size());
        for (const auto& [key, prop] : p->props)
            if (!(prop.flags & kDontEnum) && seen.insert(key).second)
                named.push_back({prop.order, prop.name});
    }
    // Newest first, as the reference player lists them.
    std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> out;
    if (o.kind == Kind::kClip && o.display && o.display->clip)
        for (const auto& [depth, child] : o.display->clip->DisplayList())
            if (!child.name.empty())
                out.push_back(child.name);
    for (std::size_t i = o.elements.size(); i-- > 0;)
        out.push_back(std::to_string(i));
    for (auto& [order, name] : named)
        out.push_back(std::move(name));
    Charge(out.size());
    return out;
}

bool Vm::InstanceOf(const Value& v, Object& ctor)
{
    if (!v.IsObject())
        return false;
    const Value proto = Get(Value::Obj(&ctor), "prototype");
    if (!proto.IsObject())
        return false;
    int guard = 0;
    for (Object* p = v.o->proto; p && guard < 64; p = p->proto, PayLink(++guard))
        if (p == proto.o)
            return true;
    return false;
}

}  // namespace swf::avm1
