#pragma once

// A TextFormat as the text side sees it: every field may be unset, as a
// script TextFormat's nulls are, and as a range whose characters differ
// reports it. The bridge between script objects and the character and
// paragraph formats a field keeps.

#include <optional>
#include <string>
#include <vector>

#include "swf/script/Value.h"
#include "swf/text/FormattedText.h"

namespace swf::script {

class Machine;

struct TextFormatFields {
    std::optional<std::string> font;
    std::optional<double> size; // pixels
    std::optional<std::uint32_t> color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<std::string> url;
    std::optional<std::string> target;
    std::optional<TextAlign> align;
    std::optional<double> leftMargin; // pixels, as the rest below
    std::optional<double> rightMargin;
    std::optional<double> indent;
    std::optional<double> blockIndent;
    std::optional<double> leading;
    std::optional<bool> bullet;
    std::optional<std::vector<double>> tabStops;
};

// The fields of a script TextFormat (or any object with its names) that
// are set: null and undefined leave a field unset.
TextFormatFields readTextFormat(Machine& machine, const Value& format);
// A new script TextFormat carrying `fields`, the unset ones null.
Value makeTextFormat(Machine& machine, const TextFormatFields& fields);

// Formats as fields; `fieldFont` names the field's own font.
TextFormatFields fieldsOf(const CharFormat& format, const std::string& fieldFont);
TextFormatFields fieldsOf(const ParagraphFormat& format);
// The character fields of one with the paragraph fields of the other.
TextFormatFields combined(TextFormatFields chars, const TextFormatFields& paragraph);
// Unsets what `other` disagrees on; `first` takes `other` whole.
void intersect(TextFormatFields& fields, const TextFormatFields& other, bool first);
// Sets what `fields` sets.
void applyTo(const TextFormatFields& fields, CharFormat& format);
void applyTo(const TextFormatFields& fields, ParagraphFormat& format);

} // namespace swf::script
