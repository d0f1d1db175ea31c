#pragma once

// Text loads that script starts (LoadVars and XML load and sendAndLoad,
// loadVariables): the object waiting for each is kept alive until the
// host hands the answer back at a frame boundary; then its onData runs
// with the text, or with undefined when the load failed or was refused,
// and a clip gets the variables set on it.

#include <string_view>

#include "swf/script/Host.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;

void startLoad(Machine& machine, const Value& target, std::string_view url, const Outgoing& outgoing);
// The natives LoadVars and XML share: load(url), send(url, window,
// method), sendAndLoad(url, target, method); the text sent is the
// object's toString().
class Object;
struct NativeCall;
Value loadMethod(NativeCall& c);
Value sendMethod(NativeCall& c);
Value sendAndLoadMethod(NativeCall& c);
// getBytesLoaded (tag 0) and getBytesTotal (tag 1) of what arrived.
Value bytesLoadedMethod(NativeCall& c);
// addRequestHeader(name, value) or (array of pairs).
Value addRequestHeaderMethod(NativeCall& c);
UrlMethod urlMethodOf(Machine& machine, const Value& method);
// The default onData of LoadVars and XML: `take` what came, or nothing
// when the load failed, then tell onLoad whether it arrived.
Value defaultOnData(NativeCall& c, void (*take)(Machine&, Object*, const Value&));
// The default onLoad, which does nothing.
Value ignoreOnLoad(NativeCall& c);
// Runs what the host has finished; the frame loop calls this once a frame.
void deliverLoads(Machine& machine);

} // namespace swf::script
