#pragma once

// Formatted text written back as the HTML a field's htmlText gives: one
// P per paragraph (TEXTFORMAT around it when its margins or indents are
// set) and one FONT per run, in the reference player's upper-case form.

#include <vector>

#include <QString>

#include "swf/text/FormattedText.h"

namespace swf {

// `fieldFont` names the font of runs that use the field's own.
QString writeHtmlText(const std::vector<Paragraph>& paragraphs, const QString& fieldFont);

} // namespace swf
