// Button: the script face of the buttons placed on a timeline. Their
// underscore properties are the host's, as a clip's are; what the display
// side does not use (blend mode, filters, scale-9 grid) a button still
// keeps and reads back, and tabIndex orders Tab focus.

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// The accessors of Button.prototype, each a slot of the button's store.
enum Slot { kMarker, kBlendMode, kCacheAsBitmap, kFilters, kScale9Grid, kTabIndex, kSlots };
constexpr const char* kStoreMarker = "Button";

ClipObject* thisButton(NativeCall& c)
{
    ClipObject* clip = c.machine.resolveClip(c.thisObject());
    return clip && clip->isButton() ? clip : nullptr;
}

// What a button answers before script sets it.
Value untouched(Machine& m, int slot)
{
    switch (slot) {
    case kBlendMode: return m.stringValue("normal");
    case kCacheAsBitmap: return Value::boolean(false);
    case kFilters: return Value::object(m.newArray());
    default: return Value();
    }
}

// Made on first write: most buttons never set any of these.
ArrayObject* storeOf(Machine& m, ClipObject& button, bool make)
{
    Object* inner = button.primitive().objectOrNull();
    if (inner && inner->kind() == ObjectKind::Array && !inner->prototype()) {
        auto* store = static_cast<ArrayObject*>(inner);
        if (store->denseSize() == kSlots && store->dense(kMarker).isString() && store->dense(kMarker).asString() == m.intern(kStoreMarker))
            return store;
    }
    if (!make)
        return nullptr;
    std::vector<Value> values(kSlots);
    values[kMarker] = Value::string(m.intern(kStoreMarker));
    for (int slot = kMarker + 1; slot < kSlots; ++slot)
        values[std::size_t(slot)] = untouched(m, slot);
    ArrayObject* store = m.newBareArray(nullptr);
    store->assign(m, std::move(values));
    button.setPrimitive(Value::object(store));
    return store;
}

Value slotGetter(NativeCall& c)
{
    ClipObject* button = thisButton(c);
    const ArrayObject* store = button ? storeOf(c.machine, *button, false) : nullptr;
    if (!button)
        return Value();
    const int slot = c.callee ? c.callee->tag() : 0;
    if (slot <= kMarker || slot >= kSlots)
        return Value();
    return store ? store->dense(std::size_t(slot)) : untouched(c.machine, slot);
}

Value slotSetter(NativeCall& c)
{
    ClipObject* button = thisButton(c);
    const int slot = c.callee ? c.callee->tag() : 0;
    if (!button || slot <= kMarker || slot >= kSlots)
        return Value();
    ArrayObject* store = storeOf(c.machine, *button, true);
    store->setIndex(c.machine, std::uint32_t(slot), c.arg(0));
    return Value();
}

Value getDepth(NativeCall& c)
{
    ClipObject* button = thisButton(c);
    return button ? Value::number(c.machine.host().depth(button->handle())) : Value();
}

Value buttonConstructor(NativeCall&)
{
    return Value();
}

} // namespace

void installButtonClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.buttonPrototype = machine.newObject();
    Object* p = b.buttonPrototype;
    defineClass(machine, "Button", buttonConstructor, p, H, HP);
    static constexpr std::pair<const char*, Slot> kAccessors[] {
        {"blendMode", kBlendMode}, {"cacheAsBitmap", kCacheAsBitmap}, {"filters", kFilters},
        {"scale9Grid", kScale9Grid}, {"tabIndex", kTabIndex},
    };
    for (const auto& [name, slot] : kAccessors)
        defineAccessor(machine, p, name, slotGetter, slotSetter, 0, slot);
    machine.define(p, "enabled", Value::boolean(true), 0);
    machine.define(p, "useHandCursor", Value::boolean(true), 0);
    defineMethod(machine, p, "getDepth", getDepth, 0);
}

} // namespace swf::script
