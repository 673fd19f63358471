// MovieClip for scripts: the display properties (_x .. _visible), timeline control, clips made,
// copied and removed by script, depths, bounds, and the Color object that tints a clip.
#include "swf/Avm1Interpreter.h"
#include "swf/SwfPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf::avm1 {
namespace {

// Depth 0 of scripts is this depth of the timeline: scripts place above what the file places.
constexpr int kScriptDepthBase = 16384;
constexpr double kPi = 3.14159265358979323846;

const char* const kPropertyNames[] = {"_x",        "_y",           "_xscale",  "_yscale",      "_currentframe",
                                      "_totalframes", "_alpha",    "_visible", "_width",       "_height",
                                      "_rotation", "_target",      "_framesloaded", "_name",   "_droptarget",
                                      "_url",      "_highquality", "_focusrect", "_soundbuftime", "_quality",
                                      "_xmouse",   "_ymouse"};

struct Box {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    bool Empty() const { return x0 > x1; }
    void Add(const Matrix& m, double ax, double ay, double bx, double by)
    {
        const double xs[2] = {ax, bx}, ys[2] = {ay, by};
        for (double x : xs)
            for (double y : ys) {
                double tx, ty;
                m.Apply(x, y, tx, ty);
                x0 = std::min(x0, tx);
                x1 = std::max(x1, tx);
                y0 = std::min(y0, ty);
                y1 = std::max(y1, ty);
            }
    }
};

void AddBounds(const Movie& movie, const DisplayObject& d, const Matrix& m, Box& box, int nesting);

void AddCharacter(const Movie& movie, uint16_t id, const Matrix& m, Box& box, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    auto kind = movie.kinds.find(id);
    if (kind == movie.kinds.end())
        return;
    auto addRect = [&](const Rect& r) { box.Add(m, r.xMin, r.yMin, r.xMax, r.yMax); };
    switch (kind->second) {
    case CharacterKind::kShape:
        addRect(movie.shapes.at(id).bounds);
        break;
    case CharacterKind::kMorph:
        addRect(movie.morphs.at(id).start.bounds);
        break;
    case CharacterKind::kButton:
        for (const ButtonRecord& r : movie.buttons.at(id).upState)
            AddCharacter(movie, r.characterId, m * r.matrix, box, nesting + 1);
        break;
    default:
        break;
    }
}

void AddBounds(const Movie& movie, const DisplayObject& d, const Matrix& m, Box& box, int nesting)
{
    if (nesting > kMaxRenderNesting)
        return;
    if (!d.clip) {
        AddCharacter(movie, d.characterId, m, box, nesting);
        return;
    }
    if (const Shape* drawing = d.clip->Drawing(); drawing && !drawing->edges.empty())
        for (const Edge& e : drawing->edges)
            box.Add(m, std::min(e.x0, e.x1), std::min(e.y0, e.y1), std::max(e.x0, e.x1), std::max(e.y0, e.y1));
    for (const auto& [depth, child] : d.clip->DisplayList())
        AddBounds(movie, child, m * child.matrix, box, nesting + 1);
}

DisplayObject* DisplayOf(const Value& v)
{
    return v.IsObject() && v.o->kind == Kind::kClip ? v.o->display : nullptr;
}

// The clip a MovieClip method works on: its `this`, or the running timeline for a plain call.
Object* Self(Vm& vm, const Value& self)
{
    if (self.IsObject() && self.o->kind == Kind::kClip && self.o->display)
        return self.o;
    Object* t = vm.CurrentTarget();
    return t && t->display ? t : nullptr;
}

Value Arg(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? args[i] : Value{};
}

double ScaleX(const Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b); }
double ScaleY(const Matrix& m) { return std::sqrt(m.c * m.c + m.d * m.d); }
double Rotation(const Matrix& m) { return std::atan2(m.b, m.a) * 180 / kPi; }

void Compose(Matrix& m, double sx, double sy, double degrees)
{
    const double r = degrees * kPi / 180;
    const double skew = std::atan2(-m.c, m.d) - std::atan2(m.b, m.a);  // kept as it was
    m.a = sx * std::cos(r);
    m.b = sx * std::sin(r);
    m.c = -sy * std::sin(r + skew);
    m.d = sy * std::cos(r + skew);
}

}  // namespace

int ClipPropertyIndex(const std::string& name)
{
    if (name.size() < 2 || name[0] != '_')
        return -1;
    for (int i = 0; i < static_cast<int>(std::size(kPropertyNames)); ++i)
        if (name.size() == std::strlen(kPropertyNames[i]) &&
            std::equal(name.begin(), name.end(), kPropertyNames[i],
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; }))
            return i;
    return -1;
}

Value Vm::GetClipProperty(Object& clip, int index)
{
    DisplayObject& d = *clip.display;
    const Matrix& m = d.matrix;
    Clip* c = d.clip.get();
    auto size = [&](bool width) {
        // A text field measures its box.
        if (const Field* f = FieldOf(d))
            return Value::Number((width ? f->box.xMax - f->box.xMin : f->box.yMax - f->box.yMin) / 20.0);
        Box box;
        AddBounds(m_player.m_movie, d, m, box, 0);
        if (box.Empty())
            return Value::Number(0);
        return Value::Number((width ? box.x1 - box.x0 : box.y1 - box.y0) / 20);
    };
    switch (index) {
    case 0: return Value::Number(m.tx / 20);
    case 1: return Value::Number(m.ty / 20);
    case 2: return Value::Number(ScaleX(m) * 100);
    case 3: return Value::Number(ScaleY(m) * 100);
    case 4: return Value::Number(c ? c->m_nFrame + 1 : 1);
    case 5:
    case 12: return Value::Number(c ? c->FrameCount() : 1);
    case 6: return Value::Number(d.cxform.mul[3] * 100.0 / 256);
    case 7: return Value::Bool(d.visible);
    case 8: return size(true);
    case 9: return size(false);
    case 10: return Value::Number(Rotation(m));
    case 11: return Str(TargetPath(clip, true));
    case 13: return Str(d.name);
    case 14: case 15: return Str("");
    case 16: return Value::Number(1);
    case 17: return Value::Bool(true);
    case 18: return Value::Number(5);
    case 19: return Str("HIGH");
    default: return Value::Number(0);
    }
}

void Vm::SetClipProperty(Object& clip, int index, const Value& v)
{
    DisplayObject& d = *clip.display;
    if (index == 13) {
        d.name = ToString(v);
        return;
    }
    if (index == 7) {
        d.visible = ToBool(v);
        m_player.m_bChanged = true;
        return;
    }
    const double n = ToNumber(v);
    if (!std::isfinite(n) || index > 10 || index == 4 || index == 5)
        return;
    Matrix& m = d.matrix;
    switch (index) {
    case 0: m.tx = std::clamp(n, -1e7, 1e7) * 20; break;
    case 1: m.ty = std::clamp(n, -1e7, 1e7) * 20; break;
    case 2: Compose(m, std::clamp(n, -1e6, 1e6) / 100, ScaleY(m), Rotation(m)); break;
    case 3: Compose(m, ScaleX(m), std::clamp(n, -1e6, 1e6) / 100, Rotation(m)); break;
    case 6: d.cxform.mul[3] = static_cast<int32_t>(std::lround(std::clamp(n, -1e6, 1e6) * 256 / 100)); break;
    case 10: Compose(m, ScaleX(m), ScaleY(m), std::fmod(n, 360.0)); break;
    case 8:
    case 9: {
        // A text field's box takes the size; its text keeps its scale.
        if (const Field* f = FieldOf(d)) {
            Field next = *f;
            const int32_t twips = static_cast<int32_t>(std::clamp(n, 0.0, 1e6) * 20);
            (index == 8 ? next.box.xMax : next.box.yMax) = (index == 8 ? next.box.xMin : next.box.yMin) + twips;
            SetField(d, std::move(next));
            return;
        }
        const double now = ToNumber(GetClipProperty(clip, index));
        if (now <= 0)
            return;
        const double f = std::clamp(n, 0.0, 1e7) / now;
        if (index == 8)
            Compose(m, ScaleX(m) * f, ScaleY(m), Rotation(m));
        else
            Compose(m, ScaleX(m), ScaleY(m) * f, Rotation(m));
        break;
    }
    default: break;
    }
    m_player.m_bChanged = true;
}

namespace {

}  // namespace

Clip* Vm::ScriptDepth(Object& parent, double asDepth, int& depth)
{
    Clip* c = ClipOf(Value::Obj(&parent));
    if (!c || !std::isfinite(asDepth) || asDepth < -kScriptDepthBase || asDepth > 2130690045)
        return nullptr;
    depth = static_cast<int>(asDepth) + kScriptDepthBase;
    m_player.RemoveAt(*c, depth);
    return c;
}

DisplayObject* Vm::PlaceEmpty(Object& parent, const std::string& name, double asDepth)
{
    Player& player = m_player;
    int depth = 0;
    Clip* c = ScriptDepth(parent, asDepth, depth);
    if (!c || player.m_nObjects >= kMaxDisplayObjects || player.Nesting(*c) >= kMaxSpriteNesting)
        return nullptr;
    ++player.m_nObjects;
    DisplayObject& o = c->m_list.emplace(depth, DisplayObject{}).first->second;
    o.depth = depth;
    o.name = name;
    o.parent = c;
    o.placedByScript = true;
    player.m_bChanged = true;
    return &o;
}

Object* Vm::PlaceByScript(Object& parent, uint16_t characterId, const std::string& name, double asDepth,
                          const Value& init)
{
    Vm& vm = *this;
    Player& player = vm.GetPlayer();
    if (characterId == 0) {
        DisplayObject* o = PlaceEmpty(parent, name, asDepth);
        if (!o)
            return nullptr;
        o->clip = std::make_unique<Clip>(player.m_emptyTimeline, *o);
        return &vm.ObjectOf(*o);
    }
    int depth = 0;
    Clip* c = ScriptDepth(parent, asDepth, depth);
    if (!c)
        return nullptr;
    PlaceCommand p;
    p.depth = depth;
    p.hasCharacter = true;
    p.characterId = characterId;
    p.name = name;
    player.m_bScriptPlacing = true;
    DisplayObject* o = player.Place(*c, p, player.Nesting(*c));
    player.m_bScriptPlacing = false;
    if (!o)
        return nullptr;
    o->placedByScript = true;
    Object& clip = vm.ObjectOf(*o);
    if (init.IsObject())
        for (const std::string& key : Enumerate(*init.o))
            Set(Value::Obj(&clip), key, Get(init, key));
    ConstructClip(clip);
    return &clip;
}

namespace {


// Moves a point between a clip's coordinates and the stage's.
Value ConvertPoint(Vm& vm, const Value& self, const std::vector<Value>& args, bool toGlobal)
{
    Object* o = Self(vm, self);
    const Value pt = Arg(args, 0);
    if (!o || !pt.IsObject())
        return Value{};
    Matrix m;
    for (DisplayObject* d = o->display; d && d->parent; d = d->parent->Holder())
        m = d->matrix * m;
    if (!toGlobal && !m.Invert(m))
        return Value{};
    double x, y;
    m.Apply(vm.ToNumber(vm.Get(pt, "x")) * 20, vm.ToNumber(vm.Get(pt, "y")) * 20, x, y);
    vm.Set(pt, "x", Value::Number(x / 20));
    vm.Set(pt, "y", Value::Number(y / 20));
    return Value{};
}

}  // namespace

void Vm::InstallMovieClip()
{
    Object& clipCtor = NewNative([](Vm&, Object&, const Value&, const std::vector<Value>&) { return Value{}; });
    m_clipProto = &NewObject();
    LinkClass(clipCtor, *m_clipProto);
    SetOwn(*m_global, "MovieClip", Value::Obj(&clipCtor), kDontEnum);
    m_buttonProto = &NewObject();
    // TextField: the movie's text fields and those scripts create.
    m_textFieldProto = &NewObject();
    Object& fieldCtor = NewNative([](Vm&, Object&, const Value&, const std::vector<Value>&) { return Value{}; });
    LinkClass(fieldCtor, *m_textFieldProto);
    SetOwn(*m_global, "TextField", Value::Obj(&fieldCtor), kDontEnum);
    Object& proto = *m_clipProto;

    Define(proto, "play", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Clip* c = vm.ClipOf(Value::Obj(Self(vm, self))))
            c->m_bPlaying = true;
        return Value{};
    });
    Define(proto, "stop", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Clip* c = vm.ClipOf(Value::Obj(Self(vm, self))))
            c->m_bPlaying = false;
        return Value{};
    });
    auto gotoFn = [](bool play) {
        return play ? NativeFn([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
            vm.Goto(Self(vm, self), Arg(args, 0), 1, 0);
            return Value{};
        })
                    : NativeFn([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
                          vm.Goto(Self(vm, self), Arg(args, 0), 0, 0);
                          return Value{};
                      });
    };
    Define(proto, "gotoAndPlay", gotoFn(true), 1);
    Define(proto, "gotoAndStop", gotoFn(false), 1);
    Define(proto, "nextFrame", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Object* o = Self(vm, self))
            if (Clip* c = vm.ClipOf(Value::Obj(o)))
                vm.Goto(o, Value::Number(c->CurrentFrame() + 2), 0, 0);
        return Value{};
    });
    Define(proto, "prevFrame", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (Object* o = Self(vm, self))
            if (Clip* c = vm.ClipOf(Value::Obj(o)))
                vm.Goto(o, Value::Number(std::max(1, c->CurrentFrame())), 0, 0);
        return Value{};
    });
    Define(proto, "getDepth", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Object* o = Self(vm, self);
        return o ? Value::Number(o->display->depth - kScriptDepthBase) : Value{};
    });
    Define(proto, "getNextHighestDepth", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Clip* c = vm.ClipOf(Value::Obj(Self(vm, self)));
        if (!c)
            return Value{};
        const int top = c->DisplayList().empty() ? 0 : c->DisplayList().rbegin()->first + 1;
        return Value::Number(std::max(0, top - kScriptDepthBase));
    });
    Define(proto, "getInstanceAtDepth", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Clip* c = vm.ClipOf(Value::Obj(Self(vm, self)));
        if (!c)
            return Value{};
        const double depth = vm.ToNumber(Arg(args, 0));
        if (!std::isfinite(depth))
            return Value{};
        auto& list = const_cast<std::map<int, DisplayObject>&>(c->DisplayList());
        auto it = list.find(static_cast<int>(depth) + kScriptDepthBase);
        return it == list.end() ? Value{} : Value::Obj(&vm.ObjectOf(it->second));
    });
    Define(proto, "attachMovie", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* parent = Self(vm, self);
        const std::string id = vm.ToString(Arg(args, 0));
        const auto& exports = vm.GetPlayer().GetMovie().exports;
        auto it = exports.find(id);
        if (!parent || it == exports.end())
            return Value{};
        return Value::Obj(
            vm.PlaceByScript(*parent, it->second, vm.ToString(Arg(args, 1)), vm.ToNumber(Arg(args, 2)), Arg(args, 3)));
    }, 3);
    Define(proto, "createEmptyMovieClip", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* parent = Self(vm, self);
        Object* o = parent ? vm.PlaceByScript(*parent, 0, vm.ToString(Arg(args, 0)), vm.ToNumber(Arg(args, 1)), {})
                           : nullptr;
        return Value::Obj(o);
    }, 2);
    // An empty text field at (x, y) of the clip, w x h pixels, in the fallback font.
    Define(proto, "createTextField", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* parent = Self(vm, self);
        DisplayObject* d = parent ? vm.PlaceEmpty(*parent, vm.ToString(Arg(args, 0)), vm.ToNumber(Arg(args, 1))) : nullptr;
        if (!d)
            return Value{};
        auto twips = [&](std::size_t i) {
            const double v = vm.ToNumber(Arg(args, i));
            return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) * 20 : 0.0;
        };
        d->matrix = Matrix::Translate(twips(2), twips(3));
        Field field;
        field.box = {0, static_cast<int32_t>(std::max(0.0, twips(4))), 0, static_cast<int32_t>(std::max(0.0, twips(5)))};
        vm.SetField(*d, std::move(field));
        return Value::Obj(&vm.ObjectOf(*d));
    }, 6);
    Define(proto, "duplicateMovieClip", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* source = Self(vm, self);
        if (!source || !source->display->parent)
            return Value{};
        DisplayObject& from = *source->display;
        Object& parent = vm.ObjectOf(*from.parent->m_pHolder);
        const Matrix matrix = from.matrix;
        const CxForm cxform = from.cxform;
        const auto* clipActions = from.clipActions;
        Object* o = vm.PlaceByScript(parent, from.characterId, vm.ToString(Arg(args, 0)), vm.ToNumber(Arg(args, 1)),
                                     Arg(args, 2));
        if (!o || !o->display)
            return Value{};
        o->display->matrix = matrix;
        o->display->cxform = cxform;
        o->display->clipActions = clipActions;
        return Value::Obj(o);
    }, 2);
    Define(proto, "removeMovieClip", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Object* o = Self(vm, self);
        if (o && o->display->parent && o->display->depth >= kScriptDepthBase)
            vm.GetPlayer().RemoveAt(*o->display->parent, o->display->depth);
        return Value{};
    });
    Define(proto, "swapDepths", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* o = Self(vm, self);
        if (!o || !o->display->parent)
            return Value{};
        Clip& parent = *o->display->parent;
        int depth;
        if (DisplayObject* other = DisplayOf(Arg(args, 0))) {
            if (other->parent != &parent)
                return Value{};
            depth = other->depth;
        } else {
            const double n = vm.ToNumber(Arg(args, 0));
            if (!std::isfinite(n) || n < -kScriptDepthBase || n > 2130690045)
                return Value{};
            depth = static_cast<int>(n) + kScriptDepthBase;
        }
        const int from = o->display->depth;
        if (depth == from)
            return Value{};
        auto mine = parent.m_list.extract(from);
        auto theirs = parent.m_list.extract(depth);
        mine.key() = depth;
        mine.mapped().depth = depth;
        mine.mapped().placedByScript = true;
        parent.m_list.insert(std::move(mine));
        if (!theirs.empty()) {
            theirs.key() = from;
            theirs.mapped().depth = from;
            theirs.mapped().placedByScript = true;
            parent.m_list.insert(std::move(theirs));
        }
        vm.GetPlayer().m_bChanged = true;
        return Value{};
    }, 1);
    Define(proto, "getBounds", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        Object* o = Self(vm, self);
        if (!o)
            return Value{};
        Box box;
        AddBounds(vm.GetPlayer().GetMovie(), *o->display, Matrix{}, box, 0);
        if (box.Empty())
            box = {6710886.35, 6710886.35, 6710886.35, 6710886.35};
        Object& r = vm.NewObject();
        vm.SetOwn(r, "xMin", Value::Number(box.x0 / 20));
        vm.SetOwn(r, "xMax", Value::Number(box.x1 / 20));
        vm.SetOwn(r, "yMin", Value::Number(box.y0 / 20));
        vm.SetOwn(r, "yMax", Value::Number(box.y1 / 20));
        return Value::Obj(&r);
    });
    Define(proto, "localToGlobal", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return ConvertPoint(vm, self, args, true);
    }, 1);
    Define(proto, "globalToLocal", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        return ConvertPoint(vm, self, args, false);
    }, 1);
    auto nothing = [](Vm&, Object&, const Value&, const std::vector<Value>&) { return Value{}; };
    for (const char* name : {"startDrag", "stopDrag", "getURL", "loadMovie", "loadVariables", "unloadMovie"})
        Define(proto, name, nothing);
    Define(proto, "setMask", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        Object* o = Self(vm, self);
        if (!o)
            return Value{};
        if (o->display->mask && o->display->mask->display)
            o->display->mask->display->isMask = false;
        DisplayObject* mask = DisplayOf(Arg(args, 0));
        o->display->mask = mask && mask != o->display ? Arg(args, 0).o : nullptr;
        if (o->display->mask)
            mask->isMask = true;
        vm.GetPlayer().m_bChanged = true;
        return Value::Bool(true);
    }, 1);
    Define(proto, "hitTest", [](Vm&, Object&, const Value&, const std::vector<Value>&) { return Value::Bool(false); });
    auto bytes = [](Vm& vm, Object&, const Value&, const std::vector<Value>&) {
        return Value::Number(static_cast<double>(vm.GetPlayer().GetMovie().frameCount + 1));
    };
    Define(proto, "getBytesLoaded", bytes);
    Define(proto, "getBytesTotal", bytes);

    // Color: tints a clip through its colour transform.
    Object& colorCtor = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (!self.IsObject())
            return Value{};
        const Value t = Arg(args, 0);
        Object* target = t.IsObject() && t.o->kind == Kind::kClip ? t.o
                         : t.IsUndefined()                         ? nullptr
                                                                   : vm.ResolveTarget(vm.ToString(t), vm.CurrentTarget());
        self.o->target = target && target->kind == Kind::kClip ? target : nullptr;
        return Value{};
    }, 1);
    m_colorProto = &NewObject();
    SetOwn(colorCtor, "prototype", Value::Obj(m_colorProto), kDontEnum);
    SetOwn(*m_global, "Color", Value::Obj(&colorCtor), kDontEnum);
    auto targetOf = [](const Value& self) -> DisplayObject* {
        if (!self.IsObject() || !self.o->target)
            return nullptr;
        return self.o->target->display;
    };
    static DisplayObject* (*s_targetOf)(const Value&) = targetOf;
    Define(*m_colorProto, "setRGB", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        if (DisplayObject* d = s_targetOf(self)) {
            const int32_t rgb = vm.ToInt(Arg(args, 0));
            for (int i = 0; i < 3; ++i) {
                d->cxform.mul[i] = 0;
                d->cxform.add[i] = rgb >> (16 - 8 * i) & 255;
            }
            vm.GetPlayer().m_bChanged = true;
        }
        return Value{};
    }, 1);
    Define(*m_colorProto, "getRGB", [](Vm&, Object&, const Value& self, const std::vector<Value>&) {
        DisplayObject* d = s_targetOf(self);
        if (!d)
            return Value{};
        auto channel = [d](int i) { return static_cast<int32_t>(d->cxform.add[i]) & 255; };
        return Value::Number(channel(0) << 16 | channel(1) << 8 | channel(2));
    });
    static const char* const kFields[8] = {"ra", "ga", "ba", "aa", "rb", "gb", "bb", "ab"};
    Define(*m_colorProto, "setTransform", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        DisplayObject* d = s_targetOf(self);
        const Value t = Arg(args, 0);
        if (!d || !t.IsObject())
            return Value{};
        // Only the object's own fields count: one it inherits leaves the channel as it is.
        for (int i = 0; i < 8; ++i) {
            if (!t.o->Find(vm.Key(kFields[i])))
                continue;
            const double n = vm.ToNumber(vm.Get(t, kFields[i]));
            const int32_t v = std::isfinite(n) ? static_cast<int32_t>(std::clamp(n, -32768.0, 32767.0) * (i < 4 ? 2.56 : 1))
                                               : 0;
            (i < 4 ? d->cxform.mul[i] : d->cxform.add[i - 4]) = v;
        }
        vm.GetPlayer().m_bChanged = true;
        return Value{};
    }, 1);
    Define(*m_colorProto, "getTransform", [](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        DisplayObject* d = s_targetOf(self);
        if (!d)
            return Value{};
        Object& r = vm.NewObject();
        for (int i = 0; i < 8; ++i)
            vm.SetOwn(r, kFields[i],
                      Value::Number(i < 4 ? d->cxform.mul[i] * 100.0 / 256 : d->cxform.add[i - 4]));
        return Value::Obj(&r);
    });

    // MovieClipLoader: loads image files into clips and tells its listeners, itself the first,
    // through its broadcastMessage (which a script may replace).
    Object& loaderCtor = NewNative([](Vm& vm, Object&, const Value& self, const std::vector<Value>&) {
        if (self.IsObject())
            vm.SetOwn(*self.o, "_listeners", Value::Obj(&vm.NewArray({self})), kDontEnum);
        return Value{};
    });
    Object& loaderProto = NewObject();
    LinkClass(loaderCtor, loaderProto);
    SetOwn(*m_global, "MovieClipLoader", Value::Obj(&loaderCtor), kDontEnum);
    Define(loaderProto, "addListener", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        vm.CallMethod(vm.Get(self, "_listeners"), "push", {Arg(args, 0)});
        return Value::Bool(true);
    }, 1);
    Define(loaderProto, "broadcastMessage", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value listeners = vm.Get(self, "_listeners");
        if (args.empty() || !listeners.IsObject() || listeners.o->kind != Kind::kArray)
            return Value{};
        const std::string event = vm.ToString(args[0]);
        const std::vector<Value> rest(args.begin() + 1, args.end());
        for (const Value& listener : std::vector<Value>(listeners.o->elements))
            vm.CallMethod(listener, event, rest);
        return Value{};
    }, 1);
    Define(loaderProto, "loadClip", [](Vm& vm, Object&, const Value& self, const std::vector<Value>& args) {
        const Value t = Arg(args, 1);
        Object* target = t.IsObject() ? (t.o->kind == Kind::kClip ? t.o : nullptr)
                                      : vm.ResolveTarget(vm.ToString(t), vm.CurrentTarget());
        if (!target)
            return Value::Bool(false);
        const Value clip = Value::Obj(target);
        auto broadcast = [&](const char* event, std::vector<Value> more) {
            more.insert(more.begin(), {vm.Str(event), clip});
            vm.CallMethod(self, "broadcastMessage", more);
        };
        if (vm.LoadInto(*target, vm.ToString(Arg(args, 0)))) {
            broadcast("onLoadStart", {});
            broadcast("onLoadComplete", {});
            broadcast("onLoadInit", {});
        } else {
            broadcast("onLoadError", {vm.Str("URLNotFound")});
        }
        return Value::Bool(true);
    }, 2);
}

Value Vm::GetScrollRect(DisplayObject& d)
{
    if (!d.hasScrollRect)
        return {};
    const Value ctor = Get(Get(Get(Value::Obj(m_global), "flash"), "geom"), "Rectangle");
    const Rect& r = d.scrollRect;
    return Construct(ctor, {Value::Number(r.xMin / 20.0), Value::Number(r.yMin / 20.0),
                            Value::Number((r.xMax - r.xMin) / 20.0), Value::Number((r.yMax - r.yMin) / 20.0)});
}

void Vm::SetScrollRect(DisplayObject& d, const Value& rect)
{
    m_player.m_bChanged = true;
    d.hasScrollRect = rect.IsObject();
    if (!d.hasScrollRect)
        return;
    auto twips = [&](const char* name) {
        const double v = ToNumber(Get(rect, name));
        return static_cast<int32_t>(std::isfinite(v) ? std::clamp(v, -1e6, 1e6) * 20 : 0);
    };
    const int32_t x = twips("x"), y = twips("y");
    d.scrollRect = {x, x + std::max(0, twips("width")), y, y + std::max(0, twips("height"))};
}

}  // namespace swf::avm1
