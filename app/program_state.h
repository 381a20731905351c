#pragma once

#include <QString>

#include <cstdint>

// State shared by all windows for the whole run. The windows read and write these
// directly, as each step of the program names them.
namespace volmarin {

extern std::int32_t SourceIndex;  // current catalogue item, -1 when none
extern std::int32_t TargetIndex;  // item under the last right press, or the next carry's place
extern std::int32_t MoveCount;    // number of items the pending move carries
extern std::int32_t LoadPosition; // index of the next file to load
extern QString LoadedFolder;      // folder of the loaded catalogue; empty before the first load
extern QString DefaultFolder;     // folder the chooser opens at start-up (settings line 18)
extern QString StartFolder;       // working directory at start-up; home of the settings file
extern std::int32_t ExitByMenu;   // 1 once the exit command has written the settings file
extern std::int32_t ReturnWindow; // window given back by the notice box and the viewer
extern QString PreviousSize;      // thumbnail-size text when the size dialog was opened

// Puts every shared variable back to its value at program start.
void resetProgramState();

// Numbers of the windows as ReturnWindow names them.
enum WindowNumber : std::int32_t {
    NoWindow = 0,
    MainWindow = 1,
    ChooserWindow = 2,
    BatchRenameWindow = 3,
    SingleRenameWindow = 4,
    SizeWindow = 5,
};

} // namespace volmarin
