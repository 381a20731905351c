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

TEST(WholeNumberSyntax, ConversionErrorQuotesTheTextInJapaneseAndCutsALongOne) {
    EXPECT_EQ(toWholeNumber(QStringLiteral(" $1F")), 31);
    const auto messageFor = [](const QString& text) {
        try {
            toWholeNumber(text);
        } catch (const ConversionError& e) {
            return QString::fromUtf8(e.what());
        }
        return QStringLiteral("<no exception>");
    };
    EXPECT_EQ(messageFor(QStringLiteral("８０px")),
              QStringLiteral("'８０px' は整数ではありません"));
    EXPECT_EQ(messageFor(QString()), QStringLiteral("'' は整数ではありません"));
    // A settings line of a megabyte is quoted by its first 40 characters; a character
    // beyond the basic plane counts as one and is never split.
    const QString face = QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(messageFor(face.repeated(39) + QString(1000000, u'1')),
              u'\'' + face.repeated(39) + QStringLiteral("1…' は整数ではありません"));
}

} // namespace
