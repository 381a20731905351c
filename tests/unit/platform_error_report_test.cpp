#include "platform/error_report.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace volmarin;

namespace {

class Thrower : public QObject {
public:
    int handled = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++handled;
            if (handled == 1)
                throw std::runtime_error("'８０px' is not a valid integer value");
            if (handled == 2)
                throw 42;
            return true;
        }
        return QObject::event(e);
    }
};

VolmarinApplication& app() {
    static int argc = 1;
    static char name[] = "platform_error_report_test";
    static char* argv[] = {name, nullptr};
    static VolmarinApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new VolmarinApplication(argc, argv);
    }();
    return *instance;
}

TEST(ErrorReport, AnExceptionInAHandlerIsReportedAndTheProgramGoesOn) {
    app();
    QStringList reports;
    setErrorReportSink([&](const QString& text) { reports.append(text); });

    Thrower thrower;
    for (int i = 0; i < 3; ++i)
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();

    EXPECT_EQ(thrower.handled, 3); // the event after the failures still arrives
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0], QStringLiteral("'８０px' is not a valid integer value"));
    EXPECT_FALSE(reports[1].isEmpty());
    EXPECT_FALSE(errorReportOpen());

    // Timers keep working after a report.
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
    setErrorReportSink({});
}

QList<QMessageBox*> shownReports() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.append(box);
    return boxes;
}

TEST(ErrorReport, ShowsPlainTextAsGivenAndOnlyTheStartOfAHugeText) {
    app();
    setErrorReportSink({});
    // Markup-like names are shown as they are: no entity decoding, no collapsed blanks.
    reportError(QStringLiteral("'p  &lt;q.bmp' <b>x</b>"));
    QCoreApplication::processEvents();
    auto boxes = shownReports();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->textFormat(), Qt::PlainText);
    EXPECT_EQ(boxes[0]->text(), QStringLiteral("'p  &lt;q.bmp' <b>x</b>"));
    boxes[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A megabyte of digits (a settings line) is cut to its first 300 characters, so the
    // box is laid out at once instead of freezing the window for seconds.
    const QString huge = u'\'' + QString(1000000, u'1') + u'\'';
    QElapsedTimer clock;
    clock.start();
    reportError(huge);
    QCoreApplication::processEvents();
    const qint64 shownAfterMs = clock.elapsed();
    boxes = shownReports();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->text().toStdString(), (huge.left(300) + QStringLiteral("…")).toStdString());
    EXPECT_LT(shownAfterMs, 2000);
    boxes[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The same cut reaches a replaced receiver; a short text arrives whole.
    QStringList reports;
    setErrorReportSink([&](const QString& text) { reports.append(text); });
    reportError(huge);
    reportError(QString(300, u'x'));
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].toStdString(), (huge.left(300) + QStringLiteral("…")).toStdString());
    EXPECT_EQ(reports[1], QString(300, u'x'));
    setErrorReportSink({});
}

TEST(ErrorReport, TheMessageBoxCountsAsOpenUntilDismissed) {
    app();
    setErrorReportSink({});
    reportError(QStringLiteral("first"));
    reportError(QStringLiteral("second"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(errorReportOpen());

    // reportError returned without a nested event loop; close the boxes as the user would.
    QWidgetList boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("VOLMARIN"))
            boxes.append(w);
    ASSERT_EQ(boxes.size(), 2);
    boxes[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(errorReportOpen());
    boxes[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(errorReportOpen());
}

} // namespace
