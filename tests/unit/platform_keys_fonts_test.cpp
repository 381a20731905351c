#include "platform/fonts.h"
#include "platform/key_codes.h"

#include <gtest/gtest.h>

#include <Qt>

using namespace volmarin;

namespace {

TEST(KeyCodes, MapsQtKeysToVirtualKeys) {
    const struct {
        int qt;
        int vk;
    } cases[] = {
        {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},
        {Qt::Key_Escape, 27},   {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},       {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},     {Qt::Key_X, 88},
        {Qt::Key_Z, 90},        {'x', 88},
        {Qt::Key_A, 65},        {Qt::Key_0, 48},
        {Qt::Key_9, 57},        {Qt::Key_F1, 112},
        {Qt::Key_F12, 123},     {Qt::Key_Space, 32},
        {Qt::Key_Shift, 16},    {Qt::Key_Control, 17},
        {Qt::Key_Alt, 18},      {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},
        {Qt::Key_Home, 36},     {Qt::Key_Insert, 45},
        {Qt::Key_Delete, 46},   {Qt::Key_Backspace, 8},
        {Qt::Key_Tab, 9},       {Qt::Key_F13, 0},
        {Qt::Key_Meta, 0},      {Qt::Key_unknown, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(virtualKeyFromQt(c.qt), c.vk) << "Qt key 0x" << std::hex << c.qt;
}

TEST(Fonts, AskForTheJapaneseFamiliesInOrderAtThePixelSize) {
    const QStringList expected{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                               QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    EXPECT_EQ(programFontFamilies(), expected);
    const QFont font = programFont(12);
    EXPECT_EQ(font.families(), expected);
    EXPECT_EQ(font.pixelSize(), 12);
}

} // namespace
