#include "swf/script/classes/Builtins.h"

#include "swf/script/Machine.h"

namespace swf::script {

using namespace BuiltinFlags;

void installAllClasses(Machine& machine)
{
    // Object and Function first: every other object needs their
    // prototypes, and every function both.
    installObjectClass(machine);
    installFunctionClass(machine);
    installGlobalFunctions(machine);
    installArrayClass(machine);
    installStringClass(machine);
    installNumberClass(machine);
    installBooleanClass(machine);
    installMathClass(machine);
    installDateClass(machine);
    installErrorClass(machine);
    installAsBroadcaster(machine);
    installMovieClipClass(machine);
    installMovieClipDrawing(machine);
    installContextMenuClasses(machine);
    installKeyClass(machine);
    installMouseClass(machine);
    installPointClass(machine);
    installRectangleClass(machine);
    installMatrixClass(machine);
    installColorTransformClass(machine);
    installTransformClass(machine);
    installColorClass(machine);
    installXmlNodeClass(machine);
    installXmlClass(machine);
    installLoadVarsClass(machine);
    installStageObject(machine);
    installTextFormatClass(machine);
    installTextFieldClass(machine);
    installSelectionObject(machine);
    installStyleSheetClass(machine);
    installMovieClipLoaderClass(machine);
    installXmlSocketClass(machine);
    installSoundClass(machine);
    installNetConnectionClass(machine);
    installNetStreamClass(machine);
    installSharedObjectClass(machine);
    installDeviceClasses(machine);
    installAccessibilityObject(machine);
    installFileReferenceClasses(machine);
    installExternalInterfaceClass(machine);
    installPrintJobClass(machine);
    installSystemObject(machine);
    installLocalConnectionClass(machine);
    installButtonClass(machine);
    installVideoClass(machine);
    installFilterClasses(machine);
    installMovieClipFilters(machine);
    installBitmapDataClass(machine);
    installTextSnapshotClass(machine);
}

void initializeFunction(Machine& machine, Function* function, std::uint32_t ownFlags)
{
    function->setPrototypeFlags(ownFlags | Swf6);
    if (Function* constructor = machine.builtins().functionConstructor)
        machine.define(function, machine.names().constructor, Value::object(constructor), ownFlags);
}

Function* makeNativeFunction(Machine& machine, NativeFunction native, int tag)
{
    Function* function = machine.newNative(native, tag);
    initializeFunction(machine, function, HP);
    return function;
}

Function* defineMethod(Machine& machine, Object* target, std::string_view name, NativeFunction native, std::uint32_t flags, int tag)
{
    Function* function = makeNativeFunction(machine, native, tag);
    machine.define(target, name, Value::object(function), flags);
    return function;
}

Function* defineClass(Machine& machine, std::string_view name, NativeFunction constructor, Object* prototype, std::uint32_t globalFlags,
                      std::uint32_t ownFlags)
{
    Function* function = machine.newNative(constructor);
    initializeFunction(machine, function, ownFlags);
    machine.define(function, machine.names().prototype, Value::object(prototype), ownFlags);
    machine.define(prototype, machine.names().constructor, Value::object(function), HP);
    if (!name.empty())
        machine.define(machine.global(), name, Value::object(function), globalFlags);
    return function;
}

void registerNative(Machine& machine, int table, int index, NativeFunction native, int tag)
{
    machine.registerNative(table, index, native, tag);
}

Function* lookupNative(Machine& machine, int table, int index)
{
    const auto native = machine.nativeAt(table, index);
    if (!native)
        return nullptr;
    return makeNativeFunction(machine, native->first, native->second);
}

} // namespace swf::script
