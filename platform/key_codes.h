#pragma once

namespace volmarin {

// Windows virtual-key numbers that the handlers receive.
enum VirtualKey : int {
    VK_NONE = 0,
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
};

// Maps a Qt::Key to its virtual-key number: letters to 65..90 whatever their case, digits
// to 48..57, F1..F12 to 112..123, Enter on either keypad to 13. Unknown keys give 0.
int virtualKeyFromQt(int qtKey);

} // namespace volmarin
