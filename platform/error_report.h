#pragma once

#include <QApplication>
#include <QString>

#include <functional>

namespace volmarin {

// The general error report: a failure that no handler catches is shown with its own text,
// the handler that raised it is abandoned, and the program goes on with the next event.
class VolmarinApplication : public QApplication {
public:
    VolmarinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows text in the error report's message box (not modal for the event loop: timers keep
// running, but other windows take no input while it is up).
void reportError(const QString& text);

// True while an error report is on screen. Work that would raise reports one after
// another (a load of broken files) waits until the user has dismissed it.
bool errorReportOpen();

// Replaces the message box by another receiver, for tests; an empty function restores it.
void setErrorReportSink(std::function<void(const QString&)> sink);

} // namespace volmarin
