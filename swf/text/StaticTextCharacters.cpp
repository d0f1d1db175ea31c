#include "swf/text/StaticTextCharacters.h"

#include <optional>

#include <QTransform>

namespace swf {

std::vector<StaticCharacter> staticCharacters(const StaticText& text, const StaticFontLookup& fonts)
{
    std::vector<StaticCharacter> out;
    const QTransform place = text.matrix.toTransform();
    std::optional<std::int32_t> baseline;
    for (const TextRun& run : text.runs) {
        const std::shared_ptr<const Font> font = run.hasFont && fonts ? fonts(run.fontId) : nullptr;
        // A run further down begins a line; one on the same baseline
        // carries on the line (a change of colour or font within it).
        const bool newLine = baseline && run.y != *baseline;
        baseline = run.y;
        bool first = true;
        double x = run.x;
        for (const GlyphEntry& glyph : run.glyphs) {
            if (font && glyph.index < font->codes.size()) {
                const QRectF cell(QPointF(x, run.y - double(run.height)), QPointF(x + glyph.advance, run.y));
                out.push_back({char16_t(font->codes[glyph.index]), place.mapRect(cell.normalized()), newLine && first});
                first = false;
            }
            x += glyph.advance;
        }
    }
    return out;
}

} // namespace swf
