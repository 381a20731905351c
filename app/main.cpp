#include "app/window_set.h"
#include "platform/error_report.h"

int main(int argc, char** argv) {
    volmarin::VolmarinApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("VOLMARIN"));
    volmarin::createWindowSet();
    const int status = app.exec();
    volmarin::destroyWindowSet();
    return status;
}
