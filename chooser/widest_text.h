#pragma once

#include <QFont>
#include <QStringList>

namespace volmarin {

// The pixel width of the widest of texts in font, as QFontMetrics::horizontalAdvance gives
// it; 0 for no texts.
//
// Measuring a text lays it out whole, which for tens of thousands of names takes longer
// than reading them from disk. So every text is first estimated from the advances of its
// characters (each character measured once), and only the texts whose estimate comes near
// the largest are measured in full. Shaping moves a text's width from its estimate by a
// pixel or two at most for the names folders hold (kerning, ligatures), well within the
// margin allowed for it; among many names of nearly the same estimate only the first
// MostMeasured are measured, which may miss the widest by that pixel or two.
int widestTextWidth(const QFont& font, const QStringList& texts);

} // namespace volmarin
