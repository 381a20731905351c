#pragma once

#include <QValidator>

class QLineEdit;

namespace volmarin {

// The longest name the single rename's field takes, in characters.
inline constexpr int MaxTypedNameLength = 256;

// A limit on what the user types or pastes into a field, in characters counted as code
// points, an escaped byte of a name as one (a line edit's own maximum counts UTF-16 units,
// and it also cuts the text the program puts there). An edit by the user that would leave
// more than maxCodePoints characters, and more than the field held before, is cut: of what
// was typed or pasted, the characters that fit are kept and the others dropped. A text the
// program sets passes unchanged whatever its length (a stored setting is kept as it
// stands), and the user may shorten such a text or edit it without lengthening it.
class CodePointLimit : public QValidator {
public:
    CodePointLimit(int maxCodePoints, QLineEdit* field);
    State validate(QString& text, int& cursor) const override;

private:
    QLineEdit* field_;
    int max_;
    QString textBefore_; // the field's text before the edit being judged
};

void limitToCodePoints(QLineEdit* field, int maxCodePoints);

} // namespace volmarin
