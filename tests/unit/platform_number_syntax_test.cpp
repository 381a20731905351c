#include "platform/number_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>

using volmarin::ConversionError;
using volmarin::parseWholeNumber;
using volmarin::toWholeNumber;

namespace {

struct Accepted {
    const char16_t* text;
    std::int32_t value;
};

TEST(WholeNumberSyntax, AcceptsDecimalWithOptionalSignAndLeadingSpaces) {
    const Accepted cases[] = {
        {u"0", 0},
        {u"7", 7},
        {u"+7", 7},
        {u"-7", -7},
        {u"   42", 42},
        {u"  -42", -42},
        {u"-0", 0},
        {u"000000000000123", 123},
        {u"2147483647", 2147483647},
        {u"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases) {
        const auto v = parseWholeNumber(QString::fromUtf16(c.text));
        ASSERT_TRUE(v.has_value()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(*v, c.value) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(WholeNumberSyntax, AcceptsEveryHexPrefixAndDigitCase) {
    const Accepted cases[] = {
        {u"$14", 20},           {u"x14", 20},       {u"X14", 20},    {u"0x14", 20},
        {u"0X14", 20},          {u"$aBcD", 0xABCD}, {u"  $ff", 255}, {u"$7FFFFFFF", 2147483647},
        {u"$0000000000001", 1},
    };
    for (const auto& c : cases) {
        const auto v = parseWholeNumber(QString::fromUtf16(c.text));
        ASSERT_TRUE(v.has_value()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(*v, c.value) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(WholeNumberSyntax, RefusesMalformedText) {
    const char16_t* cases[] = {
        u"",    u" ",   u"   ", u"+",   u"-",   u"12 ", u"1 2",  u"12a",
        u"abc", u"$",   u"x",   u"0x",  u"$g",  u"-$1", u"+$1",  u"-0x1",
        u"+x1", u"--1", u"+-1", u"\t1", u"1.0", u"1e3", u"１２", // full-width digits
    };
    for (const auto* c : cases)
        EXPECT_FALSE(parseWholeNumber(QString::fromUtf16(c)).has_value())
            << "'" << QString::fromUtf16(c).toStdString() << "'";
}

TEST(WholeNumberSyntax, RefusesValuesOutsideSigned32Bits) {
    // Hexadecimal values are not wrapped into negative numbers: $FFFFFFFF is refused, not -1.
    const char16_t* cases[] = {
        u"2147483648", u"-2147483649", u"99999999999999999999",  u"$80000000",
        u"$FFFFFFFF",  u"0x100000000", u"$FFFFFFFFFFFFFFFFFFFF",
    };
    for (const auto* c : cases)
        EXPECT_FALSE(parseWholeNumber(QString::fromUtf16(c)).has_value())
            << QString::fromUtf16(c).toStdString();
}

TEST(WholeNumberSyntax, ConversionErrorQuotesTheText) {
    EXPECT_EQ(toWholeNumber(QStringLiteral(" $1F")), 31);
    try {
        toWholeNumber(QStringLiteral("８０px"));
        FAIL() << "no exception";
    } catch (const ConversionError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("'８０px' is not a valid integer value"));
    }
    EXPECT_THROW(toWholeNumber(QString()), ConversionError);
}

} // namespace
