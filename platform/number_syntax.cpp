#include "platform/number_syntax.h"

#include "platform/error_report.h"

namespace volmarin {

namespace {

// The longest part of a text that a conversion error quotes, in characters.
constexpr qsizetype QuotedTextLimit = 40;

// Reads the digits from position i to the end of text in the given base. The magnitude is
// capped just above the largest one that can fit, so long runs of digits cannot overflow;
// leading zeros cost nothing.
std::optional<std::int64_t> readDigits(const QString& text, qsizetype i, int base) {
    constexpr std::int64_t cap = std::int64_t{1} << 32;
    if (i >= text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const int digit = base == 16 ? hexDigitValue(c) : (c >= u'0' && c <= u'9' ? c - u'0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > cap)
            value = cap;
    }
    return value;
}

} // namespace

int hexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

std::optional<std::int32_t> parseWholeNumber(const QString& text) {
    constexpr std::int64_t maxValue = 0x7FFFFFFF;
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    const QStringView rest = QStringView(text).mid(i);

    // Hexadecimal: the prefix decides, and no sign may stand before it. Values beyond
    // 0x7FFFFFFF are refused rather than wrapped to negative numbers.
    qsizetype prefix = 0;
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X'))
        prefix = 1;
    else if (rest.startsWith(u"0x") || rest.startsWith(u"0X"))
        prefix = 2;
    if (prefix > 0) {
        const auto value = readDigits(text, i + prefix, 16);
        if (!value || *value > maxValue)
            return std::nullopt;
        return static_cast<std::int32_t>(*value);
    }

    bool negative = false;
    if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        negative = rest.startsWith(u'-');
        ++i;
    }
    const auto value = readDigits(text, i, 10);
    if (!value || *value > maxValue + (negative ? 1 : 0))
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -*value : *value);
}

std::int32_t toWholeNumber(const QString& text) {
    if (const auto value = parseWholeNumber(text))
        return *value;
    // The quote is cut short: the text may be a settings line of any length.
    const QString quoted = textPrefix(text, QuotedTextLimit);
    throw ConversionError(
        (u'\'' + quoted + QStringLiteral("' は整数ではありません")).toStdString());
}

} // namespace volmarin
