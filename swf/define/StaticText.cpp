#include "swf/define/StaticText.h"

#include "swf/read/BitReader.h"
#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

constexpr std::uint16_t kDefineText = +TagCode::DefineText;
constexpr std::uint16_t kDefineText2 = +TagCode::DefineText2;

} // namespace

Result<StaticText> readStaticText(std::uint16_t tagCode, std::span<const std::uint8_t> bodyAfterId)
{
    if (tagCode != kDefineText && tagCode != kDefineText2)
        return Result<StaticText>::failure("not a static text tag");
    ByteReader reader(bodyAfterId);
    StaticText text;
    const auto bounds = readRect(reader);
    const auto matrix = bounds ? readMatrix(reader) : std::nullopt;
    const auto glyphBits = reader.u8();
    const auto advanceBits = reader.u8();
    if (!matrix || !advanceBits)
        return Result<StaticText>::failure("static text header cut short");
    if (*glyphBits > 32 || *advanceBits > 32)
        return Result<StaticText>::failure("static text glyph fields wider than 32 bits");
    text.bounds = *bounds;
    text.matrix = *matrix;

    // State carries from record to record; the pen keeps moving along the
    // line unless a record places it again.
    TextRun state;
    // A run that is cut short is dropped; the runs before it still draw.
    while (!reader.atEnd()) {
        const auto flags = reader.u8();
        if (!flags || !(*flags & 0x80))
            break;
        if (*flags & 0x08) {
            const auto fontId = reader.u16();
            if (!fontId)
                break;
            state.fontId = *fontId;
            state.hasFont = true;
        }
        if (*flags & 0x04) {
            const auto color = tagCode == kDefineText2 ? readRgba(reader) : readRgb(reader);
            if (!color)
                break;
            state.color = *color;
        }
        if (*flags & 0x01) {
            const auto x = reader.s16();
            if (!x)
                break;
            state.x = *x;
        }
        if (*flags & 0x02) {
            const auto y = reader.s16();
            if (!y)
                break;
            state.y = *y;
        }
        if (*flags & 0x08) {
            const auto height = reader.u16();
            if (!height)
                break;
            state.height = *height;
        }
        const auto count = reader.u8();
        if (!count)
            break;
        TextRun run = state;
        run.glyphs.reserve(*count);
        BitReader bits(reader);
        for (unsigned i = 0; i < *count; ++i) {
            const auto index = bits.ub(*glyphBits);
            const auto advance = bits.sb(*advanceBits);
            if (!advance)
                break;
            run.glyphs.push_back({*index, *advance});
            state.x += *advance;
        }
        if (bits.failed())
            break;
        text.runs.push_back(std::move(run));
    }
    return text;
}

} // namespace swf
