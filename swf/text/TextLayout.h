#pragma once

// Sets a field's paragraphs into lines: picks the font for each run, breaks
// lines to the field's width when it wraps, and places each line for its
// alignment, margins and indents. Lengths are twips in the field's space.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include "swf/Header.h"
#include "swf/define/EditText.h"
#include "swf/define/Font.h"
#include "swf/text/FormattedText.h"

namespace swf {

// Between a field's edge and its text, as the reference player leaves it.
inline constexpr double kTextGutter = 40; // 2 px

// A character format made concrete: either an embedded font's outlines or
// a device font, at one size.
struct TextFace {
    const Font* embedded = nullptr;
    // Absent with an embedded font, and where no desktop font system runs.
    std::optional<QFont> device;
    std::optional<QFontMetricsF> metrics; // of `device`, kept because measuring asks for it per character
    double size = 0; // twips
    double ascent = 0;
    double descent = 0;

    // What a character code draws with in the embedded font, if anything.
    std::optional<std::size_t> glyphFor(char32_t c) const;
    double advance(QStringView character) const;
};

// Device fonts need the desktop's font system, which only a GUI
// application starts; headless tools without one get no device text
// rather than an abort.
bool deviceFontsAvailable();

// Device families for a font name as movies write it (_sans, Arial, ...).
QStringList deviceFamilies(const QString& name);

struct LaidRun {
    std::size_t face = 0; // into TextLayout::faces
    CharFormat format;
    QString text;
    std::vector<qsizetype> starts; // where each character begins in `text`
    std::vector<double> xs;        // each character's origin, from the line's x
    double width = 0;
};

struct LaidLine {
    double x = 0; // origin of the line's first character
    double baseline = 0;
    double ascent = 0;
    double descent = 0;
    double width = 0; // without trailing spaces
    bool bullet = false;
    double bulletX = 0;
    std::vector<LaidRun> runs;
    // Where the line's characters sit in the field's text, paragraph
    // breaks counted: what a caret and a click are placed by.
    qsizetype firstChar = 0;
    qsizetype endChar = 0; // one past its last character, its break left out
};

struct TextLayout {
    // The field's font, kept alive for the faces that draw with it.
    std::shared_ptr<const Font> font;
    Rect bounds; // the field's, grown or shrunk when it sizes itself to its text
    std::vector<TextFace> faces;
    std::vector<LaidLine> lines; // those that can show; lines wholly below the field are only measured
    double textWidth = 0;
    double textHeight = 0; // of all lines
    // Every line's bottom below the top of the text, shown or not: what
    // scrolling counts in.
    std::vector<double> lineBottoms;
    // Every line's first character in the field's text, shown or not.
    std::vector<qsizetype> lineStarts;
    std::optional<Color> border;
    std::optional<Color> background;
    // A focused field's caret and selected characters, drawn over the text.
    struct Highlight {
        qsizetype begin = 0;
        qsizetype end = 0;
        qsizetype caret = 0;
        bool caretShown = true;
    };
    std::optional<Highlight> highlight;
};

// `fieldFont` is the font the field names, or null. A scrolled field shows
// its lines from `firstLine` (from 0) and its text moved left by
// `scrolledAcross` twips.
TextLayout layoutText(const EditText& field, const std::vector<Paragraph>& paragraphs, const Font* fieldFont, std::size_t firstLine = 0,
                      double scrolledAcross = 0);

// A field showing `text` (HTML when `html`), with its password masking,
// laid out with the font it names.
std::shared_ptr<const TextLayout> layoutField(const EditText& field, const QString& text, bool html, std::shared_ptr<const Font> fieldFont);

} // namespace swf
