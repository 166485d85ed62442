#include "base/numbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/errors.h"

namespace velta {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Printf(const char* fmt, double v, int prec) {
    char buf[400];
    std::snprintf(buf, sizeof buf, fmt, prec, v);
    return buf;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

bool IsAmbiguousComma(std::string_view text) {
    std::string_view t = TrimBlanks(text);
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    const size_t comma = t.find(',');
    if (comma == std::string_view::npos || comma == 0 || t.size() != comma + 4) return false;
    bool wholeNonZero = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (i == comma) continue;
        if (!IsDigit(t[i])) return false;
        if (i < comma && t[i] != '0') wholeNonZero = true;
    }
    return wholeNonZero;
}

std::optional<double> ParseNumber(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    if (t.empty() || t.size() > 300 || IsAmbiguousComma(t)) return std::nullopt;

    const bool hasPoint = t.find('.') != std::string_view::npos;
    std::string norm;
    norm.reserve(t.size());
    size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') {
        negative = t[i] == '-';
        if (negative) norm.push_back('-');
        ++i;
    }
    int intDigits = 0, fracDigits = 0, separators = 0;
    // Decimal magnitude of the first significant digit, to tell an underflow
    // from an overflow when the conversion reports the value out of range.
    long magnitude = 0;
    bool seenSignificant = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (IsDigit(c)) {
            if (separators == 0) {
                ++intDigits;
                if (c != '0' || seenSignificant) {
                    if (!seenSignificant) magnitude = 0;
                    seenSignificant = true;
                    ++magnitude;
                }
            } else {
                ++fracDigits;
                if (!seenSignificant) {
                    --magnitude;
                    if (c != '0') {
                        seenSignificant = true;
                        ++magnitude;
                    }
                }
            }
            norm.push_back(c);
        } else if (c == '.' || (c == ',' && !hasPoint)) {
            if (++separators > 1) return std::nullopt;
            norm.push_back('.');
        } else {
            break;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    long exponent = 0;
    if (i < t.size()) {
        if (t[i] != 'e' && t[i] != 'E') return std::nullopt;
        norm.push_back('e');
        ++i;
        bool expNegative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            expNegative = t[i] == '-';
            norm.push_back(t[i]);
            ++i;
        }
        const size_t expStart = i;
        for (; i < t.size() && IsDigit(t[i]); ++i) {
            norm.push_back(t[i]);
            if (exponent < 100000) exponent = exponent * 10 + (t[i] - '0');
        }
        if (i == expStart || i != t.size()) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }

    double value = 0.0;
    const char* first = norm.data() + (negative ? 1 : 0);
    const auto res = std::from_chars(first, norm.data() + norm.size(), value);
    if (res.ptr != norm.data() + norm.size()) return std::nullopt;
    if (res.ec == std::errc::result_out_of_range) {
        if (!seenSignificant || magnitude + exponent < 0) return negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (res.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

int32_t RoundToInt32(double v) {
    const double r = std::nearbyint(v);  // default rounding mode: halves to even
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        throw OverflowError("whole-number conversion");
    return static_cast<int32_t>(r);
}

bool IsWholeNumber(std::string_view text) {
    const auto v = ParseNumber(text);
    if (!v) return false;
    const double r = std::nearbyint(*v);
    return r == *v && r >= std::numeric_limits<int32_t>::min() &&
           r <= std::numeric_limits<int32_t>::max();
}

std::optional<int64_t> ParseGroupedWholeNumber(std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    // Digits in groups of three after the first, as FormatGrouped writes them.
    const size_t firstComma = t.find(',');
    if (firstComma == std::string_view::npos || firstComma == 0 || firstComma > 3) return std::nullopt;
    std::string digits;
    for (size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        const bool commaPlace = i >= firstComma && (i - firstComma) % 4 == 0;
        if (commaPlace ? c != ',' : (c < '0' || c > '9')) return std::nullopt;
        if (!commaPlace) digits.push_back(c);
    }
    if ((t.size() - firstComma) % 4 != 0 || digits.size() > 18) return std::nullopt;
    return std::stoll(digits);
}

double IntPart(double v) {
    return std::floor(v);
}

std::string FormatFixed(double v, int decimals) {
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
    // Past 15 digits before the point the digits are noise.
    if (std::fabs(v) >= 1e15) return FormatScientific(v);
    std::string s = Printf("%.*f", v, decimals);
    const size_t point = s.find('.');
    if (point != std::string::npos) {
        size_t end = s.size();
        while (end > point + 1 && s[end - 1] == '0') --end;
        if (end == point + 1) --end;  // no digit left after the point
        s.resize(end);
    }
    if (s == "-0") s = "0";
    return s;
}

std::string FormatSignificant(double v, int digits) {
    if (v == 0.0 || !std::isfinite(v)) return FormatFixed(v, 0);
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    if (magnitude >= 15 || magnitude < -12) return FormatScientific(v);
    // Rounding can carry into one more digit before the point (9.9996 -> 10).
    const int decimals = std::max(0, digits - 1 - magnitude);
    return FormatFixed(v, decimals);
}

std::string FormatGrouped(int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<size_t>(i), ",");
    return v < 0 ? "-" + digits : digits;
}

std::string FormatScientific(double v) {
    return Printf("%.*E", v, 2);
}

std::string FormatAxis(double v) {
    std::string s = Printf("%.*f", v, 3);
    const size_t point = s.find('.');
    size_t end = s.size();
    while (end > point + 2 && s[end - 1] == '0') --end;
    s.resize(end);
    if (s == "-0.0") s = "0.0";
    return s;
}

std::string FormatGeneral(double v) {
    if (v == 0.0) return "0";
    std::string s = Printf("%.*G", v, 15);
    return s;
}

std::string FormatExact(double v) {
    std::string s = FormatGeneral(v);
    // Bit for bit: "0" reads back equal to -0.0 but without its sign.
    if (const auto back = ParseNumber(s);
        back && std::bit_cast<uint64_t>(*back) == std::bit_cast<uint64_t>(v))
        return s;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    s.assign(buf, res.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

std::string FormatInteger(int64_t v) {
    return std::to_string(v);
}

}  // namespace velta
