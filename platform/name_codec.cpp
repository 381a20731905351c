#include "platform/name_codec.h"

#include "platform/number_syntax.h"

#include <algorithm>

namespace volmarin {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isEscapedByte(char16_t unit) {
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF;
}

// Length of the valid UTF-8 sequence at p (1 to 4), with its code point in codePoint, or 0
// when the byte there starts none. Overlong forms, surrogates and values past U+10FFFF are
// not valid.
int validSequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
    const unsigned char b = p[0];
    if (b < 0x80) {
        codePoint = b;
        return 1;
    }
    int length;
    char32_t c;
    char32_t min;
    if ((b & 0xE0) == 0xC0) {
        length = 2, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4, c = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    codePoint = c;
    return length;
}

} // namespace

QString nameFromBytes(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Runs of valid UTF-8 are handed to Qt's decoder whole.
        const auto* run = p;
        int length;
        char32_t codePoint;
        while (p < end && (length = validSequence(p, end, codePoint)) > 0)
            p += length;
        if (p > run)
            out += QString::fromUtf8(reinterpret_cast<const char*>(run), p - run);
        if (p < end)
            out += QChar(char16_t(EscapeBase + *p++));
    }
    return out;
}

QByteArray nameToBytes(QStringView name) {
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype to) {
        if (to > runStart)
            out += name.mid(runStart, to - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (!QChar::isSurrogate(u))
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i; // a proper pair: plain UTF-8
            continue;
        }
        flushRun(i);
        if (isEscapedByte(u))
            out += char(u - EscapeBase);
        else
            out += "\xEF\xBF\xBD";
        runStart = i + 1;
    }
    flushRun(name.size());
    return out;
}

QString canonicalName(QStringView name) {
    return nameFromBytes(nameToBytes(name));
}

std::u32string nameCodePoints(QStringView name) {
    std::u32string out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, name[i + 1]));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

void nameCodePointsFromBytes(QByteArrayView bytes, std::u32string& out) {
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        char32_t codePoint;
        const int length = validSequence(p, end, codePoint);
        out.push_back(length > 0 ? codePoint : EscapeBase + *p);
        p += std::max(length, 1);
    }
}

bool isDoubleByteTrail(char32_t previous, char32_t c) {
    if (c < 0x40 || c > 0x7E || previous < EscapeBase + 0x81u || previous > EscapeBase + 0xFCu)
        return false;
    return previous <= EscapeBase + 0x9Fu || previous >= EscapeBase + 0xE0u;
}

void foldCase(std::u32string& codePoints) {
    char32_t previous = 0;
    for (char32_t& c : codePoints) {
        const char32_t original = c;
        if (!isDoubleByteTrail(previous, c))
            c = QChar::toCaseFolded(c);
        previous = original;
    }
}

QString nameFromCodePoints(std::u32string_view codePoints) {
    QString out;
    out.reserve(codePoints.size());
    for (const char32_t c : codePoints) {
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
}

QString nameForDisplay(QStringView name) {
    if (!hasEscapedBytes(name))
        return name.toString();
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(name.size() + 16);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        const bool pairStart =
            QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        if (!pairStart && isEscapedByte(u)) {
            const int b = u - EscapeBase;
            out += QStringLiteral("\\x");
            out += QChar(digits[b >> 4]);
            out += QChar(digits[b & 15]);
        } else {
            out += name[i];
            if (pairStart)
                out += name[++i];
        }
    }
    return out;
}

QString nameFromDisplay(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 3 < text.size() && text[i + 1] == u'x') {
            const int high = hexDigitValue(text[i + 2].unicode());
            const int low = hexDigitValue(text[i + 3].unicode());
            if (high >= 8 && low >= 0) {
                out += QChar(char16_t(EscapeBase + high * 16 + low));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return canonicalName(out);
}

bool hasEscapedBytes(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i;
        else if (isEscapedByte(c.unicode()))
            return true;
    }
    return false;
}

} // namespace volmarin
