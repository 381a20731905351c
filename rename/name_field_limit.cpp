#include "rename/name_field_limit.h"

#include <QLineEdit>

#include <algorithm>

namespace volmarin {

namespace {
qsizetype codePoints(const QString& text) {
    return text.size() -
           std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
}
} // namespace

CodePointLimit::CodePointLimit(int maxCodePoints, QLineEdit* field)
    : QValidator(field), field_(field), max_(maxCodePoints),
      lengthBefore_(codePoints(field->text())) {
    // Read from the field, not from the signal: a handler connected earlier may have
    // changed the text again before this one runs.
    connect(field, &QLineEdit::textChanged, this,
            [this] { lengthBefore_ = codePoints(field_->text()); });
}

QValidator::State CodePointLimit::validate(QString& text, int&) const {
    const qsizetype length = codePoints(text);
    if (length <= max_) {
        return Acceptable;
    }
    // setText empties the field's undo history before the new text is judged, while every
    // edit by the user is recorded there first: without history the text is the program's.
    if (!field_->isUndoAvailable()) {
        return Acceptable;
    }
    // Refused rather than cut: cutting the end would silently drop a name's extension.
    return length <= lengthBefore_ ? Acceptable : Invalid;
}

void limitToCodePoints(QLineEdit* field, int maxCodePoints) {
    // The line edit's own maximum (its default, whatever a layout set) would cut texts the
    // program puts there; the validator does the real counting.
    field->setMaxLength(32767);
    field->setValidator(new CodePointLimit(maxCodePoints, field));
}

} // namespace volmarin
