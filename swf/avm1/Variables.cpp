// Variables and paths: clips found by target path, variables found along the scope chain.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

namespace swf::avm1 {

// ---------------------------------------------------------------------------
// Variables and paths

Object* Vm::ResolveTarget(const std::string& path, Object* base)
{
    if (path.empty())
        return base;
    Object* root = &ObjectOf(m_player.RootObject());
    auto parentOf = [&](Object* o) -> Object* {
        if (!o || !o->display || !o->display->parent)
            return nullptr;
        return &ObjectOf(*o->display->parent->Holder());
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
        Charge(1);
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
    for (DisplayObject* d = clip.display; d && d->parent; d = d->parent->Holder())
        names.push_back(d->name);
    if (!clip.display)
        return "";
    std::string out = slashes ? "" : "_level0";
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        out += (slashes ? "/" : ".") + *it;
    return slashes && out.empty() ? "/" : out;
}

bool Vm::FindInScope(Frame& f, const std::string& name, Value& out)
{
    int guard = 0;
    for (const Scope* s = f.scope.get(); s && guard < 256; s = s->outer.get(), PayLink(++guard)) {
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
        return Value::Obj(&ObjectOf(m_player.RootObject()));
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
    for (const Scope* s = f.scope.get(); s && guard < 256; s = s->outer.get(), PayLink(++guard)) {
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

}  // namespace swf::avm1
