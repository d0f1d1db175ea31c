#pragma once

// Interned names the machine and its classes use by pointer, made once.

#include "swf/script/String.h"

namespace swf::script {

class Heap;
class Tracer;

#define TVK_SCRIPT_NAMES(X) \
    X(proto, "__proto__") \
    X(prototype, "prototype") \
    X(constructor, "constructor") \
    X(constructorHidden, "__constructor__") \
    X(length, "length") \
    X(toString, "toString") \
    X(valueOf, "valueOf") \
    X(resolve, "__resolve") \
    X(thisName, "this") \
    X(global, "_global") \
    X(root, "_root") \
    X(parent, "_parent") \
    X(arguments, "arguments") \
    X(superName, "super") \
    X(callee, "callee") \
    X(caller, "caller") \
    X(undefinedText, "undefined") \
    X(nullText, "null") \
    X(trueText, "true") \
    X(falseText, "false") \
    X(nanText, "NaN") \
    X(infinityText, "Infinity") \
    X(minusInfinityText, "-Infinity") \
    X(objectText, "[object Object]") \
    X(functionText, "[type Function]") \
    X(typeObjectText, "[type Object]") \
    X(typeNumber, "number") \
    X(typeBoolean, "boolean") \
    X(typeString, "string") \
    X(typeObject, "object") \
    X(typeFunction, "function") \
    X(typeMovieClip, "movieclip") \
    X(typeUndefined, "undefined") \
    X(typeNull, "null") \
    X(listeners, "_listeners") \
    X(message, "message") \
    X(name, "name") \
    X(interfaces, "__implements__") \
    X(onEnterFrame, "onEnterFrame") \
    X(zero, "0")

struct Names {
#define TVK_DECLARE_NAME(member, text) String* member = nullptr;
    TVK_SCRIPT_NAMES(TVK_DECLARE_NAME)
#undef TVK_DECLARE_NAME

    void intern(Heap& heap);
    void trace(Tracer& tracer) const;
};

} // namespace swf::script
