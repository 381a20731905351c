#include "rename/name_field_limit.h"

#include <QLineEdit>

namespace volmarin {

CodePointLimit::CodePointLimit(int maxCodePoints, QObject* parent)
    : QValidator(parent), max_(maxCodePoints) {}

QValidator::State CodePointLimit::validate(QString& text, int&) const {
    // Refused rather than cut: cutting the end would silently drop the extension.
    return text.toUcs4().size() > max_ ? Invalid : Acceptable;
}

void limitToCodePoints(QLineEdit* field, int maxCodePoints) {
    // Every code point may take two UTF-16 units; the validator does the real counting.
    field->setMaxLength(2 * maxCodePoints);
    field->setValidator(new CodePointLimit(maxCodePoints, field));
}

} // namespace volmarin
