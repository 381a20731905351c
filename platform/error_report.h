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

// The longest part of a text that the error report quotes, in characters (code points).
inline constexpr qsizetype ReportedTextLimit = 300;

// The first maxCodePoints characters of text, followed by "…" when something was cut off.
// A surrogate pair is never split.
QString textPrefix(const QString& text, qsizetype maxCodePoints);

// Shows text in the error report's message box (not modal for the event loop: timers keep
// running, but other windows take no input while it is up). The text is shown as plain
// text, exactly as given, and at most its first ReportedTextLimit characters: a failure
// that quotes a huge input (a settings line of megabytes) must not freeze the window.
void reportError(const QString& text);

// True while an error report is on screen. Work that would raise reports one after
// another (a load of broken files) waits until the user has dismissed it.
bool errorReportOpen();

// Replaces the message box by another receiver, for tests; an empty function restores it.
void setErrorReportSink(std::function<void(const QString&)> sink);

} // namespace volmarin
