#include "swf/runtime/Container.h"

#include <algorithm>

#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/Stage.h"

namespace swf {

namespace {

// Clips kept for their unload at one depth before the next is simply
// taken away.
constexpr int kMaxUnloadingAtOnce = 64;

} // namespace

Container::Container(Type type, Stage& stage, std::uint16_t characterId, std::shared_ptr<const Character> character, int nesting)
    : DisplayObject(type, stage, characterId, std::move(character))
    , m_nesting(nesting)
{
}

const Dictionary& Container::dictionary() const
{
    return m_loadedMovie ? m_loadedMovie->dictionary() : stage().dictionary();
}

int Container::swfVersion() const
{
    return m_loadedMovie ? m_loadedMovie->version() : stage().swfVersion();
}

std::vector<std::shared_ptr<DisplayObject>>::const_iterator Container::lowerBound(int depth) const
{
    return std::lower_bound(m_children.begin(), m_children.end(), depth,
                            [](const std::shared_ptr<DisplayObject>& child, int d) { return child->depth() < d; });
}

DisplayObject* Container::childAt(int depth) const
{
    const auto found = lowerBound(depth);
    return found != m_children.end() && (*found)->depth() == depth ? found->get() : nullptr;
}

std::shared_ptr<DisplayObject> Container::sharedChildAt(int depth) const
{
    const auto found = lowerBound(depth);
    return found != m_children.end() && (*found)->depth() == depth ? *found : nullptr;
}

void Container::placeChild(int depth, std::shared_ptr<DisplayObject> child, bool quiet)
{
    if (!child)
        return;
    auto at = m_children.begin() + (lowerBound(depth) - m_children.cbegin());
    if (at != m_children.end() && (*at)->depth() == depth) {
        detach(**at, quiet);
        *at = std::move(child);
    } else {
        at = m_children.insert(at, std::move(child));
    }
    DisplayObject& placed = **at;
    placed.m_parent = this;
    placed.m_depth = depth;
    placed.m_removed = false;
    stage().markChanged();
}

std::shared_ptr<DisplayObject> Container::removeChild(int depth)
{
    const auto found = lowerBound(depth);
    if (found == m_children.end() || (*found)->depth() != depth)
        return nullptr;
    std::shared_ptr<DisplayObject> child = *found;
    if (child->isUnloading())
        return nullptr;
    if (keepForUnload(*child))
        return child;
    m_children.erase(found);
    detach(*child);
    stage().markChanged();
    return child;
}

// The reference player moves such a clip from depth d to -32769 - d, as
// script counts depths (timeline depth 1 is script's -16383): here, -1 - d.
bool Container::keepForUnload(DisplayObject& child)
{
    auto* sprite = dynamic_cast<Container*>(&child);
    if (!sprite || !sprite->heardInside() || child.depth() < 0)
        return false;
    // Another clip still hearing its unload may hold that depth: this one
    // goes just below it.
    int to = -1 - child.depth();
    for (int tries = 0; childAt(to); ++tries, --to)
        if (tries == kMaxUnloadingAtOnce)
            return false;
    sprite->keepOnlyHeard();
    child.m_unloading = true;
    moveChild(child.depth(), to);
    stage().objectRemoved(child, *this);
    return true;
}

bool Container::heardInside() const
{
    if (type() != Type::Sprite)
        return false;
    if (stage().hearsUnload(*this))
        return true;
    return std::any_of(m_children.begin(), m_children.end(), [](const auto& child) {
        const auto* sprite = dynamic_cast<const Container*>(child.get());
        return sprite && sprite->heardInside();
    });
}

void Container::keepOnlyHeard()
{
    if (stage().hearsUnload(*this))
        return;
    const std::vector<std::shared_ptr<DisplayObject>> inside = m_children;
    for (const auto& child : inside) {
        auto* sprite = dynamic_cast<Container*>(child.get());
        if (sprite && sprite->heardInside())
            sprite->keepOnlyHeard();
        else
            removeChild(child->depth());
    }
}

void Container::finishUnload(DisplayObject& child)
{
    const auto found = std::find_if(m_children.begin(), m_children.end(), [&](const auto& each) { return each.get() == &child; });
    if (found == m_children.end())
        return;
    const std::shared_ptr<DisplayObject> keep = *found;
    m_children.erase(found);
    child.m_parent = nullptr;
    child.m_removed = true;
    stage().markChanged();
}

bool Container::moveChild(int from, int to)
{
    const auto source = lowerBound(from);
    if (source == m_children.end() || (*source)->depth() != from)
        return false;
    if (from == to)
        return true;
    const auto target = lowerBound(to);
    if (target != m_children.end() && (*target)->depth() == to)
        (*target)->m_depth = from;
    (*source)->m_depth = to;
    std::sort(m_children.begin(), m_children.end(), [](const auto& a, const auto& b) { return a->depth() < b->depth(); });
    stage().markChanged();
    return true;
}

void Container::removeAllChildren()
{
    if (m_children.empty())
        return;
    std::vector<std::shared_ptr<DisplayObject>> children = std::move(m_children);
    m_children.clear();
    for (const auto& child : children)
        detach(*child);
    stage().markChanged();
}

void Container::detach(DisplayObject& child, bool quiet)
{
    child.m_parent = nullptr;
    child.m_removed = true;
    stage().objectRemoved(child, *this, quiet);
}

} // namespace swf
