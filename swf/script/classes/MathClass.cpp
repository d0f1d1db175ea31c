// Math: its functions and constants. Random numbers come from the host, so
// that a headless run is reproducible.

#include <cmath>
#include <limits>

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum MathFunction {
    Abs, Min, Max, Sin, Cos, Atan2, Tan, Exp, Log, Sqrt, Round, Random, Floor, Ceil, Atan, Asin, Acos, Pow,
};

Value mathFunction(NativeCall& c)
{
    Machine& m = c.machine;
    const int which = c.callee->tag();
    // Every one of them reads its first two arguments, used or not.
    const double x = c.count() > 0 ? m.toNumber(c.arg(0)) : kNaN;
    const double y = c.count() > 1 ? m.toNumber(c.arg(1)) : kNaN;
    if (which == Random)
        return Value::number(m.host().random());
    if (which == Min || which == Max) {
        if (c.count() == 0)
            return Value::number(which == Min ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity());
        if (c.count() == 1 || std::isnan(x) || std::isnan(y))
            return Value::number(kNaN);
        return Value::number(which == Min ? std::min(x, y) : std::max(x, y));
    }
    if (c.count() == 0)
        return Value::number(kNaN);
    switch (which) {
    case Abs: return Value::number(std::fabs(x));
    case Sin: return Value::number(std::sin(x));
    case Cos: return Value::number(std::cos(x));
    case Tan: return Value::number(std::tan(x));
    case Exp: return Value::number(std::exp(x));
    case Log: return Value::number(std::log(x));
    case Sqrt: return Value::number(std::sqrt(x));
    case Round: return Value::number(std::floor(x + 0.5));
    case Floor: return Value::number(std::floor(x));
    case Ceil: return Value::number(std::ceil(x));
    case Atan: return Value::number(std::atan(x));
    case Asin: return Value::number(std::asin(x));
    case Acos: return Value::number(std::acos(x));
    case Atan2: return Value::number(c.count() < 2 ? kNaN : std::atan2(x, y));
    case Pow:
        // An infinite base to a fractional power is NaN here, unlike C's.
        if (c.count() < 2 || (std::isinf(x) && y != std::trunc(y)))
            return Value::number(kNaN);
        return Value::number(std::pow(x, y));
    default: return Value::number(kNaN);
    }
}

} // namespace

void installMathClass(Machine& machine)
{
    Object* math = machine.newObject();
    math->setPrototypeFlags(HPC);
    machine.define(math, machine.names().constructor, Value::object(machine.builtins().objectConstructor), HPC);
    machine.define(machine.global(), "Math", Value::object(math), H);
    static constexpr const char* kNames[] {
        "abs", "min", "max", "sin", "cos", "atan2", "tan", "exp", "log", "sqrt", "round", "random", "floor", "ceil", "atan", "asin", "acos", "pow",
    };
    for (int i = 0; i <= Pow; ++i) {
        defineMethod(machine, math, kNames[i], mathFunction, HPC, i);
        registerNative(machine, 200, i, mathFunction, i);
    }
    machine.define(math, "E", Value::number(2.718281828459045), HPC);
    machine.define(math, "LN10", Value::number(2.302585092994046), HPC);
    machine.define(math, "LN2", Value::number(0.6931471805599453), HPC);
    machine.define(math, "LOG10E", Value::number(0.4342944819032518), HPC);
    machine.define(math, "LOG2E", Value::number(1.442695040888963387), HPC);
    machine.define(math, "PI", Value::number(3.141592653589793), HPC);
    machine.define(math, "SQRT1_2", Value::number(0.7071067811865476), HPC);
    machine.define(math, "SQRT2", Value::number(1.4142135623730951), HPC);
}

} // namespace swf::script
