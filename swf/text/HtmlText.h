#pragma once

// The small HTML subset text fields understand: p, br, tab, b, i, u, font, a, li,
// textformat and the common entities. Anything else is ignored, its text
// kept. One pass over the input, never backtracking, so hostile markup
// costs no more than its length.

#include <functional>
#include <vector>

#include <QString>

#include "swf/text/FormattedText.h"

namespace swf {

// What a style sheet says of a selector ("p", ".note"), applied to the
// formats a tag opens with; empty when the field has no sheet.
using HtmlStyles = std::function<void(const QString& selector, CharFormat&, ParagraphFormat&)>;

// With styles, any tag (span too) may carry a class. Without tag breaks
// (a field that is not multiline, from version 7) p, li and br break no
// lines; raw line breaks still do.
std::vector<Paragraph> parseHtmlText(const QString& html, const CharFormat& base, const ParagraphFormat& baseParagraph,
                                     const HtmlStyles& styles = {}, bool tagBreaks = true);

} // namespace swf
