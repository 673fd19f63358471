// The stage as scripts see it: the script objects of display objects, registered classes, text
// fields, loaded images, frame moves and frame calls.
#include "swf/avm1/VmInternal.h"

#include "swf/avm1/Native.h"

#include "swf/player/Player.h"
#include "swf/format/Text.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

// ---------------------------------------------------------------------------
// Display objects

Object* Vm::ClassOf(uint16_t characterId) const
{
    auto it = m_classes.find(characterId);
    return it == m_classes.end() ? nullptr : it->second;
}

Object& Vm::ObjectOf(DisplayObject& display)
{
    if (display.script)
        return *AsObject(display.script);
    Object* proto = Proto(display.clip ? Builtin::kClip : FieldOf(display) ? Builtin::kTextField : Builtin::kButton);
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
    RunGuarded([&] { Call(Value::Obj(cls), Value::Obj(&clip), {}); });
}

const Field* Vm::FieldOf(const DisplayObject& d) const
{
    if (d.field)
        return &d.field->field;
    auto it = m_player.GetMovie().fields.find(d.characterId);
    return it == m_player.GetMovie().fields.end() ? nullptr : &it->second;
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

bool Vm::GetFieldProperty(const DisplayObject& d, const std::string& name, Value& out)
{
    const Field* pField = FieldOf(d);
    if (!pField)
        return false;
    const Field& field = *pField;
    if (name == "text" || name == "htmlText") {
        // What the scripts' bytes lend the reading is given back when it is done.
        const std::size_t left = m_pBytes->Left();
        std::string text;
        try {
            text = name == "text" ? PlainText(field, *m_pBytes) : field.text;
        } catch (const FormatError&) {
            m_pBytes->Refund(left - m_pBytes->Left());
            throw ScriptAbort{"the scripts take too much memory"};
        }
        m_pBytes->Refund(left - m_pBytes->Left());
        out = Str(std::move(text));
        return true;
    }
    if (name == "textWidth" || name == "textHeight") {
        auto it = m_player.GetMovie().texts.find(d.characterId);
        const Text* text = d.field ? &d.field->text : it != m_player.GetMovie().texts.end() ? &it->second : nullptr;
        out = Value::Number(text ? std::round((name == "textWidth" ? text->textWidth : text->textHeight) / 20) : 0);
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
        // HTML only in a field that takes it, read with the styles its style sheet has now.
        next.markup = name == "htmlText" && next.html;
        TakeNewFormat(next);
        if (next.markup) {
            const Property* sheet = ObjectOf(d).Find(Key("styleSheet"));
            next.css = ReadStyleSheet(*this, sheet && !sheet->getter ? sheet->value : Value{});
        }
    } else if (name == "styleSheet") {
        // A field with a style sheet takes HTML. The sheet itself is kept as the object's own
        // property, so the field reports false and the caller stores it.
        next.css = ReadStyleSheet(*this, value);
        next.html = next.html || value.IsObject();
        SetField(d, std::move(next));
        return false;
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
        next->text = LayOutField(next->field, m_player.GetMovie().fonts, *m_pBytes);
    } catch (const FormatError&) {
        m_pBytes->Refund(left - m_pBytes->Left());
        throw ScriptAbort{"the scripts take too much memory"};
    }
    m_pBytes->Refund(left - m_pBytes->Left());
    Hold(FieldBytes(next->field, next->text));
    if (d.field)
        Release(FieldBytes(d.field->field, d.field->text));
    d.field = std::move(next);
    m_player.MarkChanged();
}

bool Vm::LoadInto(Object& target, const std::string& url)
{
    Clip* clip = ClipOf(Value::Obj(&target));
    if (!clip)
        return false;
    auto image = std::make_unique<Bitmap>();
    const std::size_t room = std::min(kMaxBitmapPixels, m_pBytes->Left() / sizeof(uint32_t));
    if (!m_player.LoadImage(url, room, *image) || image->pixels.empty() || image->pixels.size() > room ||
        image->pixels.size() != static_cast<std::size_t>(image->width) * image->height)
        return false;
    Hold(image->pixels.size() * sizeof(uint32_t));
    // The image takes the place of what the clip showed.
    while (!clip->DisplayList().empty())
        m_player.RemoveAt(*clip, clip->DisplayList().begin()->first);
    clip->ClearDrawing();
    clip->ShowImage(std::move(image));
    m_player.MarkChanged();
    return true;
}

Clip* Vm::ClipOf(const Value& v)
{
    if (!v.IsObject() || v.o->kind != Kind::kClip || !v.o->display)
        return nullptr;
    return v.o->display->clip.get();
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
            const auto& labels = c->GetTimeline().labels;
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
        c->SetPlaying(play == 1);
    m_player.GotoFrame(*c, index);
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
        auto it = c->GetTimeline().labels.find(s);
        if (it == c->GetTimeline().labels.end())
            return;
        index = it->second;
    }
    if (index < 0 || index >= c->FrameCount())
        return;
    for (const Command& cmd : c->GetTimeline().frames[index]) {
        if (cmd.kind != Command::kActions)
            continue;
        Frame inner(*m_pBytes);
        inner.code = cmd.code.data();
        inner.size = cmd.code.size();
        inner.origTarget = inner.target = clip;
        inner.self = Value::Obj(clip);
        inner.registers.resize(4);
        inner.scope = std::make_shared<const Scope>(Scope{std::make_shared<const Scope>(Scope{nullptr, m_global}), clip});
        Execute(inner, 0, inner.size);
    }
}

}  // namespace swf::avm1
