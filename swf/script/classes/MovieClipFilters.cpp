// MovieClip.filters: the filters a clip is drawn through, as the filter
// objects of flash.filters. Reading gives new copies and assigning takes
// copies, so a movie changes what shows only by assigning the list again,
// as with the reference player.

#include <vector>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/FilterClasses.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// More than a clip could draw in any time a frame has.
constexpr std::uint32_t kMaxFilters = 64;

Value filtersGetter(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = m.handleOf(c.thisObject());
    if (!clip)
        return Value();
    std::vector<Value> copies;
    for (const Filter& filter : m.host().filters(clip))
        copies.push_back(scriptFilterOf(m, filter));
    return Value::object(m.newArray(std::move(copies)));
}

Value filtersSetter(NativeCall& c)
{
    Machine& m = c.machine;
    const ClipHandle clip = m.handleOf(c.thisObject());
    Object* list = c.arg(0).objectOrNull();
    if (!clip || !list || list->kind() != ObjectKind::Array)
        return Value();
    auto* array = static_cast<ArrayObject*>(list);
    std::vector<Filter> filters;
    for (std::uint32_t i = 0; i < array->length() && i < kMaxFilters; ++i) {
        Value element;
        array->getIndex(m, i, element);
        if (auto filter = renderFilterOf(m, element))
            filters.push_back(std::move(*filter));
    }
    m.host().setFilters(clip, std::move(filters));
    return Value();
}

} // namespace

void installMovieClipFilters(Machine& machine)
{
    defineAccessor(machine, machine.builtins().movieClipPrototype, "filters", filtersGetter, filtersSetter, H | Swf8);
}

} // namespace swf::script
