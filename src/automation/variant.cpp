#include "tallux/variant.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/text.h"
#include "tallux/recording_target.h"

namespace tallux::com {

Variant::Variant() noexcept = default;
Variant::Variant(Integer v) noexcept
    : value_(v)
{
}
Variant::Variant(Long v) noexcept
    : value_(v)
{
}
Variant::Variant(Single v) noexcept
    : value_(v)
{
}
Variant::Variant(Double v) noexcept
    : value_(v)
{
}
Variant::Variant(String v) noexcept
    : value_(std::move(v))
{
}
Variant::Variant(const char16_t* v)
    : value_(String(v))
{
}
Variant::Variant(Boolean v) noexcept
    : value_(v)
{
}
Variant::Variant(bool v) noexcept
    : value_(Boolean(v))
{
}
Variant::Variant(IDispatch* object) noexcept
    : value_(ComPtr<IDispatch>(object))
{
}
Variant::Variant(ComPtr<IDispatch> object) noexcept
    : value_(std::move(object))
{
}

Variant::Variant(Number n) noexcept
{
    switch (n.type()) {
    case Number::Type::Int16: value_ = Integer(static_cast<std::int16_t>(n.value())); break;
    case Number::Type::Int32: value_ = static_cast<Long>(n.value()); break;
    case Number::Type::Float32: value_ = static_cast<Single>(n.value()); break;
    case Number::Type::Float64: value_ = n.value(); break;
    }
}

Variant Variant::byRef(Variant& target) noexcept
{
    Variant v;
    v.value_ = &target.deref();
    return v;
}

Variant::Variant(const Variant&) = default;
Variant::Variant(Variant&&) noexcept = default;
Variant& Variant::operator=(const Variant&) = default;
Variant& Variant::operator=(Variant&&) noexcept = default;
Variant::~Variant() = default;

VarType Variant::vt() const noexcept
{
    static constexpr VarType types[] = {
        VT_EMPTY, VT_I2,       VT_I4,
        VT_R4,    VT_R8,       VT_BSTR,
        VT_BOOL,  VT_DISPATCH, static_cast<VarType>(VT_BYREF | VT_VARIANT)};
    static_assert(std::size(types) == std::variant_size_v<Value>);
    return types[value_.index()];
}

Variant& Variant::deref() noexcept
{
    Variant* const* ref = std::get_if<Variant*>(&value_);
    return ref ? **ref : *this;
}

const Variant& Variant::deref() const noexcept
{
    Variant* const* ref = std::get_if<Variant*>(&value_);
    return ref ? **ref : *this;
}

bool operator==(const Variant& a, const Variant& b) noexcept
{
    return a.value_ == b.value_;
}

std::optional<Number> numberOf(const Variant& v) noexcept
{
    if (auto i = v.get<Integer>()) return Number(*i);
    if (auto l = v.get<Long>()) return Number(*l);
    if (auto s = v.get<Single>()) return Number(*s);
    if (auto d = v.get<Double>()) return Number(*d);
    return std::nullopt;
}

namespace {

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept
{
    return std::ranges::equal(a, b, [](char16_t x, char16_t y) {
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
        return lower(x) == lower(y);
    });
}

// A text that is wholly a decimal number: blanks around it, an optional sign,
// digits with an optional decimal point, an optional exponent.
std::optional<double> numberFromText(std::u16string_view text)
{
    const String trimmed = trimBlanks(text);
    std::string s = toUtf8(trimmed);
    std::size_t start = 0;
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) negative = s[start++] == '-';
    if (start == s.size() ||
        !(std::isdigit(static_cast<unsigned char>(s[start])) || s[start] == '.'))
        return std::nullopt;
    double value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data() + start, end, value);
    if (ptr != end) return std::nullopt;
    if (ec == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    else if (ec != std::errc())
        return std::nullopt;
    return negative ? -value : value;
}

// The value as a double for a numeric conversion, or the failure.
HRESULT numericValue(const Variant& v, double& out)
{
    if (v.vt() == VT_EMPTY) return out = 0, status::ok;
    if (auto n = numberOf(v)) return out = n->value(), status::ok;
    if (auto b = v.get<Boolean>()) return out = b->value(), status::ok;
    if (auto s = v.get<String>()) {
        const auto n = numberFromText(*s);
        if (!n) return status::typeMismatch;
        out = *n;
        return std::isinf(out) ? status::overflow : status::ok;
    }
    return status::typeMismatch;
}

// Rounds half to even into [lo, hi], or reports an overflow.
HRESULT whole(double d, double lo, double hi, double& out)
{
    const double r = std::nearbyint(d);
    if (!(r >= lo && r <= hi)) return status::overflow;
    out = r;
    return status::ok;
}

HRESULT toText(const Variant& v, String& out)
{
    if (v.vt() == VT_EMPTY) return out.clear(), status::ok;
    if (auto s = v.get<String>()) return out = *s, status::ok;
    if (auto b = v.get<Boolean>()) return out = *b ? u"True" : u"False", status::ok;
    if (auto n = numberOf(v)) return out = fromUtf8(numberText(*n)), status::ok;
    return status::typeMismatch;
}

HRESULT toBoolean(const Variant& v, Boolean& out)
{
    if (auto s = v.get<String>()) {
        const String t = trimBlanks(*s);
        if (equalsIgnoringCase(t, u"True")) return out = true, status::ok;
        if (equalsIgnoringCase(t, u"False")) return out = false, status::ok;
    }
    double d = 0;
    const HRESULT hr = numericValue(v, d);
    if (failed(hr)) return hr;
    out = d != 0;
    return status::ok;
}

} // namespace

HRESULT changeType(Variant& dest, const Variant& src, VarType vt)
{
    const Variant& v = src.deref();
    double d = 0;
    HRESULT hr = status::ok;
    switch (vt) {
    case VT_EMPTY:
        if (v.vt() != VT_EMPTY) return status::typeMismatch;
        dest = Variant();
        return status::ok;
    case VT_I2:
        if (failed(hr = numericValue(v, d)) || failed(hr = whole(d, Integer::min, Integer::max, d)))
            return hr;
        dest = Variant(Integer(static_cast<int>(d)));
        return status::ok;
    case VT_I4:
        if (failed(hr = numericValue(v, d)) || failed(hr = whole(d, INT32_MIN, INT32_MAX, d)))
            return hr;
        dest = Variant(static_cast<Long>(d));
        return status::ok;
    case VT_R4:
        if (failed(hr = numericValue(v, d))) return hr;
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX) return status::overflow;
        dest = Variant(static_cast<Single>(d));
        return status::ok;
    case VT_R8:
        if (failed(hr = numericValue(v, d))) return hr;
        dest = Variant(d);
        return status::ok;
    case VT_BSTR: {
        String s;
        if (failed(hr = toText(v, s))) return hr;
        dest = Variant(std::move(s));
        return status::ok;
    }
    case VT_BOOL: {
        Boolean b;
        if (failed(hr = toBoolean(v, b))) return hr;
        dest = Variant(b);
        return status::ok;
    }
    case VT_DISPATCH:
        if (v.vt() != VT_DISPATCH) return status::typeMismatch;
        dest = Variant(*v.get<ComPtr<IDispatch>>());
        return status::ok;
    default: return status::badVarType;
    }
}

std::string describe(const Variant& v)
{
    if (v.isByRef()) return "ByRef " + describe(v.deref());
    if (auto n = numberOf(v)) return std::string(typeName(n->type())) + " " + numberText(*n);
    if (auto s = v.get<String>()) return "String \"" + toUtf8(*s) + "\"";
    if (auto b = v.get<Boolean>()) return *b ? "Boolean True" : "Boolean False";
    if (auto o = v.get<ComPtr<IDispatch>>()) return *o ? "Object" : "Nothing";
    return "Empty";
}

} // namespace tallux::com
