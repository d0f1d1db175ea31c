#include "swf/runtime/HitTest.h"

#include <algorithm>

#include <QPainterPathStroker>

#include "swf/define/Definitions.h"
#include "swf/define/Dictionary.h"
#include "swf/define/VideoStreamDefinition.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/ClipDrawing.h"
#include "swf/runtime/Container.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"

namespace swf {

namespace {

// A hairline is drawn one pixel wide whatever the scale; it is hit the same.
constexpr double kHairlineTwips = 20;
// Characters one test may look into: a sprite in a button's hit state
// that places itself many times over would otherwise branch without end.
constexpr int kMaxCharactersVisited = 4096;
// Far below a twip, far above rounding: moves a point off an edge.
constexpr double kEdgeTwips = 1.0 / 1024;

std::optional<QPointF> through(const Matrix& matrix, QPointF point)
{
    bool invertible = false;
    const QTransform inverse = matrix.toTransform().inverted(&invertible);
    if (!invertible)
        return std::nullopt;
    return inverse.map(point);
}

bool rectCovers(const Rect& rect, QPointF p)
{
    return p.x() >= rect.xMin && p.x() <= rect.xMax && p.y() >= rect.yMin && p.y() <= rect.yMax;
}

bool geometryCovers(const ShapeGeometry& geometry, QPointF p)
{
    // A point on a fill's top or left edge is outside it, one on its
    // bottom or right edge inside, as in the reference player: it is
    // tested a hair up and to the left of where it is.
    const QPointF inFill = p - QPointF(kEdgeTwips, kEdgeTwips);
    for (const ShapeLayer& layer : geometry.layers) {
        for (const FillPath& fill : layer.fills)
            if (fill.path.contains(inFill))
                return true;
        for (const StrokePath& stroke : layer.strokes) {
            if (!stroke.path.controlPointRect().adjusted(-stroke.style.width - kHairlineTwips, -stroke.style.width - kHairlineTwips,
                                                        stroke.style.width + kHairlineTwips, stroke.style.width + kHairlineTwips)
                     .contains(p))
                continue;
            QPainterPathStroker stroker;
            stroker.setWidth(std::max<double>(stroke.style.width, kHairlineTwips));
            stroker.setCapStyle(Qt::RoundCap);
            stroker.setJoinStyle(Qt::RoundJoin);
            if (stroker.createStroke(stroke.path).contains(p))
                return true;
        }
    }
    return false;
}

bool coveredBy(const Dictionary& dictionary, std::uint16_t characterId, std::uint16_t ratio, QPointF local, int nesting, int& budget);

bool definitionCovers(const Dictionary& dictionary, const Character& character, std::uint16_t ratio, QPointF p, int nesting, int& budget)
{
    switch (character.kind()) {
    case Character::Kind::Shape: {
        const auto& shape = static_cast<const ShapeDefinition&>(character);
        return rectCovers(shape.bounds, p) && geometryCovers(shape.geometry, p);
    }
    case Character::Kind::MorphShape: {
        const std::shared_ptr<const ShapeGeometry> geometry = static_cast<const MorphShapeDefinition&>(character).geometryAt(ratio);
        return geometry && geometryCovers(*geometry, p);
    }
    case Character::Kind::StaticText:
        return rectCovers(static_cast<const StaticTextDefinition&>(character).text.bounds, p);
    case Character::Kind::EditText:
        return rectCovers(static_cast<const EditTextDefinition&>(character).field.bounds, p);
    case Character::Kind::Bitmap: {
        const QSize size = static_cast<const BitmapDefinition&>(character).claimedSize();
        return p.x() >= 0 && p.y() >= 0 && p.x() < size.width() * 20.0 && p.y() < size.height() * 20.0;
    }
    case Character::Kind::Video: {
        return rectCovers(static_cast<const VideoStreamDefinition&>(character).bounds(), p);
    }
    case Character::Kind::Sprite: {
        // What the sprite's first frame places: a sprite in a button's hit
        // state is never made, only its outline counts.
        const FrameScript& script = static_cast<const SpriteDefinition&>(character).script;
        if (script.frames.empty())
            return false;
        for (const FrameCommand& command : script.frames.front()) {
            const auto* place = std::get_if<PlaceCommand>(&command);
            if (!place || !place->characterId || place->clipDepth)
                continue;
            const std::optional<QPointF> inner = through(place->matrix.value_or(Matrix {}), p);
            if (inner && coveredBy(dictionary, *place->characterId, place->ratio.value_or(0), *inner, nesting + 1, budget))
                return true;
        }
        return false;
    }
    case Character::Kind::Button: {
        for (const ButtonDefinition::Record& record : static_cast<const ButtonDefinition&>(character).records) {
            if (!(record.states & ButtonDefinition::HitTest))
                continue;
            const std::optional<QPointF> inner = through(record.matrix, p);
            if (inner && coveredBy(dictionary, record.characterId, 0, *inner, nesting + 1, budget))
                return true;
        }
        return false;
    }
    case Character::Kind::Font:
        return false;
    }
    return false;
}

bool coveredBy(const Dictionary& dictionary, std::uint16_t characterId, std::uint16_t ratio, QPointF local, int nesting, int& budget)
{
    if (nesting > Stage::kMaxNesting || --budget < 0)
        return false;
    const std::shared_ptr<const Character> character = dictionary.find(characterId);
    return character && definitionCovers(dictionary, *character, ratio, local, nesting, budget);
}

bool definitionCovers(const Dictionary& dictionary, const Character& character, std::uint16_t ratio, QPointF p)
{
    int budget = kMaxCharactersVisited;
    return definitionCovers(dictionary, character, ratio, p, 0, budget);
}

} // namespace

Matrix stageMatrix(const DisplayObject& object)
{
    Matrix m = object.matrix();
    for (const DisplayObject* up = object.parent(); up; up = up->parent())
        m = up->matrix() * m;
    return m;
}

std::optional<QPointF> toLocal(const DisplayObject& object, QPointF stagePoint)
{
    return through(stageMatrix(object), stagePoint);
}

bool maskAdmits(const Container& container, const DisplayObject& child, QPointF local)
{
    for (const auto& mask : container.children()) {
        if (mask->depth() >= child.depth())
            break;
        if (!mask->clipDepth() || mask->clipDepth() < child.depth())
            continue;
        const std::optional<QPointF> inMask = through(mask->matrix(), local);
        if (!inMask || !coversPoint(*mask, *inMask))
            return false;
    }
    return true;
}

bool coversPoint(const DisplayObject& object, QPointF local)
{
    if (object.type() == DisplayObject::Type::Button) {
        const auto& button = static_cast<const ButtonInstance&>(object);
        return definitionCovers(button.dictionary(), button.definition(), 0, local);
    }
    if (object.type() == DisplayObject::Type::Sprite) {
        // What script drew lies under the children.
        const std::shared_ptr<const DrawnShape> drawn = static_cast<const SpriteInstance&>(object).drawing().shape();
        if (drawn && drawn->bounds.contains(local) && geometryCovers(drawn->geometry, local))
            return true;
        const auto& container = static_cast<const Container&>(object);
        for (const auto& child : container.children()) {
            if (child->clipDepth() || !child->isVisible())
                continue;
            const std::optional<QPointF> inner = through(child->matrix(), local);
            if (inner && coversPoint(*child, *inner) && maskAdmits(container, *child, local))
                return true;
        }
        return false;
    }
    const Character* character = object.character().get();
    // What a graphic's definition names is in the movie it came from.
    const Dictionary& dictionary = object.parent() ? object.parent()->dictionary() : object.stage().dictionary();
    return character && definitionCovers(dictionary, *character, object.ratio(), local);
}

} // namespace swf
