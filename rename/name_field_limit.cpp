#include "rename/name_field_limit.h"

#include "platform/name_codec.h"

#include <QLineEdit>

#include <algorithm>

namespace volmarin {

namespace {
qsizetype codePoints(const QString& text) {
    return static_cast<qsizetype>(nameCodePoints(text).size());
}

// Where the character that ends at position end begins: a surrogate pair is one character,
// and so is a lone surrogate (an escaped byte of a name).
qsizetype characterStart(const QString& text, qsizetype end) {
    if (end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate()) {
        return end - 2;
    }
    return end - 1;
}
} // namespace

CodePointLimit::CodePointLimit(int maxCodePoints, QLineEdit* field)
    : QValidator(field), field_(field), max_(maxCodePoints), textBefore_(field->text()) {
    // Read from the field, not from the signal: a handler connected earlier may have
    // changed the text again before this one runs.
    connect(field, &QLineEdit::textChanged, this, [this] { textBefore_ = field_->text(); });
}

QValidator::State CodePointLimit::validate(QString& text, int& cursor) const {
    const qsizetype length = codePoints(text);
    if (length <= max_) {
        return Acceptable;
    }
    // setText empties the field's undo history before the new text is judged, while every
    // edit by the user is recorded there first: without history the text is the program's.
    if (!field_->isUndoAvailable()) {
        return Acceptable;
    }
    const qsizetype allowed = std::max<qsizetype>(max_, codePoints(textBefore_));
    if (length <= allowed) {
        return Acceptable;
    }
    // What the user typed or pasted ends at the cursor. As the platform's fields do, it is
    // cut to what fits, the characters beyond the limit dropped and the rest of the text
    // kept as it was.
    qsizetype excess = length - allowed;
    qsizetype start = std::clamp<qsizetype>(cursor, 0, text.size());
    const qsizetype end = start;
    while (excess > 0 && start > 0) {
        start = characterStart(text, start);
        --excess;
    }
    text.remove(start, end - start);
    cursor = static_cast<int>(start);
    // Nothing of the edit fits: refused, so that the field keeps its undo history.
    return excess > 0 || text == textBefore_ ? Invalid : Acceptable;
}

void limitToCodePoints(QLineEdit* field, int maxCodePoints) {
    // The line edit's own maximum (its default, whatever a layout set) would cut texts the
    // program puts there; the validator does the real counting.
    field->setMaxLength(32767);
    field->setValidator(new CodePointLimit(maxCodePoints, field));
}

} // namespace volmarin
