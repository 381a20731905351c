#include "app/screen_cursors.h"

#include <QPixmap>

#include <map>

namespace volmarin {

namespace {
std::map<int, QCursor>& registry() {
    static std::map<int, QCursor> cursors;
    return cursors;
}
} // namespace

void registerScreenCursor(int number, const QCursor& cursor) {
    registry()[number] = cursor;
}

QCursor screenCursor(int number) {
    const auto found = registry().find(number);
    return found == registry().end() ? QCursor(Qt::ArrowCursor) : found->second;
}

void registerDragCursors() {
    registerScreenCursor(CursorDragLeft, QCursor(QPixmap(QStringLiteral(":/cursors/L")), 0, 0));
    registerScreenCursor(CursorDragRight, QCursor(QPixmap(QStringLiteral(":/cursors/R")), 0, 0));
}

} // namespace volmarin
