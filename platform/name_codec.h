#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace volmarin {

// File names on Linux are bytes. Names from old cameras and Japanese archives are often
// Shift-JIS or Latin-1, so the program keeps every name losslessly as text:
//
// - a valid UTF-8 sequence becomes its characters;
// - every other byte b (always 0x80 to 0xFF) becomes the lone low surrogate U+DC00 + b, a
//   UTF-16 unit that no valid UTF-8 name can produce, so the two never meet.
//
// Every path handed to a system call goes through nameToBytes(), which gives those exact
// bytes back; QString::toUtf8() and QFile::encodeName() would turn such a unit into "?".
// An escaped byte counts as one character wherever names are counted or matched.

// Bytes to the program's text.
QString nameFromBytes(QByteArrayView bytes);

// The program's text to bytes: escaped bytes come back as they were, everything else as
// UTF-8. A lone surrogate that no decoding made (outside U+DC80 to U+DCFF) becomes U+FFFD.
QByteArray nameToBytes(QStringView name);

// The same text after a trip to bytes and back: a run of escaped bytes that together form
// valid UTF-8 (typed as escapes, say) becomes those characters, as a listing would show it.
QString canonicalName(QStringView name);

// The characters of a name as code points, an escaped byte as its surrogate (QString's own
// toUcs4() would turn it into U+FFFD), and back.
std::u32string nameCodePoints(QStringView name);
QString nameFromCodePoints(std::u32string_view codePoints);

// The code points of a name straight from its bytes, as nameCodePoints(nameFromBytes(bytes))
// gives them, into out (cleared first): a scan of a big folder decodes every entry and
// need not make a text of each.
void nameCodePointsFromBytes(QByteArrayView bytes, std::u32string& out);

// True when c, right after previous, is the second byte of a Shift-JIS double-byte
// character rather than a character of its own: an ASCII byte from 0x40 to 0x7E after a
// byte that is not UTF-8 and can lead such a character (0x81 to 0x9F, 0xE0 to 0xFC). So
// the second bytes of ソ (83 5C) and ポ (83 7C) are no backslash or bar, and テ (83 65)
// and ウ (83 45) are two characters, not one in two letter cases.
bool isDoubleByteTrail(char32_t previous, char32_t c);

// The one case folding of every comparison that ignores letter case: each code point
// folded on its own (simple folding), but an escaped byte and a double-byte trail stay as
// they are, having no letter case.
void foldCase(std::u32string& codePoints);

// How a name is shown: every escaped byte as "\x" and two upper-case hexadecimal digits
// (Shift-JIS テスト.jpg shows as \x83e\x83X\x83g.jpg); everything else as it stands.
QString nameForDisplay(QStringView name);

// The other way, for a name the user edited in its shown form: "\x" and two hexadecimal
// digits from 80 to FF stand for that byte; any other text stands for itself. The result
// is canonical (as canonicalName gives it).
QString nameFromDisplay(QStringView text);

// True when the name holds a byte that is not UTF-8.
bool hasEscapedBytes(QStringView name);

} // namespace volmarin
