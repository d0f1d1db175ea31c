#include "swf/define/EditText.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"

namespace swf {

Result<EditText> readEditText(std::span<const std::uint8_t> bodyAfterId)
{
    using Fail = Result<EditText>;
    ByteReader reader(bodyAfterId);
    EditText field;
    const auto bounds = readRect(reader);
    const auto first = reader.u8();
    const auto second = reader.u8();
    if (!bounds || !second)
        return Fail::failure("edit text header cut short");
    field.bounds = *bounds;

    const bool hasText = *first & 0x80;
    field.wordWrap = *first & 0x40;
    field.multiline = *first & 0x20;
    field.password = *first & 0x10;
    field.readOnly = *first & 0x08;
    const bool hasColor = *first & 0x04;
    const bool hasMaxLength = *first & 0x02;
    const bool hasFont = *first & 0x01;
    const bool hasFontClass = *second & 0x80;
    field.autoSize = *second & 0x40;
    field.hasLayout = *second & 0x20;
    field.noSelect = *second & 0x10;
    field.border = *second & 0x08;
    field.wasStatic = *second & 0x04;
    field.html = *second & 0x02;
    field.useOutlines = *second & 0x01;

    if (hasFont) {
        const auto id = reader.u16();
        if (!id)
            return Fail::failure("edit text font id cut short");
        field.fontId = *id;
    }
    if (hasFontClass) {
        const auto fontClass = reader.string();
        if (!fontClass)
            return Fail::failure("edit text font class cut short");
        field.fontClass = *fontClass;
    }
    if (hasFont || hasFontClass) {
        const auto height = reader.u16();
        if (!height)
            return Fail::failure("edit text font height cut short");
        field.height = *height;
    }
    if (hasColor) {
        const auto color = readRgba(reader);
        if (!color)
            return Fail::failure("edit text colour cut short");
        field.color = *color;
    }
    if (hasMaxLength) {
        const auto maxLength = reader.u16();
        if (!maxLength)
            return Fail::failure("edit text maximum length cut short");
        field.maxLength = *maxLength;
    }
    if (field.hasLayout) {
        const auto align = reader.u8();
        const auto left = reader.u16();
        const auto right = reader.u16();
        const auto indent = reader.u16();
        const auto leading = reader.s16();
        if (!leading)
            return Fail::failure("edit text layout cut short");
        field.align = *align <= 3 ? TextAlign(*align) : TextAlign::Left;
        field.leftMargin = *left;
        field.rightMargin = *right;
        field.indent = *indent;
        field.leading = *leading;
    }
    const auto variable = reader.string();
    if (!variable)
        return Fail::failure("edit text variable name cut short");
    field.variableName = *variable;
    if (hasText) {
        // Some writers drop the terminating zero of the last string; what is
        // there is still the text.
        if (auto text = reader.string())
            field.initialText = std::move(*text);
        else
            field.initialText = std::string(reader.rest().begin(), reader.rest().end());
    }
    return field;
}

} // namespace swf
