// flash.geom's arithmetic: each case makes an object, calls one method,
// and traces the result and then the object, against values worked out
// by hand from the classes' documented definitions.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "RunScript.h"

namespace {

using namespace swftest;
using A = ActionCode;

// new flash.geom.<cls>(numbers...), left on the stack.
struct Make {
    const char* cls;
    std::vector<double> args;
};

void construct(ActionWriter& w, const Make& make)
{
    for (auto it = make.args.rbegin(); it != make.args.rend(); ++it)
        w.pushValues({PushValue(*it)});
    w.push(int(make.args.size()), "flash").op(A::GetVariable).push("geom").op(A::GetMember).push(make.cls).op(A::NewMethod);
}

struct Case {
    Make object;
    const char* method;
    std::vector<double> args;
    std::vector<Make> objectArgs; // passed after the numbers
    const char* traced;           // the result, then the object
};

TEST(Geometry, MethodsComputeWhatTheirDefinitionsSay)
{
    constexpr double kEndless = std::numeric_limits<double>::infinity();
    const Case cases[] {
        {{"Matrix", {1, 2, 3, 4, 5, 6}}, "invert", {}, {}, "undefined\n(a=-2, b=1, c=1.5, d=-0.5, tx=1, ty=-2)\n"},
        {{"Matrix", {}}, "translate", {3, 4}, {}, "undefined\n(a=1, b=0, c=0, d=1, tx=3, ty=4)\n"},
        {{"Matrix", {1, 0, 0, 1, 10, 20}}, "scale", {2, 3}, {}, "undefined\n(a=2, b=0, c=0, d=3, tx=20, ty=60)\n"},
        {{"Matrix", {1, 2, 3, 4, 5, 6}}, "concat", {}, {{"Matrix", {2, 0, 0, 2, 1, 1}}}, "undefined\n(a=2, b=4, c=6, d=8, tx=11, ty=13)\n"},
        {{"Matrix", {}}, "createBox", {2, 3, 0, 5, 6}, {}, "undefined\n(a=2, b=0, c=0, d=3, tx=5, ty=6)\n"},
        {{"Matrix", {}}, "createGradientBox", {1638.4, 3276.8, 0, 10, 20}, {}, "undefined\n(a=1, b=0, c=0, d=2, tx=829.2, ty=1658.4)\n"},
        {{"Matrix", {2, 0, 0, 2, 1, 1}}, "transformPoint", {}, {{"Point", {3, 4}}}, "(x=7, y=9)\n(a=2, b=0, c=0, d=2, tx=1, ty=1)\n"},
        {{"Matrix", {2, 0, 0, 2, 1, 1}}, "deltaTransformPoint", {}, {{"Point", {3, 4}}}, "(x=6, y=8)\n(a=2, b=0, c=0, d=2, tx=1, ty=1)\n"},
        {{"Rectangle", {0, 0, 10, 10}}, "intersection", {}, {{"Rectangle", {5, 5, 10, 10}}}, "(x=5, y=5, w=5, h=5)\n(x=0, y=0, w=10, h=10)\n"},
        {{"Rectangle", {0, 0, 10, 10}}, "union", {}, {{"Rectangle", {5, 5, 10, 10}}}, "(x=0, y=0, w=15, h=15)\n(x=0, y=0, w=10, h=10)\n"},
        {{"Rectangle", {0, 0, 10, 10}}, "intersects", {}, {{"Rectangle", {20, 20, 1, 1}}}, "false\n(x=0, y=0, w=10, h=10)\n"},
        {{"Rectangle", {0, 0, 10, 10}}, "inflate", {1, 2}, {}, "undefined\n(x=-1, y=-2, w=12, h=14)\n"},
        {{"Rectangle", {1, 2, 3, 4}}, "containsRectangle", {}, {{"Rectangle", {1, 2, 3, 4}}}, "true\n(x=1, y=2, w=3, h=4)\n"},
        {{"Rectangle", {1, 2, 3, 4}}, "containsRectangle", {}, {{"Rectangle", {1, 2, 3, 5}}}, "false\n(x=1, y=2, w=3, h=4)\n"},
        // Its corner must lie inside, so an endless edge contains nothing.
        {{"Rectangle", {kEndless, 2, 3, 4}}, "containsRectangle", {}, {{"Rectangle", {kEndless, 2, 3, 4}}}, "false\n(x=Infinity, y=2, w=3, h=4)\n"},
        {{"Point", {3, 4}}, "normalize", {10}, {}, "undefined\n(x=6, y=8)\n"},
        {{"Point", {3, 4}}, "subtract", {}, {{"Point", {1, 1}}}, "(x=2, y=3)\n(x=3, y=4)\n"},
        {{"ColorTransform", {0.5, 1, 1, 1, 10, 0, 0, 0}},
         "concat",
         {},
         {{"ColorTransform", {2, 1, 1, 1, 4, 0, 0, 0}}},
         "undefined\n(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=12, greenOffset=0, "
         "blueOffset=0, alphaOffset=0)\n"},
    };
    for (const Case& c : cases) {
        ActionWriter w;
        w.push("o");
        construct(w, c.object);
        w.op(A::SetVariable);
        for (auto it = c.objectArgs.rbegin(); it != c.objectArgs.rend(); ++it)
            construct(w, *it);
        for (auto it = c.args.rbegin(); it != c.args.rend(); ++it)
            w.pushValues({PushValue(*it)});
        w.push(int(c.args.size() + c.objectArgs.size()), "o").op(A::GetVariable).push(c.method).op(A::CallMethod).op(A::Trace);
        w.push("o").op(A::GetVariable).op(A::Trace);
        ScriptRun run;
        EXPECT_EQ(run.run(w), c.traced) << c.object.cls << "." << c.method;
    }
}

} // namespace
