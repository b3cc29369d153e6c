#include "common/number_text.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/app_error.h"

namespace ctiq {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal expansion d1.d2d3... x 10^exponent; digits empty means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// 18 significant digits, as many as the extended type carries reliably.
Decimal toDecimal(long double value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0) return d;
    char buf[64];
    const double asDouble = static_cast<double>(value);
    if (static_cast<long double>(asDouble) == value) {
        // A double's exact value, correctly rounded to 18 digits as printf rounds it, without
        // printf's cost: most numbers written are doubles.
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(asDouble),
                                             std::chars_format::scientific, 17);
        *end = '\0';
    } else {
        std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(value));
    }
    const std::string s(buf);
    const auto ePos = s.find('e');
    for (std::size_t i = 0; i < ePos; ++i)
        if (isDigit(s[i])) d.digits.push_back(s[i]);
    d.exponent = std::stoi(s.substr(ePos + 1));
    return d;
}

void stripTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// Keeps `keep` leading digits, rounding half away from zero on the digit string.
void roundToDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) {
        stripTrailingZeros(d);
        return;
    }
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
            d.digits.pop_back();
            if (keep == 0) d.digits = "1";
        }
    }
    stripTrailingZeros(d);
}

std::string scientific(const Decimal& d) {
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) out += "." + d.digits.substr(1);
    out += "E" + std::to_string(d.exponent);
    return out;
}

std::string digitAt(const Decimal& d, int position) {
    // position 0 is the units digit, 1 the tens, -1 the tenths ...
    const int index = d.exponent - position;
    if (index < 0 || index >= static_cast<int>(d.digits.size())) return "0";
    return std::string(1, d.digits[index]);
}

// The power of ten of the first significant digit of a well-formed real text.
long decimalExponent(std::string_view t) {
    long exponent = 0;
    const std::size_t e = t.find_first_of("eE");
    if (e != std::string_view::npos) {
        std::string_view digits = t.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
        for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
        if (negative) exponent = -exponent;
    }
    const std::string_view mantissa = t.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return -1;
    const long position =
        first < point ? static_cast<long>(point - first - 1) : -static_cast<long>(first - point);
    return position + exponent;
}

}  // namespace

std::int32_t StrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) throw AppError(messages::notAnInteger(text));
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 10 ? (isDigit(text[i]) ? text[i] - '0' : -1) : hexValue(text[i]);
        if (digit < 0) throw AppError(messages::notAnInteger(text));
        value = value * base + digit;
        if (value > std::int64_t{1} << 32) throw AppError(messages::notAnInteger(text));
    }
    if (negative) value = -value;
    if (base == 16 && !negative && value <= 0xFFFFFFFFLL && value > 0x7FFFFFFFLL)
        value -= std::int64_t{1} << 32;  // hexadecimal texts name the bit pattern
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw AppError(messages::notAnInteger(text));
    return static_cast<std::int32_t>(value);
}

long double StrToFloat(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    const std::string_view t = text.substr(b, e - b);
    // [sign] digits [. digits] [(E|e) [sign] digits], at least one mantissa digit.
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++mantissaDigits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) throw AppError(messages::notAFloat(text));
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) throw AppError(messages::notAFloat(text));
    }
    if (i != t.size()) throw AppError(messages::notAFloat(text));

    std::string clean(t);
    if (!clean.empty() && clean[0] == '+') clean.erase(0, 1);
    long double value = 0;
    const auto res = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is no number the tool can use.
        if (decimalExponent(clean) < 0) return 0;
        throw AppError(messages::notAFloat(text));
    }
    if (res.ec != std::errc() || res.ptr != clean.data() + clean.size())
        throw AppError(messages::notAFloat(text));
    return value;
}

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string FloatToStr(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    Decimal d = toDecimal(value);
    roundToDigits(d, 15);
    if (d.digits.empty()) return "0";
    if (d.exponent >= 15 || d.exponent < -5) return scientific(d);

    std::string out = d.negative ? "-" : "";
    if (d.exponent < 0) {
        out += "0." + std::string(-d.exponent - 1, '0') + d.digits;
        return out;
    }
    for (int p = d.exponent; p >= 0; --p) out += digitAt(d, p);
    const int fractionDigits = static_cast<int>(d.digits.size()) - d.exponent - 1;
    if (fractionDigits > 0) out += "." + d.digits.substr(d.exponent + 1);
    return out;
}

std::string FloatToStrF(long double value, int decimals, const NumberSeparators& separators) {
    if (std::isnan(value) || std::isinf(value)) return FloatToStr(value);
    Decimal d = toDecimal(value);
    if (!d.digits.empty()) roundToDigits(d, std::min(15, d.exponent + 1 + decimals));
    if (!d.digits.empty() && d.exponent >= 15) return FloatToStr(value);

    std::string out = (d.negative && !d.digits.empty()) ? "-" : "";
    const int top = d.digits.empty() ? 0 : std::max(d.exponent, 0);
    for (int p = top; p >= 0; --p) {
        out += digitAt(d, p);
        if (p > 0 && p % 3 == 0) out += separators.thousands;
    }
    if (decimals > 0) {
        out += separators.decimal;
        for (int p = -1; p >= -decimals; --p) out += digitAt(d, p);
    }
    return out;
}

NumberSeparators systemNumberSeparators() {
    const QLocale locale;  // the system locale, unless the application set another default
    return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

}  // namespace ctiq
