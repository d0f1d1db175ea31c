#include "swf/runtime/Container.h"

#include <algorithm>

#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/Stage.h"

namespace swf {

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
    m_children.erase(found);
    detach(*child);
    stage().markChanged();
    return child;
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
