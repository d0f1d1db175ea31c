#pragma once

// The small HTML subset text fields understand: p, br, b, i, u, font, a, li,
// textformat and the common entities. Anything else is ignored, its text
// kept. One pass over the input, never backtracking, so hostile markup
// costs no more than its length.

#include <vector>

#include <QString>

#include "swf/text/FormattedText.h"

namespace swf {

std::vector<Paragraph> parseHtmlText(const QString& html, const CharFormat& base, const ParagraphFormat& baseParagraph);

} // namespace swf
