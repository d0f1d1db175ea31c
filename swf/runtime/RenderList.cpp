#include "swf/runtime/RenderList.h"

#include <unordered_map>
#include <utility>

#include "swf/runtime/BitmapDataInstance.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/HitTest.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/ObjectBounds.h"
#include "swf/runtime/Stage.h"
#include "swf/runtime/VideoInstance.h"

namespace swf {

namespace {

RenderNode::Kind kindOf(DisplayObject::Type type)
{
    switch (type) {
    case DisplayObject::Type::Shape:
        return RenderNode::Kind::Shape;
    case DisplayObject::Type::MorphShape:
        return RenderNode::Kind::MorphShape;
    case DisplayObject::Type::Bitmap:
        return RenderNode::Kind::Bitmap;
    case DisplayObject::Type::StaticText:
        return RenderNode::Kind::StaticText;
    case DisplayObject::Type::EditText:
        return RenderNode::Kind::EditText;
    case DisplayObject::Type::Video:
        return RenderNode::Kind::Video;
    default:
        return RenderNode::Kind::Container;
    }
}

// Nodes masked by script, with their masks, resolved once the whole
// list stands: a mask may come after what it masks.
using PendingMasks = std::vector<std::pair<std::uint32_t, const DisplayObject*>>;

void addNode(const DisplayObject& object, const Dictionary& dictionary, std::vector<RenderNode>& nodes, PendingMasks& masks);

// A container's children are characters of its own movie, a loaded one's
// or the main one's.
void addChildren(const Container& container, std::vector<RenderNode>& nodes, PendingMasks& masks)
{
    for (const auto& child : container.children()) {
        const std::size_t at = nodes.size();
        addNode(*child, container.dictionary(), nodes, masks);
        if (container.loadedMovie())
            nodes[at].dictionary = container.loadedMovie()->sharedDictionary();
    }
}

void addNode(const DisplayObject& object, const Dictionary& dictionary, std::vector<RenderNode>& nodes, PendingMasks& masks)
{
    const DisplayObject* child = &object;
    const std::size_t at = nodes.size();
    RenderNode& node = nodes.emplace_back();
    node.kind = kindOf(child->type());
    node.visible = child->isVisible();
    node.blendMode = child->blendMode();
    node.clipDepth = child->clipDepth();
    node.ratio = child->ratio();
    node.depth = child->depth();
    node.objectId = child->id();
    node.matrix = child->matrix();
    node.colorTransform = child->colorTransform();
    node.character = child->character();
    node.filters = child->filters();
    node.scriptMask = child->isScriptMask();
    if (const DisplayObject* mask = child->scriptMask())
        masks.emplace_back(std::uint32_t(at), mask);
    switch (child->type()) {
    case DisplayObject::Type::EditText:
        node.text = static_cast<const EditTextInstance&>(*child).layout();
        break;
    case DisplayObject::Type::Video: {
        const auto& video = static_cast<const VideoInstance&>(*child);
        node.picture = video.picture();
        node.smoothing = video.smoothing();
        break;
    }
    case DisplayObject::Type::Bitmap:
        // A script's bitmap shows its pixels as they are now.
        if (const auto* canvas = dynamic_cast<const BitmapDataInstance*>(&*child))
            node.character = canvas->shown();
        break;
    case DisplayObject::Type::Button:
        if (const auto own = dictionary.buttonColorTransform(child->characterId()))
            node.colorTransform = node.colorTransform * *own;
        [[fallthrough]];
    case DisplayObject::Type::Sprite:
        if (child->type() == DisplayObject::Type::Sprite)
            node.drawing = static_cast<const SpriteInstance&>(*child).drawing().shape();
        node.scalingGrid = dictionary.scalingGrid(child->characterId());
        addChildren(static_cast<const Container&>(*child), nodes, masks);
        break;
    default:
        break;
    }
    // `node` may have moved as the children were added.
    nodes[at].end = std::uint32_t(nodes.size());
}

void resolveMasks(const SpriteInstance& root, const PendingMasks& masks, std::vector<RenderNode>& nodes)
{
    if (masks.empty())
        return;
    std::unordered_map<std::uint64_t, std::uint32_t> indexOf;
    for (std::uint32_t i = 0; i < nodes.size(); ++i)
        indexOf.emplace(nodes[i].objectId, i);
    for (const auto& [masked, mask] : masks) {
        const auto found = indexOf.find(mask->id());
        if (found == indexOf.end())
            continue; // not under the main movie: drawn unmasked
        Matrix toRoot;
        for (const Container* parent = mask->parent(); parent && parent != &root; parent = parent->parent())
            toRoot = parent->matrix() * toRoot;
        nodes[masked].maskIndex = found->second;
        nodes[masked].maskParentMatrix = toRoot;
    }
}

} // namespace

void RenderList::clear()
{
    nodes.clear();
    rootDrawing.reset();
    rootId = 0;
    dictionary.reset();
    diagnostics.reset();
    version = 0;
    focusRect.reset();
}

namespace {

// Round the focused object as it stands on the stage, while all of it shows.
std::optional<QRectF> focusRectOf(const Stage& stage)
{
    const DisplayObject* focused = stage.input().focusHighlight();
    if (!focused)
        return std::nullopt;
    for (const DisplayObject* up = focused; up; up = up->parent())
        if (!up->isVisible())
            return std::nullopt;
    return boundsThrough(*focused, stageMatrix(*focused));
}

} // namespace

void buildRenderList(const Stage& stage, RenderList& list)
{
    list.nodes.clear();
    list.dictionary = stage.sharedDictionary();
    list.version = stage.version();
    list.rootDrawing.reset();
    list.rootId = 0;
    if (const SpriteInstance* root = stage.root()) {
        list.rootDrawing = root->drawing().shape();
        list.rootId = root->id();
        PendingMasks masks;
        addChildren(*root, list.nodes, masks);
        // Loaded levels go over the main movie, each as a clip of its own.
        for (const auto& [number, level] : stage.levels())
            addNode(*level, stage.dictionary(), list.nodes, masks);
        resolveMasks(*root, masks, list.nodes);
    }
    list.focusRect = focusRectOf(stage);
}

void buildClipRenderList(const Stage& stage, const SpriteInstance& clip, RenderList& list)
{
    list.clear();
    list.dictionary = stage.sharedDictionary();
    list.version = stage.version();
    list.rootDrawing = clip.drawing().shape();
    list.rootId = clip.id();
    PendingMasks masks;
    addChildren(clip, list.nodes, masks);
    resolveMasks(clip, masks, list.nodes);
}

} // namespace swf
