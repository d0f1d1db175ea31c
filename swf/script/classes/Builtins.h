#pragma once

// The classes and global functions every movie starts with, and the small
// vocabulary their installers share: the flags the reference player gives
// built-in properties, and functions made the way it makes them.

#include <cstdint>
#include <string_view>

#include "swf/script/Function.h"
#include "swf/script/PropertyMap.h"

namespace swf::script {

class Machine;

namespace BuiltinFlags {
// h: not enumerated; p: not deletable; c: read-only.
constexpr std::uint32_t H = PropertyFlag::DontEnum;
constexpr std::uint32_t HP = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
constexpr std::uint32_t HPC = PropertyFlag::DontEnum | PropertyFlag::DontDelete | PropertyFlag::ReadOnly;
constexpr std::uint32_t Swf6 = PropertyFlag::OnlySwf6Up;
constexpr std::uint32_t Swf7 = PropertyFlag::OnlySwf7Up;
constexpr std::uint32_t Swf8 = PropertyFlag::OnlySwf8Up;
} // namespace BuiltinFlags

void installAllClasses(Machine& machine);

void installObjectClass(Machine& machine);
void installFunctionClass(Machine& machine);
void installGlobalFunctions(Machine& machine);
void installArrayClass(Machine& machine);
void installStringClass(Machine& machine);
void installNumberClass(Machine& machine);
void installBooleanClass(Machine& machine);
void installMathClass(Machine& machine);
void installDateClass(Machine& machine);
void installErrorClass(Machine& machine);
void installAsBroadcaster(Machine& machine);
void installMovieClipClass(Machine& machine);
void installMovieClipDrawing(Machine& machine);
void installContextMenuClasses(Machine& machine);
void installKeyClass(Machine& machine);
void installMouseClass(Machine& machine);
void installPointClass(Machine& machine);
void installRectangleClass(Machine& machine);
void installMatrixClass(Machine& machine);
void installColorTransformClass(Machine& machine);
void installTransformClass(Machine& machine);
void installColorClass(Machine& machine);
void installXmlNodeClass(Machine& machine);
void installXmlClass(Machine& machine);
void installLoadVarsClass(Machine& machine);
void installStageObject(Machine& machine);
// The area the movie is shown in has changed size: Stage's listeners hear
// onResize when the movie is shown unscaled.
void stageViewChanged(Machine& machine);
// Full screen or back, as the movie asked or the user left it: when the
// player lets it, Stage's listeners hear onResize as above, then
// onFullScreen(on).
void setStageFullScreen(Machine& machine, bool on);
void installTextFormatClass(Machine& machine);
void installTextFieldClass(Machine& machine);
void installSelectionObject(Machine& machine);
void installStyleSheetClass(Machine& machine);
void installMovieClipLoaderClass(Machine& machine);
void installXmlSocketClass(Machine& machine);
void installSoundClass(Machine& machine);
void installNetConnectionClass(Machine& machine);
void installNetStreamClass(Machine& machine);
void installButtonClass(Machine& machine);
void installSharedObjectClass(Machine& machine);
void installDeviceClasses(Machine& machine);
void installAccessibilityObject(Machine& machine);
void installFileReferenceClasses(Machine& machine);
void installExternalInterfaceClass(Machine& machine);
void installPrintJobClass(Machine& machine);
void installSystemObject(Machine& machine);
void installLocalConnectionClass(Machine& machine);

// Writes every stored object the movie took out with getLocal and lets go
// of them; the host calls it as the movie ends, when no script runs.
void storeSharedObjects(Machine& machine);
// Calls what other movies sent this one's LocalConnections since the last
// frame, and tells senders how their sends went; once a frame.
void deliverLocalConnections(Machine& machine);
// Gives up the machine's connection names, as the movie ends.
void closeLocalConnections(Machine& machine);
void installVideoClass(Machine& machine);
void installFilterClasses(Machine& machine);
void installMovieClipFilters(Machine& machine);
void installBitmapDataClass(Machine& machine);
void installTextSnapshotClass(Machine& machine);

// A native function as the reference player's own: `__proto__` and
// `constructor` of its own, hidden and permanent.
Function* makeNativeFunction(Machine& machine, NativeFunction native, int tag = 0);
// Makes and defines a method.
Function* defineMethod(Machine& machine, Object* target, std::string_view name, NativeFunction native, std::uint32_t flags = BuiltinFlags::HP,
                       int tag = 0);
// A class: its constructor with a `prototype` whose `constructor` leads
// back, both as the reference player sets them, defined on _global.
Function* defineClass(Machine& machine, std::string_view name, NativeFunction constructor, Object* prototype,
                      std::uint32_t globalFlags = BuiltinFlags::H, std::uint32_t ownFlags = BuiltinFlags::HP);
// Gives a function made elsewhere the properties functions have.
void initializeFunction(Machine& machine, Function* function, std::uint32_t ownFlags);

// ASnative(table, index): the natives movies reach by number.
void registerNative(Machine& machine, int table, int index, NativeFunction native, int tag = 0);
Function* lookupNative(Machine& machine, int table, int index);

} // namespace swf::script
