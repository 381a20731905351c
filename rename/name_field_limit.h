#pragma once

#include <QValidator>

class QLineEdit;

namespace volmarin {

// The longest name the single rename's field takes, in characters.
inline constexpr int MaxTypedNameLength = 256;

// Keeps what is typed or pasted into a field to at most maxCodePoints characters, counted
// as code points (a line edit's own limit counts UTF-16 units): an edit that would make
// the text longer is refused. Any other text, line breaks included, passes unchanged.
class CodePointLimit : public QValidator {
public:
    CodePointLimit(int maxCodePoints, QObject* parent);
    State validate(QString& text, int& cursor) const override;

private:
    int max_;
};

void limitToCodePoints(QLineEdit* field, int maxCodePoints);

} // namespace volmarin
