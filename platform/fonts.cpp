#include "platform/fonts.h"

namespace volmarin {

QStringList programFontFamilies() {
    // The first name is written in full-width letters, as Japanese systems register it.
    return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
}

QFont programFont(int pixelSize) {
    QFont font;
    font.setFamilies(programFontFamilies());
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace volmarin
