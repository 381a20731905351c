#include "app/window_set.h"
#include "catalogue/background_workers.h"
#include "platform/error_report.h"
#include "platform/held_keys.h"

#include <chrono>

int main(int argc, char** argv) {
    volmarin::VolmarinApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("VOLMARIN"));
    // The viewer pages when a key is let go: a key held down must give one release only.
    volmarin::askForOneReleasePerHeldKey();
    volmarin::createWindowSet();
    const int status = app.exec();
    volmarin::destroyWindowSet();
    // Decodes still running were told to stop when their windows went; give them a moment
    // to end, but never hold up the end of the program for a file that will not let go.
    volmarin::BackgroundWorkers::waitForAllThreads(std::chrono::milliseconds(200));
    return status;
}
