#include "platform/name_codec.h"

#include <gtest/gtest.h>

using namespace volmarin;

namespace {

// Every kind of name comes back to the same bytes, shows legibly, and its shown form
// (as the rename field holds it) turns back into the same name.
TEST(NameCodec, BytesRoundTripAndShowEscaped) {
    const struct {
        QByteArray bytes;
        const char16_t* shown;
        int characters; // an escaped byte is one
    } cases[] = {
        {"a.jpg", u"a.jpg", 5},
        {"\xE7\x94\xBB\xE5\x83\x8F.jpg", u"画像.jpg", 6},
        {"\xF0\x9F\x98\x80.jpg", u"\U0001F600.jpg", 5},
        // Shift-JIS テスト.jpg: lead bytes escaped, ASCII trail bytes kept.
        {"\x83\x65\x83\x58\x83\x67.jpg", u"\\x83e\\x83X\\x83g.jpg", 10},
        // Shift-JIS 写真: CA 90 happens to be valid UTF-8 (U+0290) and stays text.
        {"\x8E\xCA\x90\x5E", u"\\x8E\u0290^", 3},
        {"caf\xE9.bmp", u"caf\\xE9.bmp", 8},              // Latin-1
        {"\xFF", u"\\xFF", 1},                            // a lone 0xFF
        {"\xE7\x94.jpg", u"\\xE7\\x94.jpg", 6},           // UTF-8 cut short
        {"\xC0\xAF", u"\\xC0\\xAF", 2},                   // overlong "/"
        {"\xED\xA0\x80", u"\\xED\\xA0\\x80", 3},          // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\\xF4\\x90\\x80\\x80", 4}, // past U+10FFFF
        {"\xF0\x9F\x98\x80\x82", u"\U0001F600\\x82", 2},  // a pair, then an escape
    };
    for (const auto& c : cases) {
        const QString name = nameFromBytes(c.bytes);
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(nameToBytes(name), c.bytes);
        EXPECT_EQ(nameForDisplay(name), QString::fromUtf16(c.shown));
        EXPECT_EQ(nameFromDisplay(nameForDisplay(name)), name);
        EXPECT_EQ(nameFromCodePoints(nameCodePoints(name)), name);
        EXPECT_EQ(int(nameCodePoints(name).size()), c.characters);
        std::u32string scanned = U"reused";
        nameCodePointsFromBytes(c.bytes, scanned);
        EXPECT_EQ(scanned, nameCodePoints(name));
        EXPECT_EQ(hasEscapedBytes(name), QString::fromUtf16(c.shown).contains(u"\\x"));
    }
}

TEST(NameCodec, ShownFormsThatAreNotEscapes) {
    const struct {
        const char16_t* typed;
        QByteArray bytes;
    } cases[] = {
        {u"\\x41.jpg", "\\x41.jpg"},                  // below 0x80: literal text
        {u"\\x8", "\\x8"},                            // cut short
        {u"\\xG1", "\\xG1"},                          // not hexadecimal
        {u"\\\\x82", "\\\x82"},                       // a backslash, then the escape
        {u"\\xe7\\x94\\xbb.jpg", "\xE7\x94\xBB.jpg"}, // escapes forming UTF-8: 画.jpg
    };
    for (const auto& c : cases) {
        const QString name = nameFromDisplay(QString::fromUtf16(c.typed));
        EXPECT_EQ(nameToBytes(name), c.bytes) << QString::fromUtf16(c.typed).toStdString();
        EXPECT_EQ(name, nameFromBytes(c.bytes)); // canonical, as a listing gives it
    }
    // A surrogate that no decoding makes cannot reach the disk as a stray byte.
    EXPECT_EQ(nameToBytes(QString(QChar(0xD800)) + QLatin1Char('a')), QByteArray("\xEF\xBF\xBD"
                                                                                 "a"));
}

} // namespace
