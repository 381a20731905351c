#include "app/program_state.h"

namespace volmarin {

std::int32_t SourceIndex = -1;
std::int32_t TargetIndex = -1;
std::int32_t MoveCount = 0;
std::int32_t LoadPosition = 0;
QString LoadedFolder;
QString DefaultFolder;
QString StartFolder;
std::int32_t ExitByMenu = 0;
std::int32_t ReturnWindow = 0;
QString PreviousSize;

void resetProgramState() {
    SourceIndex = -1;
    TargetIndex = -1;
    MoveCount = 0;
    LoadPosition = 0;
    LoadedFolder.clear();
    DefaultFolder.clear();
    StartFolder.clear();
    ExitByMenu = 0;
    ReturnWindow = 0;
    PreviousSize.clear();
}

} // namespace volmarin
