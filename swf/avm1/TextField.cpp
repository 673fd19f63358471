// TextField: the class of the movie's text fields and of those scripts create, and TextFormat,
// the format a script reads from a field or gives it.
#include "swf/avm1/StageAccess.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {
namespace {

constexpr const char* kAlignNames[] = {"left", "right", "center", "justify"};

// A TextFormat's distances, in pixels, as the field keeps them (twips).
struct FormatDistance {
    const char* name;
    double Field::*member;
};
constexpr FormatDistance kFormatDistances[] = {{"leftMargin", &Field::leftMargin},
                                               {"rightMargin", &Field::rightMargin},
                                               {"indent", &Field::indent},
                                               {"blockIndent", &Field::blockIndent},
                                               {"leading", &Field::leading}};

// A TextFormat's properties, in the order a new one lists them; all null until set.
constexpr const char* kFormatNames[] = {"font",   "size",       "color",       "bold",   "italic",
                                        "underline", "url",     "target",      "align",  "leftMargin",
                                        "rightMargin", "indent", "leading",    "blockIndent", "bullet",
                                        "tabStops", "kerning",  "letterSpacing", "display"};

// new TextFormat(font, size, color, bold, italic, underline, url, target, align, leftMargin,
// rightMargin, indent, leading)
Value TextFormatConstructor(NativeCall& c)
{
    if (!c.self.IsObject())
        return Value{};
    Object& tf = *c.self.o;
    for (const char* name : kFormatNames)
        c.vm.SetOwn(tf, name, Value::Null());
    for (std::size_t i = 0; i < 13 && i < c.args.size(); ++i)
        c.vm.SetOwn(tf, kFormatNames[i], c.args[i]);
    return Value{};
}

// The name of the font a field draws in.
std::string FontName(Vm& vm, const Field& field)
{
    if (!field.face.empty())
        return field.face;
    const auto& fonts = vm.GetPlayer().GetMovie().fonts;
    const auto it = fonts.find(field.fontId);
    return it != fonts.end() && !it->second.name.empty() ? it->second.name : "Times New Roman";
}

// A TextFormat with every format of the field.
Value FormatOf(Vm& vm, const Field& field)
{
    Object& tf = vm.NewObject();
    tf.proto = vm.Proto(Builtin::kTextFormat);
    auto set = [&](const char* name, const Value& v) { vm.SetOwn(tf, name, v); };
    set("font", vm.Str(FontName(vm, field)));
    set("size", Value::Number(field.size / 20));
    set("color", Value::Number(field.color.r << 16 | field.color.g << 8 | field.color.b));
    set("bold", Value::Bool(field.bold));
    set("italic", Value::Bool(field.italic));
    set("underline", Value::Bool(false));
    set("url", vm.Str(""));
    set("target", vm.Str(""));
    set("align", vm.Str(kAlignNames[std::min<std::size_t>(field.align, 3)]));
    for (const FormatDistance& d : kFormatDistances)
        set(d.name, Value::Number(field.*d.member / 20));
    set("bullet", Value::Bool(false));
    set("tabStops", Value::Obj(&vm.NewArray({})));
    set("kerning", Value::Bool(false));
    set("letterSpacing", Value::Number(0));
    set("display", vm.Str("block"));
    return Value::Obj(&tf);
}

// Gives the field what the TextFormat sets (its properties that are neither null nor undefined).
void ApplyFormat(Vm& vm, const Value& tf, Field& field)
{
    if (!tf.IsObject())
        return;
    auto given = [&](const char* name, Value& out) {
        out = vm.Get(tf, name);
        return !out.IsUndefined() && !out.IsNull();
    };
    Value v;
    if (given("font", v))
        field.face = vm.ToString(v).substr(0, 256);
    if (given("size", v) && std::isfinite(vm.ToNumber(v)))
        field.size = std::clamp(std::round(vm.ToNumber(v)), 1.0, 1000.0) * 20;
    if (given("color", v)) {
        const uint32_t rgb = static_cast<uint32_t>(vm.ToInt(v));
        field.color = {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb),
                       field.color.a};
    }
    if (given("bold", v))
        field.bold = vm.ToBool(v);
    if (given("italic", v))
        field.italic = vm.ToBool(v);
    if (given("align", v)) {
        const std::string align = vm.ToString(v);
        for (uint8_t i = 0; i < 4; ++i)
            if (align == kAlignNames[i])
                field.align = i;
    }
    for (const FormatDistance& d : kFormatDistances)
        if (given(d.name, v) && std::isfinite(vm.ToNumber(v)))
            field.*d.member = std::round(std::clamp(vm.ToNumber(v), -10000.0, 10000.0) * 20);
}

// The field `this` is, while it is on the stage.
DisplayObject* ThisField(NativeCall& c)
{
    if (!c.self.IsObject() || !c.self.o->display || !Vm::StageAccess::FieldOf(c.vm, *c.self.o->display))
        return nullptr;
    return c.self.o->display;
}

// getTextFormat([begin[, end]]): the field's format (one format for all of its text).
Value TextFieldGetTextFormat(NativeCall& c)
{
    DisplayObject* d = ThisField(c);
    return d ? FormatOf(c.vm, *Vm::StageAccess::FieldOf(c.vm, *d)) : Value{};
}

// setTextFormat([begin[, end,]] format): the format for the field's text. A field keeps one
// format, so only a range that reaches the whole text changes it.
Value TextFieldSetTextFormat(NativeCall& c)
{
    DisplayObject* d = ThisField(c);
    if (!d || c.args.empty())
        return Value{};
    Field next = *Vm::StageAccess::FieldOf(c.vm, *d);
    const double size = static_cast<double>(next.text.size());
    const double begin = c.args.size() > 1 ? c.vm.ToNumber(c.Arg(0)) : 0;
    const double end = c.args.size() > 2 ? c.vm.ToNumber(c.Arg(1)) : c.args.size() > 1 ? begin + 1 : size;
    if (!(begin <= 0 && end >= size) && !next.text.empty())
        return Value{};
    ApplyFormat(c.vm, c.args.back(), next);
    // Reading the format may have run scripts that took the field off the stage.
    if ((d = ThisField(c)))
        c.vm.SetField(*d, std::move(next));
    return Value{};
}

Value TextFieldGetNewTextFormat(NativeCall& c)
{
    DisplayObject* d = ThisField(c);
    if (!d)
        return Value{};
    const Field& field = *Vm::StageAccess::FieldOf(c.vm, *d);
    return FormatOf(c.vm, field.newFormat ? *field.newFormat : field);
}

// setNewTextFormat(format): the format of the text the script sets from now on.
Value TextFieldSetNewTextFormat(NativeCall& c)
{
    DisplayObject* d = ThisField(c);
    if (!d)
        return Value{};
    Field next = *Vm::StageAccess::FieldOf(c.vm, *d);
    Field format = next.newFormat ? *next.newFormat : next;
    format.text.clear();
    format.css.clear();
    format.newFormat.reset();
    ApplyFormat(c.vm, c.Arg(0), format);
    next.newFormat = std::make_shared<const Field>(std::move(format));
    if ((d = ThisField(c)))
        c.vm.SetField(*d, std::move(next));
    return Value{};
}

const NativeMethod kTextFieldMethods[] = {
    {"getTextFormat", TextFieldGetTextFormat, 2},
    {"setTextFormat", TextFieldSetTextFormat, 3},
    {"getNewTextFormat", TextFieldGetNewTextFormat, 0},
    {"setNewTextFormat", TextFieldSetNewTextFormat, 1},
};

}  // namespace

// createTextField(name, depth, x, y, w, h): an empty field at (x, y) of the clip, w x h
// pixels, 12 pixels high in Times New Roman (device text: the fallback font draws it).
Value MovieClipCreateTextField(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* parent = ThisClip(c);
    DisplayObject* d = parent ? vm.PlaceEmpty(*parent, vm.ToString(c.Arg(0)), vm.ToNumber(c.Arg(1))) : nullptr;
    if (!d)
        return Value{};
    auto twips = [&](std::size_t i) { return PixelsToTwips(vm.ToNumber(c.Arg(i))); };
    d->matrix = Matrix::Translate(twips(2), twips(3));
    Field field;
    field.box = {0, static_cast<int32_t>(std::max(0.0, twips(4))), 0, static_cast<int32_t>(std::max(0.0, twips(5)))};
    field.face = "Times New Roman";
    vm.SetField(*d, std::move(field));
    return Value::Obj(&vm.ObjectOf(*d));
}

// A field's text set by a script takes the field's new text format, when it has one.
void TakeNewFormat(Field& field)
{
    if (!field.newFormat)
        return;
    const Field& f = *field.newFormat;
    field.face = f.face;
    field.fontId = f.fontId;
    field.size = f.size;
    field.color = f.color;
    field.bold = f.bold;
    field.italic = f.italic;
    field.align = f.align;
    for (const FormatDistance& d : kFormatDistances)
        field.*d.member = f.*d.member;
}

void InstallTextField(Vm& vm)
{
    const NativeClass field = NewClass(vm, Nothing, 0, &vm.NewObject());
    vm.Proto(Builtin::kTextField) = &field.proto;
    DefineMethods(vm, field.proto, kTextFieldMethods);
    vm.SetOwn(*vm.m_global, "TextField", Value::Obj(&field.ctor), kDontEnum);
    const NativeClass format = NewClass(vm, TextFormatConstructor, 13);
    vm.Proto(Builtin::kTextFormat) = &format.proto;
    vm.SetOwn(*vm.m_global, "TextFormat", Value::Obj(&format.ctor), kDontEnum);
    InstallStyleSheet(vm, field.ctor);
}

}  // namespace swf::avm1
