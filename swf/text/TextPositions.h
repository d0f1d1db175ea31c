#pragma once

// Where characters sit in a laid-out field, by their index in the field's
// text: the caret's place, the character under a point, the boxes a
// selection covers, the line a character is on. Lengths are twips in the
// field's space, as the layout gives them.

#include <optional>
#include <vector>

#include <QPointF>
#include <QRectF>

#include "swf/text/TextLayout.h"

namespace swf {

// The line (from 0, among all lines, shown or not) holding `index`; a
// caret between a wrapped line and the next sits on the next.
std::size_t lineNumberOf(const TextLayout& layout, qsizetype index);
// The shown line holding `index`, if it is shown.
const LaidLine* shownLineOf(const TextLayout& layout, qsizetype index);
// The x of a caret before `index` on `line`.
double caretX(const LaidLine& line, qsizetype index);
// The caret place nearest a point: the line under it (the first or last
// shown when above or below), then the nearer side of the character.
qsizetype indexAt(const TextLayout& layout, QPointF point);
// A thin box the caret is drawn as, when its line shows.
std::optional<QRectF> caretBox(const TextLayout& layout, qsizetype index);
// The boxes covering [begin, end) on the lines that show.
std::vector<QRectF> selectionBoxes(const TextLayout& layout, qsizetype begin, qsizetype end);

} // namespace swf
