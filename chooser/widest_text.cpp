#include "chooser/widest_text.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace volmarin {

namespace {

constexpr qsizetype MostMeasured = 64;

// How far below the largest estimate a text may still turn out the widest once shaped.
qreal shapingAllowance(qreal estimate) {
    return 2 + estimate / 20;
}

// The advance of each character of a font, measured when first met.
class CharacterAdvances {
public:
    explicit CharacterAdvances(const QFont& font) : metrics_(font) { ascii_.fill(-1); }

    qreal sumOf(QStringView text) {
        qreal sum = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i].unicode();
            if (unit < ascii_.size()) {
                qreal& advance = ascii_[unit];
                if (advance < 0) {
                    advance = metrics_.horizontalAdvance(QChar(unit));
                }
                sum += advance;
                continue;
            }
            const bool pair =
                QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            const char32_t codePoint = pair ? QChar::surrogateToUcs4(unit, text[i + 1]) : unit;
            auto known = others_.constFind(codePoint);
            if (known == others_.constEnd()) {
                const qreal advance = pair
                                          ? metrics_.horizontalAdvance(text.sliced(i, 2).toString())
                                          : metrics_.horizontalAdvance(QChar(unit));
                known = others_.insert(codePoint, advance);
            }
            sum += *known;
            i += pair ? 1 : 0;
        }
        return sum;
    }

private:
    QFontMetricsF metrics_;
    std::array<qreal, 128> ascii_;
    QHash<char32_t, qreal> others_;
};

} // namespace

int widestTextWidth(const QFont& font, const QStringList& texts) {
    CharacterAdvances advances(font);
    std::vector<std::pair<qreal, qsizetype>> estimates;
    estimates.reserve(texts.size());
    qreal largest = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const qreal estimate = advances.sumOf(texts.at(i));
        estimates.emplace_back(estimate, i);
        largest = std::max(largest, estimate);
    }
    const qreal lowest = largest - shapingAllowance(largest);
    std::erase_if(estimates, [lowest](const auto& e) { return e.first < lowest; });
    // The widest estimates first, and among equal ones the first texts.
    const auto measured = std::min<qsizetype>(estimates.size(), MostMeasured);
    std::partial_sort(estimates.begin(), estimates.begin() + measured, estimates.end(),
                      [](const auto& a, const auto& b) {
                          return a.first != b.first ? a.first > b.first : a.second < b.second;
                      });
    const QFontMetrics metrics(font);
    int widest = 0;
    for (qsizetype i = 0; i < measured; ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(texts.at(estimates[i].second)));
    }
    return widest;
}

} // namespace volmarin
