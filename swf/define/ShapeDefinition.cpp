#include "swf/define/Dictionary.h"

#include "swf/read/ByteReader.h"
#include "swf/read/Records.h"
#include "swf/read/TagCode.h"

namespace swf {

namespace {

constexpr std::uint16_t kDefineShape4 = +TagCode::DefineShape4;

ShapeVersion shapeVersion(std::uint16_t code)
{
    switch (code) {
    case +TagCode::DefineShape2:
        return 2;
    case +TagCode::DefineShape3:
        return 3;
    case kDefineShape4:
        return 4;
    default:
        return 1;
    }
}

} // namespace

Result<std::shared_ptr<ShapeDefinition>> readShapeDefinition(std::uint16_t code, std::span<const std::uint8_t> body)
{
    ByteReader bytes(body);
    auto shape = std::make_shared<ShapeDefinition>();
    const auto bounds = readRect(bytes);
    if (!bounds)
        return Result<std::shared_ptr<ShapeDefinition>>::failure("shape bounds cut short");
    shape->bounds = *bounds;
    Qt::FillRule rule = Qt::OddEvenFill;
    if (code == kDefineShape4) {
        const auto edgeBounds = readRect(bytes);
        const auto flags = bytes.u8();
        if (!edgeBounds || !flags)
            return Result<std::shared_ptr<ShapeDefinition>>::failure("shape bounds cut short");
        if (*flags & 0x04)
            rule = Qt::WindingFill;
    }
    const auto records = readShapeWithStyle(bytes, shapeVersion(code));
    if (!records)
        return Result<std::shared_ptr<ShapeDefinition>>::failure("shape records malformed or cut short");
    shape->geometry = buildShapeGeometry(*records, rule);
    shape->reach = shape->geometry.reach();
    return shape;
}

} // namespace swf
