#include "swf/Avm1Interpreter.h"

#include "swf/SwfPlayer.h"
#include "swf/SwfText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// Bounds-checked reading of one action's operands.
class Operands {
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

std::string Lower(std::string s)
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

}  // namespace

Vm::Vm(Player& player, int version, std::size_t bytes)
    : m_player(player), m_version(version), m_pBytes(std::make_shared<ByteBudget>(bytes))
{
    InstallBuiltins();
    InstallMovieClip();
    InstallDrawing();
    InstallBitmapData();
}

Vm::~Vm() = default;

// ---------------------------------------------------------------------------
// Values

Value Vm::Str(std::string s)
{
    if (s.size() > kMaxStringLength)
        throw ScriptAbort{"a string grew too long"};
    Charge(s.size() / 64);
    const std::size_t n = sizeof(std::string) + s.size();
    Reserve(n);
    auto bytes = m_pBytes;
    return Value::String(StringRef(new std::string(std::move(s)), [bytes, n](const std::string* p) {
        bytes->Refund(n);
        delete p;
    }));
}

void Vm::Charge(std::size_t steps)
{
    if (!m_player.m_work.Take(steps, kCostAction))
        throw ScriptAbort{"the frame's scripts ran too long"};
}

void Vm::Reserve(std::size_t bytes)
{
    if (bytes > m_pBytes->Left())
        throw ScriptAbort{"the scripts take too much memory"};
    m_pBytes->Spend(bytes);
}

Value Vm::ToPrimitive(const Value& v)
{
    if (!v.IsObject())
        return v;
    Object& o = *v.o;
    if (o.kind == Kind::kString || o.kind == Kind::kNumber || o.kind == Kind::kBoolean)
        return o.primitive;
    if (o.kind == Kind::kClip)
        return Str(TargetPath(o, false));
    Value r = CallMethod(v, "valueOf", {});
    if (!r.IsObject())
        return r;
    r = CallMethod(v, "toString", {});
    if (!r.IsObject())
        return r;
    return Str(o.IsFunction() ? "[type Function]" : "[object Object]");
}

std::string Vm::ToString(const Value& v)
{
    switch (v.type) {
    case Value::kUndefined:
        return m_version >= 7 ? "undefined" : "";
    case Value::kNull:
        return "null";
    case Value::kBool:
        return v.b ? "true" : "false";
    case Value::kNumber:
        return FormatNumber(v.n);
    case Value::kString:
        return v.Str();
    case Value::kObject: {
        if (v.o->kind == Kind::kClip)
            return TargetPath(*v.o, false);
        Value r = CallMethod(v, "toString", {});
        if (r.IsObject())
            return v.o->IsFunction() ? "[type Function]" : "[object Object]";
        return ToString(r);
    }
    }
    return "";
}

double Vm::ToNumber(const Value& v)
{
    switch (v.type) {
    case Value::kUndefined:
        return m_version >= 7 ? NAN : 0;
    case Value::kNull:
        return m_version >= 7 ? NAN : 0;
    case Value::kBool:
        return v.b ? 1 : 0;
    case Value::kNumber:
        return v.n;
    case Value::kString:
        return v.Str().empty() && m_version < 5 ? 0 : ParseNumber(v.Str());
    case Value::kObject: {
        const Value p = ToPrimitive(v);
        return p.IsObject() ? NAN : ToNumber(p);
    }
    }
    return NAN;
}

bool Vm::ToBool(const Value& v)
{
    switch (v.type) {
    case Value::kUndefined:
    case Value::kNull:
        return false;
    case Value::kBool:
        return v.b;
    case Value::kNumber:
        return v.n != 0 && !std::isnan(v.n);
    case Value::kString:
        if (m_version >= 7)
            return !v.Str().empty();
        {
            const double n = ParseNumber(v.Str());
            return n != 0 && !std::isnan(n);
        }
    case Value::kObject:
        return true;
    }
    return false;
}

std::string Vm::TypeOf(const Value& v)
{
    switch (v.type) {
    case Value::kUndefined:
        return "undefined";
    case Value::kNull:
        return "null";
    case Value::kBool:
        return "boolean";
    case Value::kNumber:
        return "number";
    case Value::kString:
        return "string";
    case Value::kObject:
        if (v.o->kind == Kind::kClip)
            return v.o->display && !v.o->display->clip ? "object" : "movieclip";
        return v.o->IsFunction() ? "function" : "object";
    }
    return "undefined";
}

bool Vm::StrictEquals(const Value& a, const Value& b)
{
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case Value::kUndefined:
    case Value::kNull:
        return true;
    case Value::kBool:
        return a.b == b.b;
    case Value::kNumber:
        return a.n == b.n;
    case Value::kString:
        return a.Str() == b.Str();
    case Value::kObject:
        return a.o == b.o;
    }
    return false;
}

bool Vm::LooseEquals(const Value& a, const Value& b)
{
    if (a.type == b.type)
        return StrictEquals(a, b);
    if (a.IsNullish() && b.IsNullish())
        return true;
    if (a.IsNullish() || b.IsNullish())
        return false;
    if (a.IsObject() && b.IsObject())
        return a.o == b.o;
    if (a.IsObject())
        return LooseEquals(ToPrimitive(a), b);
    if (b.IsObject())
        return LooseEquals(a, ToPrimitive(b));
    if (a.IsString() && b.IsString())
        return a.Str() == b.Str();
    return ToNumber(a) == ToNumber(b);
}

Value Vm::Less(const Value& a, const Value& b)
{
    const Value pa = ToPrimitive(a), pb = ToPrimitive(b);
    if (pa.IsString() && pb.IsString())
        return Value::Bool(pa.Str() < pb.Str());
    const double x = ToNumber(pa), y = ToNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return {};
    return Value::Bool(x < y);
}

double Vm::Random()
{
    m_nRandom ^= m_nRandom << 13;
    m_nRandom ^= m_nRandom >> 17;
    m_nRandom ^= m_nRandom << 5;
    return (m_nRandom >> 8) / 16777216.0;
}

double Vm::Clock() const
{
    return m_player.m_nFramesPlayed * 1000.0 / std::max(1.0, m_player.m_movie.frameRate);
}

void Vm::Trace(const std::string& text)
{
    if (m_nTraceBytes > kMaxTraceBytes)
        return;
    m_nTraceBytes += text.size();
    if (onTrace)
        onTrace(text);
}

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
    Hold(elements.size() * sizeof(Value));
    Object& a = New(Kind::kArray, m_arrayProto);
    a.elements = std::move(elements);
    return a;
}

Object& Vm::NewNative(NativeFn fn, int length)
{
    Object& f = New(Kind::kFunction, m_functionProto);
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
        Object& w = New(v.IsString() ? Kind::kString : v.IsNumber() ? Kind::kNumber : Kind::kBoolean,
                        v.IsString() ? m_stringProto : v.IsNumber() ? m_numberProto : m_booleanProto);
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

DisplayObject* ChildNamed(Clip& clip, const std::string& name, bool caseSensitive)
{
    for (auto& entry : const_cast<std::map<int, DisplayObject>&>(clip.DisplayList())) {
        DisplayObject& d = entry.second;
        if (d.name.empty())
            continue;
        if (caseSensitive ? d.name == name : Lower(d.name) == Lower(name))
            return &d;
    }
    return nullptr;
}

}  // namespace

Value Vm::Get(const Value& v, const std::string& name)
{
    Object* o = nullptr;
    switch (v.type) {
    case Value::kString:
        if (name == "length")
            return Value::Number(static_cast<double>(v.Str().size()));
        o = m_stringProto;
        break;
    case Value::kNumber:
        o = m_numberProto;
        break;
    case Value::kBool:
        o = m_booleanProto;
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
            Value out;
            if (const Field* field = FieldOf(*o->display); field && GetFieldProperty(*field, name, out))
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
    for (Object* p = o; p && guard < 64; p = p->proto, ++guard) {
        if (Property* prop = p->Find(key)) {
            if (prop->getter)
                return Call(Value::Obj(prop->getter), v, {});
            return prop->value;
        }
        if (p == o && p->kind == Kind::kClip && p->display && p->display->clip)
            if (DisplayObject* child = ChildNamed(*p->display->clip, name, m_version >= 7))
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
            m_player.m_bChanged = true;
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
    for (Object* p = &o; p && guard < 64; p = p->proto, ++guard) {
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
        if (o.display->clip && ChildNamed(*o.display->clip, name, m_version >= 7))
            return true;
    }
    const std::string key = Key(name);
    int guard = 0;
    for (Object* p = &o; p && guard < 64; p = p->proto, ++guard)
        if (p->Find(key))
            return true;
    return false;
}

std::vector<std::string> Vm::Enumerate(Object& o)
{
    std::vector<std::pair<uint32_t, std::string>> named;
    std::vector<std::string> seen;
    int guard = 0;
    for (Object* p = &o; p && guard < 64; p = p->proto, ++guard)
        for (const auto& [key, prop] : p->props)
            if (!(prop.flags & kDontEnum) && std::find(seen.begin(), seen.end(), key) == seen.end()) {
                seen.push_back(key);
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
    for (Object* p = v.o->proto; p && guard < 64; p = p->proto, ++guard)
        if (p == proto.o)
            return true;
    return false;
}

Object* Vm::ClassOf(uint16_t characterId) const
{
    auto it = m_classes.find(characterId);
    return it == m_classes.end() ? nullptr : it->second;
}

Object& Vm::ObjectOf(DisplayObject& display)
{
    if (display.script)
        return *display.script;
    Object* proto = display.clip ? m_clipProto : FieldOf(display) ? m_textFieldProto : m_buttonProto;
    if (Object* cls = ClassOf(display.characterId)) {
        const Value p = Get(Value::Obj(cls), "prototype");
        if (p.IsObject())
            proto = p.o;
    }
    // The display list's objects must get one even when the scripts ran out of budget.
    if (m_heap.size() >= kMaxObjects + 4096)
        throw ScriptAbort{"too many objects"};
    // Taken even past the scripts' bytes, like the objects past kMaxObjects.
    const std::size_t bytes = std::min(sizeof(Object), m_pBytes->Left());
    m_pBytes->Spend(bytes);
    m_nHeapBytes += bytes;
    m_heap.push_back(std::make_unique<Object>(Kind::kClip));
    Object& o = *m_heap.back();
    o.proto = proto;
    o.display = &display;
    display.script = &o;
    return o;
}

void Vm::ConstructClip(Object& clip)
{
    if (!clip.display)
        return;
    Object* cls = ClassOf(clip.display->characterId);
    if (!cls)
        return;
    try {
        Call(Value::Obj(cls), Value::Obj(&clip), {});
    } catch (const ScriptAbort&) {
    } catch (const ScriptThrow&) {
    }
}

// ---------------------------------------------------------------------------
// Calls

Value Vm::Call(const Value& fn, const Value& self, const std::vector<Value>& args)
{
    if (!fn.IsObject() || !fn.o->IsFunction())
        return {};
    Charge(1);
    Object& f = *fn.o;
    if (f.native) {
        DepthGuard depth(m_nDepth);
        return f.native(*this, f, self, args);
    }
    if (f.script)
        return RunFunction(f, self, args);
    return {};
}

Value Vm::CallMethod(const Value& object, const std::string& name, const std::vector<Value>& args)
{
    return Call(Get(object, name), object, args);
}

Value Vm::Construct(const Value& ctor, const std::vector<Value>& args)
{
    if (!ctor.IsObject() || !ctor.o->IsFunction())
        return {};
    const Value proto = Get(ctor, "prototype");
    Object& o = New(Kind::kObject, proto.IsObject() ? proto.o : m_objectProto);
    SetOwn(o, "constructor", ctor, kDontEnum);
    SetOwn(o, "__constructor__", ctor, kDontEnum);
    if (ctor.o->native) {
        const bool saved = m_bConstructing;
        m_bConstructing = true;
        Value r;
        try {
            r = Call(ctor, Value::Obj(&o), args);
        } catch (...) {
            m_bConstructing = saved;
            throw;
        }
        m_bConstructing = saved;
        return r.IsObject() ? r : Value::Obj(&o);
    }
    Call(ctor, Value::Obj(&o), args);
    return Value::Obj(&o);
}

void Vm::CallHandler(Object& object, const char* name)
{
    try {
        const Value fn = Get(Value::Obj(&object), name);
        if (fn.IsObject() && fn.o->IsFunction())
            Call(fn, Value::Obj(&object), {});
    } catch (const ScriptAbort&) {
    } catch (const ScriptThrow&) {
    }
}

Value Vm::RunFunction(Object& fn, const Value& self, const std::vector<Value>& args)
{
    DepthGuard depth(m_nDepth);
    const ScriptFunction& s = *fn.script;
    Object& locals = New(Kind::kObject, nullptr);
    Frame f;
    f.code = s.code;
    f.size = s.size;
    f.pool = s.pool;
    f.scope = std::make_shared<const Scope>(Scope{s.scope, &locals});
    // A method of a clip acts on that clip; any other function on the clip it was defined in.
    if (self.IsObject() && self.o->kind == Kind::kClip && self.o->display)
        f.origTarget = self.o;
    else
        f.origTarget = s.target && s.target->display ? s.target : &ObjectOf(m_player.m_rootObject);
    f.target = f.origTarget;
    f.self = self;
    f.locals = &locals;
    f.registers.resize(s.version2 ? std::max(1, s.registers) : 4);
    Object& arguments = NewArray(args);
    SetOwn(arguments, "callee", Value::Obj(&fn), kDontEnum);
    if (s.version2) {
        // Preloaded registers from 1, in this order: this, arguments, super, _root, _parent, _global.
        std::size_t r = 1;
        auto preload = [&](uint16_t flag, const Value& v) {
            if ((s.flags & flag) && r < f.registers.size())
                f.registers[r++] = v;
        };
        preload(0x0001, self);
        preload(0x0004, Value::Obj(&arguments));
        Object* super = self.IsObject() && self.o->proto ? self.o->proto->proto : nullptr;
        preload(0x0010, Value::Obj(super));
        preload(0x0040, Value::Obj(&ObjectOf(m_player.m_rootObject)));
        Object* parent = nullptr;
        if (f.target->display && f.target->display->parent)
            parent = &ObjectOf(*f.target->display->parent->m_pHolder);
        preload(0x0080, parent ? Value::Obj(parent) : Value{});
        preload(0x0100, Value::Obj(m_global));
        if (!(s.flags & 0x000C))
            SetOwn(locals, "arguments", Value::Obj(&arguments));
        if (!(s.flags & 0x0030) && super)
            SetOwn(locals, "super", Value::Obj(super));
    } else {
        SetOwn(locals, "arguments", Value::Obj(&arguments));
    }
    for (std::size_t i = 0; i < s.params.size(); ++i) {
        const Value arg = i < args.size() ? args[i] : Value{};
        const auto& [reg, name] = s.params[i];
        if (s.version2 && reg > 0 && reg < f.registers.size())
            f.registers[reg] = arg;
        else
            SetOwn(locals, name, arg);
    }
    Object* savedTarget = m_pTarget;
    m_pTarget = f.target;
    Outcome r;
    try {
        r = Execute(f, 0, f.size);
    } catch (...) {
        m_pTarget = savedTarget;
        throw;
    }
    m_pTarget = savedTarget;
    return r.kind == Outcome::kReturn ? r.value : Value{};
}

void Vm::RunBlock(const uint8_t* code, std::size_t size, Object& clip)
{
    Frame f;
    f.code = code;
    f.size = size;
    f.origTarget = f.target = &clip;
    f.self = Value::Obj(&clip);
    f.registers.resize(4);
    f.scope = std::make_shared<const Scope>(Scope{std::make_shared<const Scope>(Scope{nullptr, m_global}), &clip});
    m_nTraceBytes = 0;
    m_pTarget = &clip;
    try {
        Execute(f, 0, size);
    } catch (const ScriptAbort&) {
    } catch (const ScriptThrow&) {
    }
    m_pTarget = nullptr;
    m_nDepth = 0;
}

// ---------------------------------------------------------------------------
// Variables and paths

Object* Vm::ResolveTarget(const std::string& path, Object* base)
{
    if (path.empty())
        return base;
    Object* root = &ObjectOf(m_player.m_rootObject);
    auto parentOf = [&](Object* o) -> Object* {
        if (!o || !o->display || !o->display->parent)
            return nullptr;
        return &ObjectOf(*o->display->parent->m_pHolder);
    };
    const bool slash = path.find('/') != std::string::npos;
    const char sep = slash ? '/' : '.';
    Object* o = base;
    std::size_t pos = 0;
    if (slash && path[0] == '/') {
        o = root;
        pos = 1;
    }
    bool first = true;
    while (pos <= path.size() && o) {
        std::size_t next = path.find(sep, pos);
        if (next == std::string::npos)
            next = path.size();
        const std::string seg = path.substr(pos, next - pos);
        pos = next + 1;
        if (seg.empty()) {
            if (next >= path.size())
                break;
            continue;
        }
        const std::string lower = Lower(seg);
        if (seg == ".." || lower == "_parent") {
            o = parentOf(o);
        } else if (lower == "_root" || lower == "_level0") {
            o = root;
        } else if (first && seg == "this") {
        } else if (first && lower == "_global") {
            o = m_global;
        } else {
            const Value v = Get(Value::Obj(o), seg);
            o = v.IsObject() ? v.o : nullptr;
        }
        first = false;
        if (next >= path.size())
            break;
    }
    return o;
}

std::string Vm::TargetPath(Object& clip, bool slashes)
{
    std::vector<std::string> names;
    for (DisplayObject* d = clip.display; d && d->parent; d = d->parent->m_pHolder)
        names.push_back(d->name);
    if (!clip.display)
        return "";
    std::string out = slashes ? "" : "_level0";
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        out += (slashes ? "/" : ".") + *it;
    return slashes && out.empty() ? "/" : out;
}

const Field* Vm::FieldOf(const DisplayObject& d) const
{
    if (d.field)
        return &d.field->field;
    auto it = m_player.m_movie.fields.find(d.characterId);
    return it == m_player.m_movie.fields.end() ? nullptr : &it->second;
}

namespace {

// A text field's switches and colours, as scripts name them.
struct FieldFlag {
    const char* name;
    bool Field::*member;
};
constexpr FieldFlag kFieldFlags[] = {{"border", &Field::border},       {"background", &Field::background},
                                     {"html", &Field::html},           {"embedFonts", &Field::outlines},
                                     {"multiline", &Field::multiline}, {"wordWrap", &Field::wordWrap},
                                     {"password", &Field::password}};
struct FieldColor {
    const char* name;
    Rgba Field::*member;
};
constexpr FieldColor kFieldColors[] = {
    {"borderColor", &Field::borderColor}, {"backgroundColor", &Field::backgroundColor}, {"textColor", &Field::color}};

}  // namespace

bool Vm::GetFieldProperty(const Field& field, const std::string& name, Value& out)
{
    if (name == "text" || name == "htmlText") {
        out = Str(field.text);
        return true;
    }
    if (name == "autoSize") {
        out = Str(field.autoSize);
        return true;
    }
    for (const FieldFlag& f : kFieldFlags)
        if (name == f.name) {
            out = Value::Bool(field.*f.member);
            return true;
        }
    for (const FieldColor& c : kFieldColors)
        if (name == c.name) {
            const Rgba& v = field.*c.member;
            out = Value::Number(v.r << 16 | v.g << 8 | v.b);
            return true;
        }
    return false;
}

bool Vm::SetFieldProperty(DisplayObject& d, const std::string& name, const Value& value)
{
    const Field* current = FieldOf(d);
    if (!current)
        return false;
    Field next = *current;
    if (name == "text" || name == "htmlText") {
        next.text = ToString(value);
        // HTML only in a field that takes it.
        next.markup = name == "htmlText" && next.html;
    } else if (name == "autoSize") {
        // true stands for "left", false and anything unknown for "none".
        const std::string mode = value.type == Value::kBool ? (ToBool(value) ? "left" : "none") : ToString(value);
        next.autoSize = mode == "left" || mode == "right" || mode == "center" ? mode : "none";
    } else if (auto flag = std::find_if(std::begin(kFieldFlags), std::end(kFieldFlags),
                                        [&](const FieldFlag& f) { return name == f.name; });
               flag != std::end(kFieldFlags)) {
        next.*flag->member = ToBool(value);
    } else if (auto color = std::find_if(std::begin(kFieldColors), std::end(kFieldColors),
                                         [&](const FieldColor& c) { return name == c.name; });
               color != std::end(kFieldColors)) {
        const uint32_t rgb = static_cast<uint32_t>(ToInt(value));
        next.*color->member = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
    } else {
        return false;
    }
    SetField(d, std::move(next));
    return true;
}

void Vm::SetField(DisplayObject& d, Field field)
{
    Charge(field.text.size());
    auto next = std::make_unique<ScriptField>();
    next->field = std::move(field);
    // The layout is counted by what it keeps, once it is done.
    const std::size_t left = m_pBytes->Left();
    try {
        next->text = LayOutField(next->field, m_player.m_movie.fonts, *m_pBytes);
    } catch (const FormatError&) {
        m_pBytes->Refund(left - m_pBytes->Left());
        throw ScriptAbort{"the scripts take too much memory"};
    }
    m_pBytes->Refund(left - m_pBytes->Left());
    Hold(FieldBytes(next->field, next->text));
    if (d.field)
        Release(FieldBytes(d.field->field, d.field->text));
    d.field = std::move(next);
    m_player.m_bChanged = true;
}

bool Vm::LoadInto(Object& target, const std::string& url)
{
    Clip* clip = ClipOf(Value::Obj(&target));
    if (!clip || !m_player.m_loadImage)
        return false;
    auto image = std::make_unique<Bitmap>();
    const std::size_t room = std::min(kMaxBitmapPixels, m_pBytes->Left() / sizeof(uint32_t));
    if (!m_player.m_loadImage(url, room, *image) || image->pixels.empty() || image->pixels.size() > room ||
        image->pixels.size() != static_cast<std::size_t>(image->width) * image->height)
        return false;
    Hold(image->pixels.size() * sizeof(uint32_t));
    // The image takes the place of what the clip showed.
    while (!clip->m_list.empty())
        m_player.RemoveAt(*clip, clip->m_list.begin()->first);
    clip->m_pDrawing.reset();
    clip->m_pImage = std::move(image);
    m_player.m_bChanged = true;
    return true;
}

Clip* Vm::ClipOf(const Value& v)
{
    if (!v.IsObject() || v.o->kind != Kind::kClip || !v.o->display)
        return nullptr;
    return v.o->display->clip.get();
}

bool Vm::FindInScope(Frame& f, const std::string& name, Value& out)
{
    int guard = 0;
    for (const Scope* s = f.scope.get(); s && guard < 256; s = s->outer.get(), ++guard) {
        if (s->object && HasProperty(*s->object, name)) {
            out = Get(Value::Obj(s->object), name);
            return true;
        }
    }
    return false;
}

Value Vm::GetVariable(Frame& f, const std::string& name)
{
    const std::size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
        Object* o = ResolveTarget(name.substr(0, colon), f.target);
        return o ? Get(Value::Obj(o), name.substr(colon + 1)) : Value{};
    }
    if (name.find('/') != std::string::npos) {
        Object* o = ResolveTarget(name, f.target);
        return Value::Obj(o);
    }
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos && dot > 0) {
        Value v = GetVariable(f, name.substr(0, dot));
        std::size_t pos = dot + 1;
        while (v.IsObject()) {
            std::size_t next = name.find('.', pos);
            if (next == std::string::npos)
                next = name.size();
            v = Get(v, name.substr(pos, next - pos));
            if (next >= name.size())
                return v;
            pos = next + 1;
        }
        return {};
    }
    if (name == "this")
        return f.self.IsUndefined() ? Value::Obj(f.target) : f.self;
    Value out;
    if (FindInScope(f, name, out))
        return out;
    const std::string lower = Lower(name);
    if (lower == "_root" || lower == "_level0")
        return Value::Obj(&ObjectOf(m_player.m_rootObject));
    if (lower == "_global")
        return Value::Obj(m_global);
    if (lower == "_parent")
        return Value::Obj(ResolveTarget("_parent", f.target));
    return {};
}

void Vm::SetVariable(Frame& f, const std::string& name, const Value& v)
{
    const std::size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
        if (Object* o = ResolveTarget(name.substr(0, colon), f.target))
            Set(Value::Obj(o), name.substr(colon + 1), v);
        return;
    }
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        const Value o = GetVariable(f, name.substr(0, dot));
        Set(o, name.substr(dot + 1), v);
        return;
    }
    int guard = 0;
    for (const Scope* s = f.scope.get(); s && guard < 256; s = s->outer.get(), ++guard) {
        if (s->object && s->object != m_global && HasProperty(*s->object, name)) {
            Set(Value::Obj(s->object), name, v);
            return;
        }
    }
    Set(Value::Obj(f.target), name, v);
}

void Vm::SetTarget(Frame& f, Object* target)
{
    f.target = target ? target : f.origTarget;
    m_pTarget = f.target;
    if (!f.locals)
        f.scope = std::make_shared<const Scope>(Scope{std::make_shared<const Scope>(Scope{nullptr, m_global}), f.target});
}

void Vm::Goto(Object* clip, const Value& frame, int play, int bias)
{
    Clip* c = clip ? ClipOf(Value::Obj(clip)) : nullptr;
    if (!c)
        return;
    int index = -1;
    Value fv = frame;
    if (fv.IsString()) {
        // "label", "frame number" or "target:frame".
        std::string s = fv.Str();
        const std::size_t colon = s.rfind(':');
        if (colon != std::string::npos) {
            clip = ResolveTarget(s.substr(0, colon), clip);
            c = clip ? ClipOf(Value::Obj(clip)) : nullptr;
            if (!c)
                return;
            s = s.substr(colon + 1);
        }
        const double n = ParseNumber(s);
        if (!std::isnan(n)) {
            index = static_cast<int>(n) - 1;
        } else {
            const auto& labels = c->m_timeline->labels;
            auto it = labels.find(s);
            if (it == labels.end())
                it = std::find_if(labels.begin(), labels.end(),
                                  [&](const auto& l) { return Lower(l.first) == Lower(s); });
            if (it == labels.end())
                return;
            index = it->second;
        }
    } else {
        const double n = ToNumber(fv);
        if (std::isnan(n))
            return;
        index = static_cast<int>(std::clamp(n, -1.0, 1e6)) - 1;
    }
    index += bias;
    index = std::clamp(index, 0, std::max(0, c->FrameCount() - 1));
    if (play >= 0)
        c->m_bPlaying = play == 1;
    m_player.GotoFrame(*c, index, m_player.Nesting(*c));
}

// ---------------------------------------------------------------------------
// The interpreter loop

Vm::Outcome Vm::Execute(Frame& f, std::size_t begin, std::size_t end)
{
    const uint8_t* code = f.code;
    std::size_t pc = begin;
    auto jumpTo = [&](std::size_t target, Outcome& out) -> bool {
        // A target inside this range continues here; anything else goes to the caller.
        if (target >= begin && target <= end)
            return false;
        out = {Outcome::kJump, target, {}};
        return true;
    };
    // After a with or try block: a return or a jump out of this range leaves; else the code
    // goes on where the block jumped to, or after it.
    auto leaveBlock = [&](const Outcome& r, std::size_t after, Outcome& out) {
        if (r.kind == Outcome::kReturn) {
            out = r;
            return true;
        }
        if (r.kind == Outcome::kJump && jumpTo(r.pc, out))
            return true;
        pc = r.kind == Outcome::kJump ? r.pc : after;
        return false;
    };
    auto popArgs = [&](Frame& fr) {
        const double n = ToNumber(fr.Pop());
        std::vector<Value> args;
        const std::size_t count = n > 0 ? static_cast<std::size_t>(std::min<double>(n, kMaxStack)) : 0;
        for (std::size_t i = 0; i < count && !fr.stack.empty(); ++i)
            args.push_back(fr.Pop());
        return args;
    };
    auto boolOut = [&](bool b) { return m_version >= 5 ? Value::Bool(b) : Value::Number(b ? 1 : 0); };
    while (pc < end) {
        Charge(1);
        const uint8_t op = code[pc++];
        if (op == 0)
            return {};
        std::size_t len = 0;
        if (op >= 0x80) {
            if (end - pc < 2)
                throw ScriptAbort{"an action is truncated"};
            len = code[pc] | code[pc + 1] << 8;
            pc += 2;
            if (end - pc < len)
                throw ScriptAbort{"an action is truncated"};
        }
        Operands d(code + pc, len);
        pc += len;
        switch (op) {
        // Timeline
        case 0x04: // NextFrame
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                Goto(f.target, Value::Number(c->m_nFrame + 2), 0, 0);
            break;
        case 0x05: // PrevFrame
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                Goto(f.target, Value::Number(std::max(1, c->m_nFrame)), 0, 0);
            break;
        case 0x06: // Play
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                c->m_bPlaying = true;
            break;
        case 0x07: // Stop
            if (Clip* c = ClipOf(Value::Obj(f.target)))
                c->m_bPlaying = false;
            break;
        case 0x08: // ToggleQuality
        case 0x09: // StopSounds
            break;
        case 0x81: // GotoFrame
            Goto(f.target, Value::Number(d.U16() + 1), -1, 0);
            break;
        case 0x8C: // GoToLabel
            Goto(f.target, Str(d.Str()), -1, 0);
            break;
        case 0x9F: { // GotoFrame2
            const uint8_t flags = d.U8();
            const int bias = (flags & 2) ? d.U16() : 0;
            Goto(f.target, f.Pop(), flags & 1, bias);
            break;
        }
        case 0x8A: // WaitForFrame: every frame is loaded
        case 0x8D: // WaitForFrame2
            if (op == 0x8D)
                f.Pop();
            break;
        case 0x8B: // SetTarget
            SetTarget(f, ResolveTarget(d.Str(), f.origTarget));
            break;
        case 0x20: { // SetTarget2
            const Value t = f.Pop();
            SetTarget(f, t.IsObject() ? t.o : ResolveTarget(ToString(t), f.origTarget));
            break;
        }
        case 0x83: // GetURL: never opens anything
            break;
        case 0x9A: // GetURL2
            f.Pop();
            f.Pop();
            break;
        case 0x9E: // Call
            CallFrame(f, f.Pop());
            break;

        // Stack and constants
        case 0x96: { // Push
            while (d.More()) {
                const uint8_t type = d.U8();
                switch (type) {
                case 0: f.Push(Str(d.Str())); break;
                case 1: {
                    const uint32_t bits = d.U32();
                    float v;
                    std::memcpy(&v, &bits, 4);
                    f.Push(Value::Number(v));
                    break;
                }
                case 2: f.Push(Value::Null()); break;
                case 3: f.Push({}); break;
                case 4: {
                    const uint8_t r = d.U8();
                    f.Push(r < f.registers.size() ? f.registers[r] : Value{});
                    break;
                }
                case 5: f.Push(Value::Bool(d.U8() != 0)); break;
                case 6: {
                    const uint64_t hi = d.U32();
                    const uint64_t lo = d.U32();
                    const uint64_t bits = hi << 32 | lo;
                    double v;
                    std::memcpy(&v, &bits, 8);
                    f.Push(Value::Number(v));
                    break;
                }
                case 7: f.Push(Value::Number(static_cast<int32_t>(d.U32()))); break;
                case 8:
                case 9: {
                    const std::size_t i = type == 8 ? d.U8() : d.U16();
                    f.Push(f.pool && i < f.pool->size() ? (*f.pool)[i] : Value{});
                    break;
                }
                default:
                    throw ScriptAbort{"a push has an unknown type"};
                }
            }
            break;
        }
        case 0x17: f.Pop(); break;
        case 0x4C: { // PushDuplicate
            Value v = f.stack.empty() ? Value{} : f.stack.back();
            f.Push(std::move(v));
            break;
        }
        case 0x4D: { // StackSwap
            Value a = f.Pop(), b = f.Pop();
            f.Push(std::move(a));
            f.Push(std::move(b));
            break;
        }
        case 0x88: { // ConstantPool
            auto pool = std::make_shared<std::vector<Value>>();
            for (int n = d.U16(); n > 0; --n)
                pool->push_back(Str(d.Str()));
            f.pool = std::move(pool);
            break;
        }
        case 0x87: { // StoreRegister
            const uint8_t r = d.U8();
            if (r < f.registers.size())
                f.registers[r] = f.stack.empty() ? Value{} : f.stack.back();
            break;
        }

        // Arithmetic
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x3F: {
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            double r = 0;
            switch (op) {
            case 0x0A: r = a + b; break;
            case 0x0B: r = a - b; break;
            case 0x0C: r = a * b; break;
            case 0x0D: r = b == 0 && m_version < 5 ? NAN : a / b; break;
            default: r = std::fmod(a, b); break;
            }
            f.Push(Value::Number(r));
            break;
        }
        case 0x47: { // Add2
            const Value b = ToPrimitive(f.Pop()), a = ToPrimitive(f.Pop());
            if (a.IsString() || b.IsString())
                f.Push(Str(ToString(a) + ToString(b)));
            else
                f.Push(Value::Number(ToNumber(a) + ToNumber(b)));
            break;
        }
        case 0x50: f.Push(Value::Number(ToNumber(f.Pop()) + 1)); break;
        case 0x51: f.Push(Value::Number(ToNumber(f.Pop()) - 1)); break;
        case 0x18: f.Push(Value::Number(std::trunc(ToNumber(f.Pop())))); break;
        case 0x4A: f.Push(Value::Number(ToNumber(f.Pop()))); break;
        case 0x4B: f.Push(Str(ToString(f.Pop()))); break;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            const int32_t b = ToInt(f.Pop()), a = ToInt(f.Pop());
            double r = 0;
            switch (op) {
            case 0x60: r = a & b; break;
            case 0x61: r = a | b; break;
            case 0x62: r = a ^ b; break;
            case 0x63: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
            case 0x64: r = a >> (b & 31); break;
            default: r = static_cast<uint32_t>(a) >> (b & 31); break;
            }
            f.Push(Value::Number(r));
            break;
        }

        // Comparison and logic
        case 0x0E: { // Equals (numbers)
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            f.Push(boolOut(a == b));
            break;
        }
        case 0x0F: { // Less (numbers)
            const double b = ToNumber(f.Pop()), a = ToNumber(f.Pop());
            f.Push(boolOut(a < b));
            break;
        }
        case 0x10: case 0x11: { // And, Or
            const bool b = ToBool(f.Pop()), a = ToBool(f.Pop());
            f.Push(boolOut(op == 0x10 ? a && b : a || b));
            break;
        }
        case 0x12: f.Push(boolOut(!ToBool(f.Pop()))); break;
        case 0x49: { // Equals2
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Value::Bool(LooseEquals(a, b)));
            break;
        }
        case 0x66: { // StrictEquals
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Value::Bool(StrictEquals(a, b)));
            break;
        }
        case 0x48: { // Less2
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Less(a, b));
            break;
        }
        case 0x67: { // Greater
            const Value b = f.Pop(), a = f.Pop();
            f.Push(Less(b, a));
            break;
        }

        // Strings
        case 0x13: case 0x29: case 0x68: { // StringEquals, StringLess, StringGreater
            const std::string b = ToString(f.Pop()), a = ToString(f.Pop());
            f.Push(boolOut(op == 0x13 ? a == b : op == 0x29 ? a < b : a > b));
            break;
        }
        case 0x14: case 0x31: f.Push(Value::Number(static_cast<double>(ToString(f.Pop()).size()))); break;
        case 0x21: { // StringAdd
            const std::string b = ToString(f.Pop()), a = ToString(f.Pop());
            f.Push(Str(a + b));
            break;
        }
        case 0x15: case 0x35: { // StringExtract: string, index (1-based), count
            const double count = ToNumber(f.Pop()), index = ToNumber(f.Pop());
            const std::string s = ToString(f.Pop());
            const double from = std::isnan(index) ? 0 : std::clamp(index - 1, 0.0, static_cast<double>(s.size()));
            const double n = std::isnan(count) || count < 0 ? static_cast<double>(s.size()) : count;
            f.Push(Str(s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(std::min<double>(n, s.size())))));
            break;
        }
        case 0x32: case 0x36: { // CharToAscii
            const std::string s = ToString(f.Pop());
            f.Push(Value::Number(s.empty() ? 0 : static_cast<uint8_t>(s[0])));
            break;
        }
        case 0x33: case 0x37: { // AsciiToChar
            const int c = ToInt(f.Pop()) & 0xFF;
            f.Push(Str(std::string(1, static_cast<char>(c))));
            break;
        }

        // Variables and members
        case 0x1C: f.Push(GetVariable(f, ToString(f.Pop()))); break;
        case 0x1D: {
            const Value v = f.Pop();
            SetVariable(f, ToString(f.Pop()), v);
            break;
        }
        case 0x3C: { // DefineLocal
            const Value v = f.Pop();
            const std::string name = ToString(f.Pop());
            if (f.locals)
                SetOwn(*f.locals, name, v);
            else
                SetVariable(f, name, v);
            break;
        }
        case 0x41: { // DefineLocal2
            const std::string name = ToString(f.Pop());
            if (f.locals && !f.locals->Find(Key(name)))
                SetOwn(*f.locals, name, {});
            break;
        }
        case 0x3A: { // Delete
            const std::string name = ToString(f.Pop());
            const Value o = f.Pop();
            f.Push(Value::Bool(o.IsObject() && Delete(*o.o, name)));
            break;
        }
        case 0x3B: { // Delete2
            const std::string name = ToString(f.Pop());
            bool done = false;
            for (const Scope* s = f.scope.get(); s && !done; s = s->outer.get())
                if (s->object && s->object->Find(Key(name)))
                    done = Delete(*s->object, name);
            f.Push(Value::Bool(done));
            break;
        }
        case 0x4E: { // GetMember
            const Value name = f.Pop();
            const Value o = f.Pop();
            f.Push(Get(o, ToString(name)));
            break;
        }
        case 0x4F: { // SetMember
            const Value v = f.Pop();
            const std::string name = ToString(f.Pop());
            Set(f.Pop(), name, v);
            break;
        }
        case 0x22: { // GetProperty
            const int index = ToInt(f.Pop());
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            f.Push(o && o->kind == Kind::kClip && o->display ? GetClipProperty(*o, index) : Value{});
            break;
        }
        case 0x23: { // SetProperty
            const Value v = f.Pop();
            const int index = ToInt(f.Pop());
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            if (o && o->kind == Kind::kClip && o->display)
                SetClipProperty(*o, index, v);
            break;
        }
        case 0x45: { // TargetPath
            const Value v = f.Pop();
            f.Push(v.IsObject() && v.o->kind == Kind::kClip ? Str(TargetPath(*v.o, false)) : Value{});
            break;
        }
        case 0x24: { // CloneSprite
            const Value depth = f.Pop(), name = f.Pop(), source = f.Pop();
            Object* o = ResolveTarget(ToString(source), f.target);
            if (o)
                CallMethod(Value::Obj(o), "duplicateMovieClip", {name, Value::Number(ToNumber(depth) - 16384)});
            break;
        }
        case 0x25: { // RemoveSprite
            Object* o = ResolveTarget(ToString(f.Pop()), f.target);
            if (o)
                CallMethod(Value::Obj(o), "removeMovieClip", {});
            break;
        }
        case 0x27: { // StartDrag: nothing is dragged
            f.Pop();
            f.Pop();
            if (ToBool(f.Pop()))
                for (int i = 0; i < 4; ++i)
                    f.Pop();
            break;
        }
        case 0x28: break; // EndDrag

        // Objects
        case 0x40: { // NewObject
            const std::string name = ToString(f.Pop());
            const std::vector<Value> args = popArgs(f);
            f.Push(Construct(GetVariable(f, name), args));
            break;
        }
        case 0x53: { // NewMethod
            const Value name = f.Pop();
            const Value o = f.Pop();
            const std::vector<Value> args = popArgs(f);
            const std::string n = name.IsNullish() ? "" : ToString(name);
            f.Push(Construct(n.empty() ? o : Get(o, n), args));
            break;
        }
        case 0x42: { // InitArray
            std::vector<Value> elements = popArgs(f);
            f.Push(Value::Obj(&NewArray(std::move(elements))));
            break;
        }
        case 0x43: { // InitObject
            const double n = ToNumber(f.Pop());
            Object& o = NewObject();
            for (double i = 0; i < n && !f.stack.empty(); ++i) {
                const Value v = f.Pop();
                Set(Value::Obj(&o), ToString(f.Pop()), v);
            }
            f.Push(Value::Obj(&o));
            break;
        }
        case 0x44: f.Push(Str(TypeOf(f.Pop()))); break;
        case 0x54: { // InstanceOf
            const Value ctor = f.Pop(), v = f.Pop();
            f.Push(Value::Bool(ctor.IsObject() && InstanceOf(v, *ctor.o)));
            break;
        }
        case 0x2B: { // CastOp
            const Value v = f.Pop(), ctor = f.Pop();
            f.Push(ctor.IsObject() && InstanceOf(v, *ctor.o) ? v : Value::Null());
            break;
        }
        case 0x2C: { // ImplementsOp: interfaces are not checked
            f.Pop();
            popArgs(f);
            break;
        }
        case 0x69: { // Extends
            const Value super = f.Pop(), sub = f.Pop();
            if (sub.IsObject() && super.IsObject()) {
                const Value proto = Get(super, "prototype");
                Object& p = New(Kind::kObject, proto.IsObject() ? proto.o : m_objectProto);
                SetOwn(p, "constructor", super, kDontEnum);
                SetOwn(p, "__constructor__", super, kDontEnum);
                Set(sub, "prototype", Value::Obj(&p));
            }
            break;
        }
        case 0x46: case 0x55: { // Enumerate, Enumerate2
            const Value v = op == 0x46 ? GetVariable(f, ToString(f.Pop())) : f.Pop();
            f.Push(Value::Null());
            // Pushed oldest first, so that the newest comes off the stack first.
            if (v.IsObject()) {
                std::vector<std::string> names = Enumerate(*v.o);
                for (auto it = names.rbegin(); it != names.rend(); ++it)
                    f.Push(Str(std::move(*it)));
            }
            break;
        }

        // Functions and calls
        case 0x9B: case 0x8E: { // DefineFunction, DefineFunction2
            auto s = std::make_unique<ScriptFunction>();
            const std::string name = d.Str();
            const int params = d.U16();
            s->version2 = op == 0x8E;
            if (s->version2) {
                s->registers = d.U8();
                s->flags = d.U16();
            }
            for (int i = 0; i < params; ++i) {
                const uint8_t reg = s->version2 ? d.U8() : 0;
                s->params.push_back({reg, d.Str()});
            }
            const std::size_t bodySize = d.U16();
            if (end - pc < bodySize)
                throw ScriptAbort{"a function's body is truncated"};
            s->code = code + pc;
            s->size = bodySize;
            pc += bodySize;
            s->scope = f.scope;
            s->pool = f.pool;
            s->target = f.origTarget;
            Object& fn = New(Kind::kFunction, m_functionProto);
            fn.script = std::move(s);
            Object& proto = NewObject();
            SetOwn(proto, "constructor", Value::Obj(&fn), kDontEnum);
            SetOwn(fn, "prototype", Value::Obj(&proto), kDontEnum);
            if (name.empty()) {
                f.Push(Value::Obj(&fn));
            } else if (f.locals) {
                SetOwn(*f.locals, name, Value::Obj(&fn));
            } else {
                Set(Value::Obj(f.target), name, Value::Obj(&fn));
            }
            break;
        }
        case 0x3D: { // CallFunction
            const std::string name = ToString(f.Pop());
            const std::vector<Value> args = popArgs(f);
            f.Push(Call(GetVariable(f, name), {}, args));
            break;
        }
        case 0x52: { // CallMethod
            const Value name = f.Pop();
            const Value o = f.Pop();
            const std::vector<Value> args = popArgs(f);
            const std::string n = name.IsNullish() ? "" : ToString(name);
            f.Push(n.empty() ? Call(o, {}, args) : Call(Get(o, n), o, args));
            break;
        }
        case 0x3E: { // Return
            Outcome r{Outcome::kReturn, pc, f.Pop()};
            return r;
        }
        case 0x99: case 0x9D: { // Jump, If
            const int16_t offset = static_cast<int16_t>(d.U16());
            if (op == 0x9D && !ToBool(f.Pop()))
                break;
            const std::ptrdiff_t target = static_cast<std::ptrdiff_t>(pc) + offset;
            if (target < 0)
                return {};
            Outcome out;
            if (jumpTo(static_cast<std::size_t>(target), out))
                return out;
            pc = static_cast<std::size_t>(target);
            break;
        }
        case 0x94: { // With
            const std::size_t bodySize = d.U16();
            if (end - pc < bodySize)
                throw ScriptAbort{"a with block is truncated"};
            Object* o = ToObject(f.Pop());
            const std::size_t after = pc + bodySize;
            if (!o) {
                pc = after;
                break;
            }
            auto saved = f.scope;
            f.scope = std::make_shared<const Scope>(Scope{saved, o});
            Outcome r;
            try {
                r = Execute(f, pc, after);
            } catch (...) {
                f.scope = saved;
                throw;
            }
            f.scope = saved;
            if (Outcome out; leaveBlock(r, after, out))
                return out;
            break;
        }
        case 0x8F: { // Try
            const uint8_t flags = d.U8();
            const std::size_t trySize = d.U16(), catchSize = d.U16(), finallySize = d.U16();
            std::string catchName;
            uint8_t catchRegister = 0;
            if (flags & 4)
                catchRegister = d.U8();
            else
                catchName = d.Str();
            const std::size_t catchBegin = pc + trySize, finallyBegin = catchBegin + catchSize;
            const std::size_t after = finallyBegin + finallySize;
            if (after > end)
                throw ScriptAbort{"a try block is truncated"};
            Outcome r;
            bool rethrow = false;
            ScriptThrow pending;
            try {
                r = Execute(f, pc, catchBegin);
            } catch (const ScriptThrow& t) {
                if (flags & 1) {
                    if (flags & 4) {
                        if (catchRegister < f.registers.size())
                            f.registers[catchRegister] = t.value;
                    } else if (f.locals) {
                        SetOwn(*f.locals, catchName, t.value);
                    } else {
                        SetVariable(f, catchName, t.value);
                    }
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
            if (Outcome out; leaveBlock(r, after, out))
                return out;
            break;
        }
        case 0x2A: throw ScriptThrow{f.Pop()};

        // Other
        case 0x26: Trace(ToString(f.Pop())); break;
        case 0x30: { // RandomNumber
            const double n = ToNumber(f.Pop());
            f.Push(Value::Number(n >= 1 ? std::floor(Random() * std::floor(n)) : 0));
            break;
        }
        case 0x34: f.Push(Value::Number(std::floor(Clock()))); break;
        default:
            break;  // unknown actions are skipped by their length
        }
    }
    return {};
}

void Vm::CallFrame(Frame& f, const Value& frame)
{
    Object* clip = f.target;
    std::string s = ToString(frame);
    const std::size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
        clip = ResolveTarget(s.substr(0, colon), f.target);
        s = s.substr(colon + 1);
    }
    Clip* c = clip ? ClipOf(Value::Obj(clip)) : nullptr;
    if (!c)
        return;
    int index;
    const double n = ParseNumber(s);
    if (!std::isnan(n)) {
        index = static_cast<int>(std::clamp(n, 0.0, 1e6)) - 1;
    } else {
        auto it = c->m_timeline->labels.find(s);
        if (it == c->m_timeline->labels.end())
            return;
        index = it->second;
    }
    if (index < 0 || index >= c->FrameCount())
        return;
    DepthGuard depth(m_nDepth);
    for (const Command& cmd : c->m_timeline->frames[index]) {
        if (cmd.kind != Command::kActions)
            continue;
        Frame inner;
        inner.code = cmd.code.data();
        inner.size = cmd.code.size();
        inner.origTarget = inner.target = clip;
        inner.self = Value::Obj(clip);
        inner.registers.resize(4);
        inner.scope = std::make_shared<const Scope>(Scope{std::make_shared<const Scope>(Scope{nullptr, m_global}), clip});
        Execute(inner, 0, inner.size);
    }
}

void Vm::RunIntervals()
{
    const double now = Clock();
    // Handlers may add or clear intervals: each is looked up again by id after a call.
    std::vector<double> ids;
    for (const Interval& i : m_intervals)
        ids.push_back(i.id);
    for (double id : ids) {
        for (int calls = 0; calls < 4; ++calls) {
            auto it = std::find_if(m_intervals.begin(), m_intervals.end(), [id](const Interval& i) { return i.id == id; });
            if (it == m_intervals.end() || it->due > now)
                break;
            const Interval call = *it;
            if (call.once)
                m_intervals.erase(it);
            else
                it->due += std::max(call.period, 1.0);
            try {
                if (call.method.empty())
                    Call(call.fn, {}, call.args);
                else
                    CallMethod(call.fn, call.method, call.args);
            } catch (const ScriptAbort&) {
            } catch (const ScriptThrow&) {
            }
            m_nDepth = 0;
        }
    }
}

// ---------------------------------------------------------------------------
// Collector

void Vm::Collect(const std::vector<Object*>& extraRoots)
{
    for (auto& o : m_heap)
        o->marked = false;
    std::vector<Object*> work;
    auto mark = [&](Object* o) {
        if (o && !o->marked) {
            o->marked = true;
            work.push_back(o);
        }
    };
    auto markValue = [&](const Value& v) {
        if (v.IsObject())
            mark(v.o);
    };
    mark(m_global);
    for (Object* o : {m_objectProto, m_functionProto, m_arrayProto, m_stringProto, m_numberProto, m_booleanProto,
                      m_clipProto, m_colorProto, m_buttonProto})
        mark(o);
    for (Object* o : extraRoots)
        mark(o);
    for (const auto& [id, cls] : m_classes)
        mark(cls);
    for (const Interval& i : m_intervals) {
        markValue(i.fn);
        for (const Value& v : i.args)
            markValue(v);
    }
    // Every display object's script object stays while the object is shown.
    std::vector<DisplayObject*> displays{&m_player.m_rootObject};
    m_nDrawingEdges = 0;
    std::size_t heldBytes = 0;  // by loaded images and text fields
    while (!displays.empty()) {
        DisplayObject* d = displays.back();
        displays.pop_back();
        mark(d->script);
        mark(d->mask);
        if (d->field)
            heldBytes += FieldBytes(d->field->field, d->field->text);
        if (!d->clip)
            continue;
        if (d->clip->m_pDrawing)
            m_nDrawingEdges += d->clip->m_pDrawing->edges.size();
        if (d->clip->m_pImage.use_count() == 1)  // else its BitmapData counts it
            heldBytes += d->clip->m_pImage->pixels.size() * sizeof(uint32_t);
        for (auto& entry : d->clip->m_list)
            displays.push_back(&entry.second);
    }
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        mark(o->proto);
        mark(o->target);
        for (const auto& [key, p] : o->props) {
            markValue(p.value);
            mark(p.getter);
            mark(p.setter);
        }
        for (const Value& v : o->elements)
            markValue(v);
        if (o->script) {
            mark(o->script->target);
            for (const Scope* s = o->script->scope.get(); s; s = s->outer.get())
                mark(s->object);
            if (o->script->pool)
                for (const Value& v : *o->script->pool)
                    markValue(v);
        }
    }
    std::size_t bytes = 0;
    std::vector<std::unique_ptr<Object>> kept;
    kept.reserve(m_heap.size());
    for (auto& o : m_heap) {
        if (!o->marked) {
            if (o->display)
                o->display->script = nullptr;
            continue;
        }
        bytes += sizeof(Object) + o->elements.size() * sizeof(Value);
        if (o->bitmap)
            bytes += o->bitmap->pixels.size() * sizeof(uint32_t);
        for (const auto& [key, p] : o->props)
            bytes += PropertyBytes(key, p.name);
        kept.push_back(std::move(o));
    }
    bytes += m_nDrawingEdges * sizeof(Edge) + heldBytes;
    m_heap = std::move(kept);
    // What the live objects and drawings hold, counted afresh: what freed objects held goes back.
    m_pBytes->Refund(m_nHeapBytes);
    m_nHeapBytes = std::min(bytes, m_pBytes->Left());
    m_pBytes->Spend(m_nHeapBytes);
}

}  // namespace swf::avm1
