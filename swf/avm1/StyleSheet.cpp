// TextField.StyleSheet: named styles (".class" or a tag name) that a text field reads its HTML
// with. The sheet keeps copies of the style objects it is given, in its own `_styles` object.
#include "swf/avm1/Native.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace swf::avm1 {
namespace {

constexpr std::size_t kMaxStyles = 256;  // styles a field reads from its sheet

// An own property's value, without running a getter: a field reads its sheet while it lays
// its text out, where no script may run.
Value OwnValue(Vm& vm, Object& o, const std::string& name)
{
    const Property* p = o.Find(vm.Key(name));
    return p && !p->getter ? p->value : Value{};
}

Object* StylesOf(Vm& vm, const Value& sheet)
{
    if (!sheet.IsObject())
        return nullptr;
    const Value styles = OwnValue(vm, *sheet.o, "_styles");
    return styles.IsObject() ? styles.o : nullptr;
}

// A copy of an object's enumerable properties.
Object& CopyOf(Vm& vm, Object& from)
{
    Object& copy = vm.NewObject();
    for (const std::string& name : vm.Enumerate(from))
        vm.SetOwn(copy, name, vm.Get(Value::Obj(&from), name));
    return copy;
}

Value StyleSheetConstructor(NativeCall& c)
{
    if (c.self.IsObject())
        c.vm.SetOwn(*c.self.o, "_styles", Value::Obj(&c.vm.NewObject()), kDontEnum);
    return Value{};
}

// setStyle(name, style): a copy of the style under the name; a style that is no object removes it.
Value StyleSheetSetStyle(NativeCall& c)
{
    Object* styles = StylesOf(c.vm, c.self);
    if (!styles)
        return Value{};
    const std::string name = c.vm.ToString(c.Arg(0));
    if (c.Arg(1).IsObject())
        c.vm.SetOwn(*styles, name, Value::Obj(&CopyOf(c.vm, *c.Arg(1).o)));
    else
        c.vm.Delete(*styles, name);
    return Value{};
}

// getStyle(name): a copy of the style, or null.
Value StyleSheetGetStyle(NativeCall& c)
{
    Object* styles = StylesOf(c.vm, c.self);
    const Value style = styles ? c.vm.Get(Value::Obj(styles), c.vm.ToString(c.Arg(0))) : Value{};
    return style.IsObject() ? Value::Obj(&CopyOf(c.vm, *style.o)) : Value::Null();
}

Value StyleSheetGetStyleNames(NativeCall& c)
{
    std::vector<Value> names;
    if (Object* styles = StylesOf(c.vm, c.self))
        for (const std::string& name : c.vm.Enumerate(*styles))
            names.push_back(c.vm.Str(name));
    return Value::Obj(&c.vm.NewArray(std::move(names)));
}

Value StyleSheetClear(NativeCall& c)
{
    if (c.self.IsObject())
        c.vm.SetOwn(*c.self.o, "_styles", Value::Obj(&c.vm.NewObject()), kDontEnum);
    return Value{};
}

std::string Trim(const std::string& s)
{
    const std::size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return "";
    return s.substr(begin, s.find_last_not_of(" \t\r\n") - begin + 1);
}

// "font-size" as a script names it: "fontSize".
std::string CamelCase(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i)
        out += name[i] == '-' && i + 1 < name.size() ? static_cast<char>(std::toupper(name[++i])) : name[i];
    return out;
}

// parseCSS(text): adds the rules `selector[, selector] { name: value; ... }`; false when the
// text is not such rules.
Value StyleSheetParseCss(NativeCall& c)
{
    Vm& vm = c.vm;
    Object* styles = StylesOf(vm, c.self);
    const std::string text = vm.ToString(c.Arg(0));
    vm.Charge(text.size());
    if (!styles)
        return Value::Bool(false);
    std::size_t at = 0;
    while (!Trim(text.substr(at)).empty()) {
        const std::size_t open = text.find('{', at), close = text.find('}', at);
        if (open == std::string::npos || close == std::string::npos || close < open)
            return Value::Bool(false);
        Object& style = vm.NewObject();
        std::size_t d = open + 1;
        while (d < close) {
            const std::size_t end = std::min(text.find(';', d), close);
            const std::string declaration = text.substr(d, end - d);
            const std::size_t colon = declaration.find(':');
            if (colon != std::string::npos)
                vm.SetOwn(style, CamelCase(Trim(declaration.substr(0, colon))), vm.Str(Trim(declaration.substr(colon + 1))));
            d = end + 1;
        }
        std::string selectors = text.substr(at, open - at);
        for (std::size_t s = 0; s <= selectors.size();) {
            const std::size_t comma = std::min(selectors.find(',', s), selectors.size());
            const std::string name = Trim(selectors.substr(s, comma - s));
            if (!name.empty())
                vm.SetOwn(*styles, name, Value::Obj(&CopyOf(vm, style)));
            s = comma + 1;
        }
        at = close + 1;
    }
    return Value::Bool(true);
}

const NativeMethod kStyleSheetMethods[] = {
    {"setStyle", StyleSheetSetStyle, 2},       {"getStyle", StyleSheetGetStyle, 1},
    {"getStyleNames", StyleSheetGetStyleNames, 0}, {"clear", StyleSheetClear, 0},
    {"parseCSS", StyleSheetParseCss, 1},
};

// A length of a style ("12", "12px", 12) in twips, within 10000 pixels either way.
std::optional<double> Twips(Vm& vm, const Value& v)
{
    if (v.IsUndefined() || v.IsNull())
        return std::nullopt;
    const double n = v.type == Value::kString ? std::atof(vm.ToString(v).c_str()) : vm.ToNumber(v);
    if (!std::isfinite(n))
        return std::nullopt;
    return std::round(std::clamp(n, -10000.0, 10000.0) * 20);
}

std::optional<Rgba> Color(Vm& vm, const Value& v)
{
    const std::string text = vm.ToString(v);
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long rgb = std::strtoul(text.c_str() + 1, &end, 16);
    if (end != text.c_str() + 7)
        return std::nullopt;
    return Rgba{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255};
}

TextCss ReadStyle(Vm& vm, const std::string& name, Object& style)
{
    TextCss css;
    css.selector = Lower(name);
    // Only plain values: converting an object would run its script.
    auto get = [&](const char* property) {
        const Value v = OwnValue(vm, style, property);
        return v.IsObject() ? Value{} : v;
    };
    auto given = [&](const char* property) {
        const Value v = get(property);
        return !v.IsUndefined() && !v.IsNull();
    };
    if (given("color"))
        css.color = Color(vm, get("color"));
    css.size = Twips(vm, get("fontSize"));
    if (given("textAlign")) {
        const std::string align = Lower(vm.ToString(get("textAlign")));
        const char* const names[] = {"left", "right", "center", "justify"};
        for (uint8_t i = 0; i < 4; ++i)
            if (align == names[i])
                css.align = i;
    }
    if (given("fontWeight"))
        css.bold = Lower(vm.ToString(get("fontWeight"))) == "bold";
    if (given("fontStyle"))
        css.italic = Lower(vm.ToString(get("fontStyle"))) == "italic";
    if (given("fontFamily"))
        css.font = vm.ToString(get("fontFamily")).substr(0, 256);
    css.indent = Twips(vm, get("textIndent"));
    css.leading = Twips(vm, get("leading"));
    css.leftMargin = Twips(vm, get("marginLeft"));
    css.rightMargin = Twips(vm, get("marginRight"));
    css.letterSpacing = Twips(vm, get("letterSpacing"));
    return css;
}

}  // namespace

std::vector<TextCss> ReadStyleSheet(Vm& vm, const Value& sheet)
{
    std::vector<TextCss> rules;
    Object* styles = StylesOf(vm, sheet);
    if (!styles)
        return rules;
    for (const std::string& name : vm.Enumerate(*styles)) {
        const Value style = OwnValue(vm, *styles, name);
        if (!style.IsObject())
            continue;
        if (rules.size() >= kMaxStyles)
            break;
        vm.Charge(16);
        rules.push_back(ReadStyle(vm, name, *style.o));
    }
    return rules;
}

void InstallStyleSheet(Vm& vm, Object& textField)
{
    const NativeClass sheet = NewClass(vm, StyleSheetConstructor, 0);
    DefineMethods(vm, sheet.proto, kStyleSheetMethods);
    vm.SetOwn(textField, "StyleSheet", Value::Obj(&sheet.ctor), kDontEnum);
}

}  // namespace swf::avm1
