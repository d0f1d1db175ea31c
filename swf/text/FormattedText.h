#pragma once

// Text as a field shows it: paragraphs of runs, each run in one character
// format. Plain fields give one format throughout; HTML fields many.
// Lengths are in twips.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "swf/Color.h"
#include "swf/define/EditText.h"

namespace swf {

struct CharFormat {
    std::string face; // a device font name, or "" for the field's own font
    double size = 240;
    Color color;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string url;
    std::string target;

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct ParagraphFormat {
    TextAlign align = TextAlign::Left;
    double leftMargin = 0;
    double rightMargin = 0;
    double indent = 0; // first line only
    double blockIndent = 0;
    double leading = 0; // added below each line
    bool bullet = false;
    std::vector<double> tabStops;

    friend bool operator==(const ParagraphFormat&, const ParagraphFormat&) = default;
};

struct TextSpan {
    QString text;
    CharFormat format;
    // The paragraph settings its characters carry when they are not their
    // paragraph's: each character keeps its own, as script reads them back.
    std::optional<ParagraphFormat> paragraph = std::nullopt;
};

struct Paragraph {
    ParagraphFormat format;
    std::vector<TextSpan> spans;
    // The break that ends it: the paragraph settings it carries when they
    // are not the paragraph's, and whether script's text leaves it out (a
    // raw CR in HTML ends a paragraph yet reads as nothing).
    std::optional<ParagraphFormat> breakFormat = std::nullopt;
    bool silentBreak = false;

    QString plainText() const;
};

// The formats a field starts with, from its DefineEditText.
CharFormat baseCharFormat(const EditText& field);
ParagraphFormat baseParagraphFormat(const EditText& field);

// Text stored in a movie: UTF-8 from version 6, the system code page before.
// Bytes that are not UTF-8 are taken as Latin-1, so nothing is lost.
QString decodeMovieText(std::string_view bytes);

// Plain text split into paragraphs at CR, LF and CRLF.
std::vector<Paragraph> plainParagraphs(const QString& text, const CharFormat& format, const ParagraphFormat& paragraph);

} // namespace swf
