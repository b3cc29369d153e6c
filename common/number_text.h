#pragma once

// The number texts every window writes and reads. They follow the conventions users' spreadsheets
// already rely on: "." as decimal point in fields, 15 significant digits, "E" exponents.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/locale_free_text.h"

namespace ctiq {

// Separators of the user's number format, used only by FloatToStrF.
struct NumberSeparators {
    std::string thousands = ",";
    std::string decimal = ".";
};

// Reads an integer (optional leading blanks, optional sign, decimal digits or $/0x hexadecimal);
// anything else, or a value beyond 32 bits, throws the "not an integer" error.
std::int32_t StrToInt(std::string_view text);

// Reads a real with "." as decimal point and an optional exponent; blanks around it are allowed.
long double StrToFloat(std::string_view text);

std::string IntToStr(std::int64_t value);

// General number text: shortest form with up to 15 significant digits, fixed notation from
// 0.00001 up to 15 integer digits, otherwise d.dddE±x.
std::string FloatToStr(long double value);

// Fixed-point text with `decimals` decimals and thousands grouping (ffNumber, precision 15).
std::string FloatToStrF(long double value, int decimals, const NumberSeparators& separators);

// The separators of the system's number format.
NumberSeparators systemNumberSeparators();

}  // namespace ctiq
