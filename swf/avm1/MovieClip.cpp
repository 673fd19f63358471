// MovieClip for scripts: the display properties (_x .. _visible), timeline control, clips made,
// copied and removed by script, depths, bounds; and MovieClipLoader, which loads images into clips.
#include "swf/avm1/StageAccess.h"
#include "swf/player/Bounds.h"
#include "swf/player/Player.h"

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

DisplayObject* DisplayOf(const Value& v)
{
    return v.IsObject() && v.o->kind == Kind::kClip ? v.o->display : nullptr;
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
        AddBounds(m_player.GetMovie(), d, m, box, 0);
        if (box.Empty())
            return Value::Number(0);
        return Value::Number((width ? box.x1 - box.x0 : box.y1 - box.y0) / 20);
    };
    switch (index) {
    case 0: return Value::Number(m.tx / 20);
    case 1: return Value::Number(m.ty / 20);
    case 2: return Value::Number(ScaleX(m) * 100);
    case 3: return Value::Number(ScaleY(m) * 100);
    case 4: return Value::Number(c ? c->CurrentFrame() + 1 : 1);
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
        if (d.parent)
            d.parent->NamesChanged();
        return;
    }
    if (index == 7) {
        d.visible = ToBool(v);
        m_player.MarkChanged();
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
    m_player.MarkChanged();
}

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
    return c ? player.PlaceEmpty(*c, depth, name) : nullptr;
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
        player.StartEmptyClip(*o);
        return &vm.ObjectOf(*o);
    }
    int depth = 0;
    Clip* c = ScriptDepth(parent, asDepth, depth);
    if (!c)
        return nullptr;
    DisplayObject* o = player.PlaceCharacter(*c, depth, characterId, name);
    if (!o)
        return nullptr;
    Object& clip = vm.ObjectOf(*o);
    if (init.IsObject())
        for (const std::string& key : Enumerate(*init.o))
            Set(Value::Obj(&clip), key, Get(init, key));
    ConstructClip(clip);
    return &clip;
}

namespace {

using Access = Vm::StageAccess;

Value MovieClipPlay(NativeCall& c)
{
    if (Clip* clip = c.vm.ClipOf(Value::Obj(ThisClip(c))))
        Access::SetPlaying(*clip, true);
    return Value{};
}

Value MovieClipStop(NativeCall& c)
{
    if (Clip* clip = c.vm.ClipOf(Value::Obj(ThisClip(c))))
        Access::SetPlaying(*clip, false);
    return Value{};
}

Value MovieClipGotoAndPlay(NativeCall& c)
{
    Access::Goto(c.vm, ThisClip(c), c.Arg(0), 1);
    return Value{};
}

Value MovieClipGotoAndStop(NativeCall& c)
{
    Access::Goto(c.vm, ThisClip(c), c.Arg(0), 0);
    return Value{};
}

// Stops at the frame `step` from the current one (never before the first).
void Step(NativeCall& c, int step)
{
    if (Object* o = ThisClip(c))
        if (Clip* clip = c.vm.ClipOf(Value::Obj(o)))
            Access::Goto(c.vm, o, Value::Number(std::max(1, clip->CurrentFrame() + 1 + step)), 0);
}

Value MovieClipNextFrame(NativeCall& c)
{
    Step(c, 1);
    return Value{};
}

Value MovieClipPrevFrame(NativeCall& c)
{
    Step(c, -1);
    return Value{};
}

Value MovieClipGetDepth(NativeCall& c)
{
    Object* o = ThisClip(c);
    return o ? Value::Number(o->display->depth - kScriptDepthBase) : Value{};
}

Value MovieClipGetNextHighestDepth(NativeCall& c)
{
    Clip* clip = c.vm.ClipOf(Value::Obj(ThisClip(c)));
    if (!clip)
        return Value{};
    const int top = clip->DisplayList().empty() ? 0 : clip->DisplayList().rbegin()->first + 1;
    return Value::Number(std::max(0, top - kScriptDepthBase));
}

Value MovieClipGetInstanceAtDepth(NativeCall& c)
{
    Clip* clip = c.vm.ClipOf(Value::Obj(ThisClip(c)));
    if (!clip)
        return Value{};
    const double depth = c.vm.ToNumber(c.Arg(0));
    if (!std::isfinite(depth))
        return Value{};
    auto& list = const_cast<std::map<int, DisplayObject>&>(clip->DisplayList());
    auto it = list.find(static_cast<int>(depth) + kScriptDepthBase);
    return it == list.end() ? Value{} : Value::Obj(&c.vm.ObjectOf(it->second));
}

// attachMovie(id, name, depth, init): a new clip of the sprite the movie exports as `id`.
Value MovieClipAttachMovie(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* parent = ThisClip(c);
    const std::string id = vm.ToString(c.Arg(0));
    const auto& exports = vm.GetPlayer().GetMovie().exports;
    auto it = exports.find(id);
    if (!parent || it == exports.end())
        return Value{};
    return Value::Obj(vm.PlaceByScript(*parent, it->second, vm.ToString(c.Arg(1)), vm.ToNumber(c.Arg(2)), c.Arg(3)));
}

Value MovieClipCreateEmptyMovieClip(NativeCall& c)
{
    Object* parent = ThisClip(c);
    Object* o = parent ? c.vm.PlaceByScript(*parent, 0, c.vm.ToString(c.Arg(0)), c.vm.ToNumber(c.Arg(1)), {}) : nullptr;
    return Value::Obj(o);
}

// duplicateMovieClip(name, depth, init): a copy beside the clip, placed, coloured and
// scripted like it.
Value MovieClipDuplicateMovieClip(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* source = ThisClip(c);
    if (!source || !source->display->parent)
        return Value{};
    DisplayObject& from = *source->display;
    Object& parent = vm.ObjectOf(*from.parent->Holder());
    const Matrix matrix = from.matrix;
    const CxForm cxform = from.cxform;
    const auto* clipActions = from.clipActions;
    Object* o = vm.PlaceByScript(parent, from.characterId, vm.ToString(c.Arg(0)), vm.ToNumber(c.Arg(1)), c.Arg(2));
    if (!o || !o->display)
        return Value{};
    o->display->matrix = matrix;
    o->display->cxform = cxform;
    o->display->clipActions = clipActions;
    return Value::Obj(o);
}

// Only what scripts placed can be removed.
Value MovieClipRemoveMovieClip(NativeCall& c)
{
    Object* o = ThisClip(c);
    if (o && o->display->parent && o->display->depth >= kScriptDepthBase)
        Access::RemoveAt(c.vm, *o->display->parent, o->display->depth);
    return Value{};
}

// swapDepths(depth or clip): trades places with whatever is at that depth of the same parent.
Value MovieClipSwapDepths(NativeCall& c)
{
    Object* o = ThisClip(c);
    if (!o || !o->display->parent)
        return Value{};
    Clip& parent = *o->display->parent;
    int depth;
    if (DisplayObject* other = DisplayOf(c.Arg(0))) {
        if (other->parent != &parent)
            return Value{};
        depth = other->depth;
    } else {
        const double n = c.vm.ToNumber(c.Arg(0));
        if (!std::isfinite(n) || n < -kScriptDepthBase || n > 2130690045)
            return Value{};
        depth = static_cast<int>(n) + kScriptDepthBase;
    }
    const int from = o->display->depth;
    if (depth == from)
        return Value{};
    Access::SwapDepths(parent, from, depth);
    Access::Changed(c.vm);
    return Value{};
}

Value MovieClipGetBounds(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* o = ThisClip(c);
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
}

// Moves a point between a clip's coordinates and the stage's.
Value ConvertPoint(NativeCall& c, bool toGlobal)
{
    Vm& vm = c.vm;
    Object* o = ThisClip(c);
    const Value pt = c.Arg(0);
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

Value MovieClipLocalToGlobal(NativeCall& c)
{
    return ConvertPoint(c, true);
}

Value MovieClipGlobalToLocal(NativeCall& c)
{
    return ConvertPoint(c, false);
}

// setMask(clip): the clip masks this one and is not drawn itself; null takes the mask away.
Value MovieClipSetMask(NativeCall& c)
{
    Object* o = ThisClip(c);
    if (!o)
        return Value{};
    if (o->display->mask && o->display->mask->display)
        o->display->mask->display->isMask = false;
    DisplayObject* mask = DisplayOf(c.Arg(0));
    o->display->mask = mask && mask != o->display ? c.Arg(0).o : nullptr;
    if (o->display->mask)
        mask->isMask = true;
    Access::Changed(c.vm);
    return Value::Bool(true);
}

Value MovieClipHitTest(NativeCall&)
{
    return Value::Bool(false);
}

// The movie is all there: its frames and one more, loaded.
Value MovieClipGetBytes(NativeCall& c)
{
    return Value::Number(static_cast<double>(c.vm.GetPlayer().GetMovie().frameCount + 1));
}

const NativeMethod kMovieClipMethods[] = {
    {"play", MovieClipPlay, 0},
    {"stop", MovieClipStop, 0},
    {"gotoAndPlay", MovieClipGotoAndPlay, 1},
    {"gotoAndStop", MovieClipGotoAndStop, 1},
    {"nextFrame", MovieClipNextFrame, 0},
    {"prevFrame", MovieClipPrevFrame, 0},
    {"getDepth", MovieClipGetDepth, 0},
    {"getNextHighestDepth", MovieClipGetNextHighestDepth, 0},
    {"getInstanceAtDepth", MovieClipGetInstanceAtDepth, 0},
    {"attachMovie", MovieClipAttachMovie, 3},
    {"createEmptyMovieClip", MovieClipCreateEmptyMovieClip, 2},
    {"createTextField", MovieClipCreateTextField, 6},
    {"duplicateMovieClip", MovieClipDuplicateMovieClip, 2},
    {"removeMovieClip", MovieClipRemoveMovieClip, 0},
    {"swapDepths", MovieClipSwapDepths, 1},
    {"getBounds", MovieClipGetBounds, 0},
    {"localToGlobal", MovieClipLocalToGlobal, 1},
    {"globalToLocal", MovieClipGlobalToLocal, 1},
    // What would reach outside the band, or needs the pointer, does nothing.
    {"startDrag", Nothing, 0},
    {"stopDrag", Nothing, 0},
    {"getURL", Nothing, 0},
    {"loadMovie", Nothing, 0},
    {"loadVariables", Nothing, 0},
    {"unloadMovie", Nothing, 0},
    {"setMask", MovieClipSetMask, 1},
    {"hitTest", MovieClipHitTest, 0},
    {"getBytesLoaded", MovieClipGetBytes, 0},
    {"getBytesTotal", MovieClipGetBytes, 0},
};

// MovieClipLoader: loads image files into clips and tells its listeners, itself the first,
// through its broadcastMessage (which a script may replace).
Value LoaderConstructor(NativeCall& c)
{
    if (c.self.IsObject())
        c.vm.SetOwn(*c.self.o, "_listeners", Value::Obj(&c.vm.NewArray({c.self})), kDontEnum);
    return Value{};
}

Value LoaderAddListener(NativeCall& c)
{
    c.vm.CallMethod(c.vm.Get(c.self, "_listeners"), "push", {c.Arg(0)});
    return Value::Bool(true);
}

// broadcastMessage(event, args...): calls the method `event` of every listener.
Value LoaderBroadcastMessage(NativeCall& c)
{
    const Value listeners = c.vm.Get(c.self, "_listeners");
    if (c.args.empty() || !ArrayOf(listeners))
        return Value{};
    const std::string event = c.vm.ToString(c.args[0]);
    const std::vector<Value> rest(c.args.begin() + 1, c.args.end());
    for (const Value& listener : std::vector<Value>(listeners.o->elements))
        c.vm.CallMethod(listener, event, rest);
    return Value{};
}

// loadClip(url, target): the image replaces the target's content, and the listeners hear of it.
Value LoaderLoadClip(NativeCall& c)
{
    Vm& vm = c.vm;
    const Value t = c.Arg(1);
    Object* target = t.IsObject() ? (t.o->kind == Kind::kClip ? t.o : nullptr)
                                  : vm.ResolveTarget(vm.ToString(t), vm.CurrentTarget());
    if (!target)
        return Value::Bool(false);
    const Value clip = Value::Obj(target);
    auto broadcast = [&](const char* event, std::vector<Value> more) {
        more.insert(more.begin(), {vm.Str(event), clip});
        vm.CallMethod(c.self, "broadcastMessage", more);
    };
    if (vm.LoadInto(*target, vm.ToString(c.Arg(0)))) {
        broadcast("onLoadStart", {});
        broadcast("onLoadComplete", {});
        broadcast("onLoadInit", {});
    } else {
        broadcast("onLoadError", {vm.Str("URLNotFound")});
    }
    return Value::Bool(true);
}

const NativeMethod kLoaderMethods[] = {
    {"addListener", LoaderAddListener, 1},
    {"broadcastMessage", LoaderBroadcastMessage, 1},
    {"loadClip", LoaderLoadClip, 2},
};

}  // namespace

void InstallMovieClip(Vm& vm)
{
    const NativeClass clip = NewClass(vm, Nothing, 0);
    vm.Proto(Builtin::kClip) = &clip.proto;
    vm.SetOwn(*vm.m_global, "MovieClip", Value::Obj(&clip.ctor), kDontEnum);
    vm.Proto(Builtin::kButton) = &vm.NewObject();
    InstallTextField(vm);
    DefineMethods(vm, clip.proto, kMovieClipMethods);
}

void InstallMovieClipLoader(Vm& vm)
{
    const NativeClass loader = NewClass(vm, LoaderConstructor, 0);
    vm.SetOwn(*vm.m_global, "MovieClipLoader", Value::Obj(&loader.ctor), kDontEnum);
    DefineMethods(vm, loader.proto, kLoaderMethods);
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
    m_player.MarkChanged();
    d.hasScrollRect = rect.IsObject();
    if (!d.hasScrollRect)
        return;
    auto twips = [&](const char* name) {
        const double v = ToNumber(Get(rect, name));
        return static_cast<int32_t>(PixelsToTwips(v));
    };
    const int32_t x = twips("x"), y = twips("y");
    d.scrollRect = {x, x + std::max(0, twips("width")), y, y + std::max(0, twips("height"))};
}

}  // namespace swf::avm1
