#include "swf/render/TextPainter.h"

#include <cmath>

#include <QColor>

#include "swf/text/TextLayout.h"
#include "swf/text/TextPositions.h"

namespace swf {

namespace {

QColor toQColor(Color c) { return QColor(c.r, c.g, c.b, c.a); }

void fillGlyph(QPainter& painter, const QTransform& base, const QPainterPath& glyph, double x, double y, double scale,
               const QColor& color)
{
    painter.setWorldTransform(QTransform(scale, 0, 0, scale, x, y) * base);
    painter.fillPath(glyph, color);
}

// A font that names a device font carries codes but no outlines; the
// reference then draws the characters with the system's font of that name.
void drawDeviceGlyph(QPainter& painter, const Font& font, std::uint32_t index, double x, double y, double height,
                     const QColor& color)
{
    if (index >= font.codes.size() || height <= 0 || !deviceFontsAvailable())
        return;
    QFont device;
    device.setFamilies(deviceFamilies(decodeMovieText(font.name)));
    device.setPixelSize(std::max(1, int(height)));
    device.setBold(font.bold);
    device.setItalic(font.italic);
    painter.setFont(device);
    painter.setPen(color);
    painter.drawText(QPointF(x, y), QString(QChar(font.codes[index])));
}

void paintRun(QPainter& painter, const QTransform& base, const LaidLine& line, const LaidRun& run, const TextFace& face,
              const ColorTransform& cx)
{
    const QColor color = toQColor(cx.apply(run.format.color));
    if (face.embedded) {
        const double scale = face.size / face.embedded->emSquare;
        for (std::size_t k = 0; k < run.starts.size(); ++k) {
            const QChar first = run.text[run.starts[k]];
            const char32_t c = first.isHighSurrogate() && run.starts[k] + 1 < run.text.size()
                                   ? QChar::surrogateToUcs4(first, run.text[run.starts[k] + 1])
                                   : first.unicode();
            if (const auto glyph = face.glyphFor(c))
                fillGlyph(painter, base, face.embedded->glyphs[*glyph], line.x + run.xs[k], line.baseline, scale, color);
        }
        painter.setWorldTransform(base);
    } else if (face.device) {
        painter.setFont(*face.device);
        painter.setPen(color);
        // One call a character keeps each where layout measured it.
        for (std::size_t k = 0; k < run.starts.size(); ++k) {
            const qsizetype end = k + 1 < run.starts.size() ? run.starts[k + 1] : run.text.size();
            const QStringView character = QStringView(run.text).mid(run.starts[k], end - run.starts[k]);
            if (character[0] != u' ')
                painter.drawText(QPointF(line.x + run.xs[k], line.baseline), character.toString());
        }
    }
    if (run.format.underline && !run.xs.empty()) {
        const double thickness = std::max(20.0, face.size / 16);
        painter.fillRect(QRectF(line.x + run.xs.front(), line.baseline + face.descent * 0.4, run.width, thickness), color);
    }
}

// A one-pixel edge around the field, its background inside, either may be
// absent. Unrotated, the edge is snapped to whole device pixels so it
// stays crisp instead of smearing over two half-lit rows.
void paintBox(QPainter& painter, const QRectF& box, const TextLayout& layout, const ColorTransform& cx)
{
    const QTransform transform = painter.worldTransform();
    if (transform.type() <= QTransform::TxScale) {
        const QRectF device = transform.mapRect(box);
        const QRect pixels(QPoint(int(std::lround(device.left())), int(std::lround(device.top()))),
                           QPoint(int(std::lround(device.right())) - 1, int(std::lround(device.bottom())) - 1));
        painter.resetTransform();
        if (layout.background)
            painter.fillRect(layout.border ? pixels.adjusted(1, 1, -1, -1) : pixels, toQColor(cx.apply(*layout.background)));
        if (layout.border) {
            const QColor edge = toQColor(cx.apply(*layout.border));
            painter.fillRect(QRect(pixels.left(), pixels.top(), pixels.width(), 1), edge);
            painter.fillRect(QRect(pixels.left(), pixels.bottom(), pixels.width(), 1), edge);
            painter.fillRect(QRect(pixels.left(), pixels.top(), 1, pixels.height()), edge);
            painter.fillRect(QRect(pixels.right(), pixels.top(), 1, pixels.height()), edge);
        }
        painter.setWorldTransform(transform);
        return;
    }
    if (layout.background)
        painter.fillRect(box, toQColor(cx.apply(*layout.background)));
    if (!layout.border)
        return;
    QPen pen(toQColor(cx.apply(*layout.border)));
    pen.setCosmetic(true);
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

void paintLines(QPainter& painter, const QTransform& base, const TextLayout& layout, const ColorTransform& cx)
{
    for (const LaidLine& line : layout.lines) {
        for (const LaidRun& run : line.runs)
            paintRun(painter, base, line, run, layout.faces[run.face], cx);
        if (line.bullet && !line.runs.empty()) {
            const LaidRun& first = line.runs.front();
            const double radius = layout.faces[first.face].size * 0.12;
            painter.setPen(Qt::NoPen);
            painter.setBrush(toQColor(cx.apply(first.format.color)));
            painter.drawEllipse(QPointF(line.bulletX, line.baseline - line.ascent * 0.35), radius, radius);
        }
    }
}

// Selected text shows white on black, as the reference player draws it;
// the caret is a line in the text's colour.
void paintHighlight(QPainter& painter, const QTransform& base, const TextLayout& layout, const ColorTransform& cx)
{
    const TextLayout::Highlight& highlight = *layout.highlight;
    const QColor ink = toQColor(cx.apply(Color {0, 0, 0, 255}));
    const ColorTransform white {0, 0, 0, 256, 255, 255, 255, 0};
    for (const QRectF& box : selectionBoxes(layout, highlight.begin, highlight.end)) {
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
        painter.fillRect(box, ink);
        paintLines(painter, base, layout, white * cx);
        painter.restore();
    }
    if (!highlight.caretShown || highlight.begin != highlight.end)
        return;
    if (const std::optional<QRectF> caret = caretBox(layout, highlight.caret)) {
        const LaidLine* line = shownLineOf(layout, highlight.caret);
        const Color colour = line && !line->runs.empty() ? line->runs.front().format.color : Color {0, 0, 0, 255};
        painter.fillRect(*caret, toQColor(cx.apply(colour)));
    }
}

// The reference player leaves out a field that is mirrored or turned over
// on the stage, border and background included.
bool turnedOver(const QTransform& transform) { return transform.m11() < 0 || transform.m22() < 0; }

QRectF boxOf(const TextLayout& layout)
{
    const Rect& b = layout.bounds;
    return QRectF(b.xMin, b.yMin, b.width(), b.height());
}

} // namespace

void paintStaticText(QPainter& painter, const StaticText& text, const FontLookup& fonts, const ColorTransform& cx)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform base = text.matrix.toTransform() * painter.worldTransform();
    for (const TextRun& run : text.runs) {
        const std::shared_ptr<const Font> font = run.hasFont && fonts ? fonts(run.fontId) : nullptr;
        if (!font || run.height == 0)
            continue;
        const QColor color = toQColor(cx.apply(run.color));
        const bool outlines = font->hasOutlines();
        const double scale = run.height / font->emSquare;
        double x = run.x;
        for (const GlyphEntry& glyph : run.glyphs) {
            if (outlines) {
                if (glyph.index < font->glyphs.size())
                    fillGlyph(painter, base, font->glyphs[glyph.index], x, run.y, scale, color);
            } else {
                painter.setWorldTransform(base);
                drawDeviceGlyph(painter, *font, glyph.index, x, run.y, run.height, color);
            }
            x += glyph.advance;
        }
    }
    painter.restore();
}

void paintEditText(QPainter& painter, const TextLayout& layout, const ColorTransform& cx)
{
    if (turnedOver(painter.worldTransform()))
        return;
    const QRectF box = boxOf(layout);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (layout.border || layout.background)
        paintBox(painter, box, layout, cx);
    painter.setClipRect(box, Qt::IntersectClip);
    const QTransform base = painter.worldTransform();
    paintLines(painter, base, layout, cx);
    if (layout.highlight)
        paintHighlight(painter, base, layout, cx);
    painter.restore();
}

// Device text and the field's box leave no mark in a mask: only glyphs
// drawn from the movie's own outlines cover what the mask shows.
void paintEditTextMask(QPainter& painter, const TextLayout& layout, const ColorTransform& coverage)
{
    if (turnedOver(painter.worldTransform()))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(boxOf(layout), Qt::IntersectClip);
    const QTransform base = painter.worldTransform();
    for (const LaidLine& line : layout.lines)
        for (const LaidRun& run : line.runs)
            if (layout.faces[run.face].embedded)
                paintRun(painter, base, line, run, layout.faces[run.face], coverage);
    painter.restore();
}

} // namespace swf
