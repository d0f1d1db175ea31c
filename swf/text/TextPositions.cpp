#include "swf/text/TextPositions.h"

#include <algorithm>

namespace swf {

namespace {

// Each character of a line in order: its index in the text, x and advance.
template<typename Visit>
void eachCharacter(const LaidLine& line, Visit&& visit)
{
    qsizetype index = line.firstChar;
    for (const LaidRun& run : line.runs) {
        for (std::size_t k = 0; k < run.starts.size(); ++k) {
            const bool last = k + 1 == run.starts.size();
            const qsizetype length = (last ? run.text.size() : run.starts[k + 1]) - run.starts[k];
            const double next = last ? run.xs.front() + run.width : run.xs[k + 1];
            if (!visit(index, line.x + run.xs[k], next - run.xs[k]))
                return;
            index += length;
        }
    }
}

double lineTop(const LaidLine& line) { return line.baseline - line.ascent; }
double lineBottom(const LaidLine& line) { return line.baseline + line.descent; }

} // namespace

std::size_t lineNumberOf(const TextLayout& layout, qsizetype index)
{
    const auto& starts = layout.lineStarts;
    const auto after = std::ranges::upper_bound(starts, index);
    return after == starts.begin() ? 0 : std::size_t(after - starts.begin() - 1);
}

const LaidLine* shownLineOf(const TextLayout& layout, qsizetype index)
{
    const auto& lines = layout.lines;
    const auto after = std::ranges::upper_bound(lines, index, {}, &LaidLine::firstChar);
    if (after == lines.begin())
        return nullptr;
    const LaidLine& line = *std::prev(after);
    // Past the last shown line's end the character is on a line below.
    if (after == lines.end() && index > line.endChar)
        return nullptr;
    return &line;
}

double caretX(const LaidLine& line, qsizetype index)
{
    double x = line.x;
    eachCharacter(line, [&](qsizetype at, double left, double advance) {
        if (at >= index) {
            x = left;
            return false;
        }
        x = left + advance;
        return true;
    });
    return x;
}

qsizetype indexAt(const TextLayout& layout, QPointF point)
{
    if (layout.lines.empty())
        return layout.lineStarts.empty() ? 0 : layout.lineStarts.front();
    const LaidLine* line = &layout.lines.back();
    for (const LaidLine& each : layout.lines) {
        if (point.y() < lineBottom(each)) {
            line = &each;
            break;
        }
    }
    qsizetype index = line->endChar;
    eachCharacter(*line, [&](qsizetype at, double left, double advance) {
        if (point.x() < left + advance / 2) {
            index = at;
            return false;
        }
        return true;
    });
    return index;
}

std::optional<QRectF> caretBox(const TextLayout& layout, qsizetype index)
{
    const LaidLine* line = shownLineOf(layout, index);
    if (!line)
        return std::nullopt;
    constexpr double kWidth = 20; // one pixel
    return QRectF(caretX(*line, index), lineTop(*line), kWidth, line->ascent + line->descent);
}

std::vector<QRectF> selectionBoxes(const TextLayout& layout, qsizetype begin, qsizetype end)
{
    std::vector<QRectF> boxes;
    if (begin >= end)
        return boxes;
    for (const LaidLine& line : layout.lines) {
        const qsizetype from = std::max(begin, line.firstChar);
        const qsizetype to = std::min(end, line.endChar);
        if (from > to || (from == to && !(begin <= line.endChar && end > line.endChar)))
            continue;
        const double left = caretX(line, from);
        double right = caretX(line, to);
        // A selected line break shows as a little room past the line's end.
        if (end > line.endChar)
            right += (line.ascent + line.descent) / 4;
        if (right > left)
            boxes.emplace_back(left, lineTop(line), right - left, line.ascent + line.descent);
    }
    return boxes;
}

} // namespace swf
