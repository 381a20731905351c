#include "platform/error_report.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace volmarin {

namespace {

int openReports = 0;

std::function<void(const QString&)>& sink() {
    static std::function<void(const QString&)> instance;
    return instance;
}

} // namespace

VolmarinApplication::VolmarinApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VolmarinApplication::notify(QObject* receiver, QEvent* event) {
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("予期しないエラーが起きました。");
    }
    // Reporting must not throw back into the event loop either.
    try {
        reportError(text);
    } catch (...) {
        std::fprintf(stderr, "VOLMARIN: %s\n", text.toLocal8Bit().constData());
    }
    return false;
}

QString textPrefix(const QString& text, qsizetype maxCodePoints) {
    qsizetype units = 0;
    for (qsizetype codePoints = 0; units < text.size() && codePoints < maxCodePoints;
         ++codePoints) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                          text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return units < text.size() ? text.left(units) + u'\u2026' : text;
}

void reportError(const QString& fullText) {
    const QString text = textPrefix(fullText, ReportedTextLimit);
    if (sink()) {
        sink()(text);
        return;
    }
    // Without a QApplication no widget can exist; the text still reaches someone.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "VOLMARIN: %s\n", text.toLocal8Bit().constData());
        return;
    }
    // Shown, not exec()'d: a nested event loop would run the handlers' timers re-entrantly
    // inside the handler that failed.
    auto* box =
        new QMessageBox(QMessageBox::Critical, QStringLiteral("VOLMARIN"), text, QMessageBox::Ok);
    // A file name such as "p  &lt;q.bmp" must not be read as markup.
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    ++openReports;
    QObject::connect(box, &QObject::destroyed, [] { --openReports; });
    box->show();
}

bool errorReportOpen() {
    return !sink() && openReports > 0;
}

void setErrorReportSink(std::function<void(const QString&)> newSink) {
    sink() = std::move(newSink);
}

} // namespace volmarin
