// Values and conversions: strings paid from the scripts' memory, the conversions and comparisons
// of ActionScript, movie time and trace output.
#include "swf/avm1/VmInternal.h"

#include "swf/player/Player.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

namespace {
// The shared count and deleter of a string's reference, with its allocation header.
constexpr std::size_t kAllocatorHeader = 16;
constexpr std::size_t kStringCountBytes = 48 + kAllocatorHeader;
}  // namespace

// ---------------------------------------------------------------------------
// Values

Value Vm::Str(std::string s)
{
    if (s.size() > kMaxStringLength)
        throw ScriptAbort{"a string grew too long"};
    Charge(s.size() / 64);
    // What a string really takes: its object and the shared count beside it, and unless it
    // is short enough to sit inside the object, its heap block (rounded as the allocator does).
    std::size_t n = sizeof(std::string) + kStringCountBytes;
    if (s.capacity() > std::string().capacity())
        n += (s.capacity() + 1 + kAllocatorHeader + 15) / 16 * 16;
    Reserve(n);
    auto bytes = m_pBytes;
    return Value::String(StringRef(new std::string(std::move(s)), [bytes, n](const std::string* p) {
        bytes->Refund(n);
        delete p;
    }));
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
        Pay(v.Str().size() / 256);
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

StringRef Vm::ToStringRef(const Value& v)
{
    if (v.IsString())
        return v.s;
    return std::make_shared<const std::string>(ToString(v));
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

// Two strings compared, paying for long ones.
bool Vm::SameText(const Value& a, const Value& b)
{
    if (a.s == b.s)
        return true;
    if (a.Str().size() != b.Str().size())
        return false;
    Charge(a.Str().size() / 64);
    return a.Str() == b.Str();
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
        return SameText(a, b);
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
        return SameText(a, b);
    return ToNumber(a) == ToNumber(b);
}

Value Vm::Less(const Value& a, const Value& b)
{
    const Value pa = ToPrimitive(a), pb = ToPrimitive(b);
    if (pa.IsString() && pb.IsString()) {
        Charge(std::min(pa.Str().size(), pb.Str().size()) / 64);
        return Value::Bool(pa.Str() < pb.Str());
    }
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
    return m_player.FramesPlayed() * 1000.0 / std::max(1.0, m_player.GetMovie().frameRate);
}

void Vm::Trace(const std::string& text)
{
    if (m_nTraceBytes > kMaxTraceBytes)
        return;
    m_nTraceBytes += text.size();
    if (onTrace)
        onTrace(text);
}

}  // namespace swf::avm1
