#include "app/hint_timing.h"

#include <QApplication>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolTip>
#include <QWidget>

namespace volmarin {

namespace {

class HintDelayStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) {
            return HintWakeUpMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Qt picks a hint's display time from its length; the program keeps every hint up for the
// same time instead.
class HintDurationFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().isEmpty()) {
            return false;
        }
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), HintShowMs);
        return true;
    }
};

} // namespace

void installHintTiming(QApplication& app) {
    // Once per application: each new window set would otherwise stack another filter.
    static const char* const Installed = "volmarinHintTiming";
    if (app.property(Installed).toBool()) {
        return;
    }
    app.setProperty(Installed, true);
    QApplication::setStyle(new HintDelayStyle(QStyleFactory::create(app.style()->name())));
    app.installEventFilter(new HintDurationFilter(&app));
}

} // namespace volmarin
