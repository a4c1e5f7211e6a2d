#pragma once
// Lenient number conversion of query values and parameter-file fields:
// leading blanks, an optional sign, then digits; the first other character
// ends the number; a text without digits gives 0. Nothing is ever rejected.
#include <cstdint>
#include <string_view>

// Decimal integer. Values beyond the 32-bit range saturate at its ends.
std::int32_t textToInteger(std::string_view text);

// Decimal real: digits with an optional decimal point and exponent
// ("350.5xyz" gives 350.5, "1e3" gives 1000). No hexadecimal, "inf" or "nan".
double textToReal(std::string_view text);
