#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace volmarin {

// Thrown when a field's or a settings line's text is converted to a number and is none.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The value of a hexadecimal digit of either case (0 to 15), or -1 for any other character.
int hexDigitValue(char16_t c);

// The program's one whole-number syntax: optional leading spaces, then either an optional
// sign and decimal digits, or a hexadecimal prefix ("$", "x", "X", "0x", "0X") and hex
// digits; nothing after; the value fits a signed 32-bit integer.
std::optional<std::int32_t> parseWholeNumber(const QString& text);

inline bool isWholeNumber(const QString& text) {
    return parseWholeNumber(text).has_value();
}

// As parseWholeNumber, but a text that is no number throws ConversionError with a message
// that quotes the text, or its first characters followed by "…" when it is long.
std::int32_t toWholeNumber(const QString& text);

} // namespace volmarin
