#pragma once

class QApplication;

namespace volmarin {

// Hints of the whole program appear 10 ms after the pointer rests on their control and
// stay up for 60000 ms.
inline constexpr int HintWakeUpMs = 10;
inline constexpr int HintShowMs = 60000;

void installHintTiming(QApplication& app);

} // namespace volmarin
