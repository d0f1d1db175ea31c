#include "swf/runtime/FocusOrder.h"

#include <algorithm>

#include <QPointF>

#include "swf/runtime/HitTest.h"
#include "swf/runtime/ObjectBounds.h"

namespace swf {

namespace {

// Where an object starts on the stage: its bounds' top left corner, or its
// registration point when it covers nothing.
QPointF stagePlace(const DisplayObject& object)
{
    const Matrix matrix = stageMatrix(object);
    if (const std::optional<QRectF> bounds = boundsThrough(object, matrix))
        return bounds->topLeft();
    return QPointF(matrix.tx, matrix.ty);
}

} // namespace

std::vector<DisplayObject*> focusOrder(const std::vector<FocusCandidate>& candidates)
{
    const bool indexed = std::ranges::any_of(candidates, [](const FocusCandidate& c) { return c.tabIndex.has_value(); });
    struct Keyed {
        DisplayObject* object;
        double first;
        double second;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(candidates.size());
    for (const FocusCandidate& candidate : candidates) {
        if (!candidate.object)
            continue;
        if (indexed) {
            if (candidate.tabIndex)
                keyed.push_back({candidate.object, *candidate.tabIndex, 0});
            continue;
        }
        const QPointF place = stagePlace(*candidate.object);
        keyed.push_back({candidate.object, place.y(), place.x()});
    }
    // Stable: objects at one place keep the order they were found in.
    std::ranges::stable_sort(keyed, [](const Keyed& a, const Keyed& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    std::vector<DisplayObject*> order;
    order.reserve(keyed.size());
    for (const Keyed& each : keyed)
        order.push_back(each.object);
    return order;
}

DisplayObject* nextInFocusOrder(const std::vector<DisplayObject*>& order, const DisplayObject* current, bool backward)
{
    if (order.empty())
        return nullptr;
    const auto at = std::ranges::find(order, current);
    if (at == order.end())
        return backward ? order.back() : order.front();
    const std::size_t index = std::size_t(at - order.begin());
    const std::size_t size = order.size();
    return order[backward ? (index + size - 1) % size : (index + 1) % size];
}

} // namespace swf
