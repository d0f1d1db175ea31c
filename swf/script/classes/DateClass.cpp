// Date: a moment as milliseconds since 1970 UTC, read and set in UTC or in
// the local time the host's time zone gives, with the calendar arithmetic
// of the ECMAScript standard the reference player follows.

#include <cmath>
#include <cstdio>
#include <limits>

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMsPerDay = 86400000.0;

double day(double t) { return std::floor(t / kMsPerDay); }
double daysInYear(double y)
{
    if (std::fmod(y, 4) != 0)
        return 365;
    if (std::fmod(y, 100) != 0)
        return 366;
    if (std::fmod(y, 400) != 0)
        return 365;
    return 366;
}
double dayFromYear(double y)
{
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
double timeFromYear(double y) { return kMsPerDay * dayFromYear(y); }
double yearFromTime(double t)
{
    double y = std::floor(t / (kMsPerDay * 365.2425)) + 1970;
    // The estimate is off by a year at most; at magnitudes where a year
    // is below a double's precision, stepping would never end.
    for (int i = 0; i < 4 && timeFromYear(y) > t; ++i)
        --y;
    for (int i = 0; i < 4 && timeFromYear(y + 1) <= t; ++i)
        ++y;
    return y;
}
bool inLeapYear(double t) { return daysInYear(yearFromTime(t)) == 366; }
double dayWithinYear(double t) { return day(t) - dayFromYear(yearFromTime(t)); }

double monthFromTime(double t)
{
    const double d = dayWithinYear(t);
    const double leap = inLeapYear(t) ? 1 : 0;
    if (d < 31)
        return 0;
    if (d < 59 + leap)
        return 1;
    static const double kEnds[] {90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
    for (int m = 0; m < 10; ++m)
        if (d < kEnds[m] + leap)
            return m + 2;
    return 11;
}

double dateFromTime(double t)
{
    const double d = dayWithinYear(t);
    const double leap = inLeapYear(t) ? 1 : 0;
    static const double kStarts[] {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int m = int(monthFromTime(t));
    const double start = kStarts[m] + (m >= 2 ? leap : 0);
    return d - start + 1;
}

double weekDay(double t)
{
    const double r = std::fmod(day(t) + 4, 7);
    return r < 0 ? r + 7 : r;
}

double positiveModulo(double a, double b)
{
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

// Hours and milliseconds come from the moment truncated to a whole
// millisecond, minutes and seconds from the moment as it is: the
// reference player's fields of -0.5 ms read 00:59:59.0.
double hourFromTime(double t) { return positiveModulo(std::floor(std::trunc(t) / 3600000.0), 24); }
double minFromTime(double t) { return positiveModulo(std::floor(t / 60000.0), 60); }
double secFromTime(double t) { return positiveModulo(std::floor(t / 1000.0), 60); }
double msFromTime(double t) { return positiveModulo(std::trunc(t), 1000); }

// Infinities carry through the arithmetic, as the reference player lets
// them; only NaN makes an invalid date.
double makeTime(double hour, double min, double sec, double ms)
{
    return std::trunc(hour) * 3600000.0 + std::trunc(min) * 60000.0 + std::trunc(sec) * 1000.0 + std::trunc(ms);
}

double makeDay(double year, double month, double date)
{
    year = std::trunc(year);
    month = std::trunc(month);
    date = std::trunc(date);
    // A year or month that is no number lands in January of year 0, as
    // the reference player has it.
    double ym = year + std::floor(month / 12);
    double mn = positiveModulo(month, 12);
    if (!std::isfinite(ym))
        ym = 0;
    if (!std::isfinite(mn))
        mn = 0;
    static const double kStarts[] {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    double days = dayFromYear(ym) + kStarts[int(mn)];
    if (mn >= 2 && daysInYear(ym) == 366)
        days += 1;
    return days + date - 1;
}

double makeDate(double day, double time)
{
    return day * kMsPerDay + time;
}

// The reference player keeps moments far past the standard's limit of
// 8.64e15 ms, infinities and fractions too.
double timeClip(double t)
{
    return t + 0.0;
}

double offsetMs(Machine& m, double utc)
{
    return m.host().timezoneOffsetMinutes(utc) * 60000.0;
}

double localTime(Machine& m, double utc) { return utc + offsetMs(m, utc); }
double utcFromLocal(Machine& m, double local) { return local - offsetMs(m, local - offsetMs(m, local)); }

Object* thisDate(NativeCall& c)
{
    Object* o = c.thisObject();
    return o && o->kind() == ObjectKind::Date ? o : nullptr;
}

double timeOf(Object* date)
{
    return date->primitive().isNumber() ? date->primitive().asNumber() : kNaN;
}

std::string dateText(Machine& m, double t)
{
    if (std::isnan(t))
        return "Invalid Date";
    // An infinite moment has every field zero, the weekday too.
    if (std::isinf(t))
        return "Sun Jan 1 00:00:00 GMT+0000 1970";
    static const char* kDays[] {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const double offsetMinutes = m.host().timezoneOffsetMinutes(t);
    const double local = t + offsetMinutes * 60000.0;
    const int offset = int(offsetMinutes);
    const int absOffset = offset < 0 ? -offset : offset;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f", kDays[int(weekDay(local))], kMonths[int(monthFromTime(local))],
                  int(dateFromTime(local)), int(hourFromTime(local)), int(minFromTime(local)), int(secFromTime(local)), offset < 0 ? '-' : '+',
                  absOffset / 60, absOffset % 60, yearFromTime(local));
    return buffer;
}

// Date(year, month[, date, hours, minutes, seconds, ms]) as local or UTC
// time; two-digit years are in the 1900s.
double timeFromParts(Machine& m, std::span<const Value> args, bool utc)
{
    // An undefined argument ends the list: it and those after it count as
    // not given.
    double parts[7] {0, 0, 1, 0, 0, 0, 0};
    for (std::size_t i = 0; i < args.size() && i < 7 && !args[i].isUndefined(); ++i)
        parts[i] = m.toNumber(args[i]);
    // Years are floored; the first hundred (and all before them) are
    // counted from 1900; a year that is no number is year 0.
    double year = parts[0];
    if (!std::isfinite(year)) {
        year = 0;
    } else {
        year = std::floor(year);
        if (year < 100)
            year += 1900;
    }
    const double t = makeDate(makeDay(year, parts[1], parts[2]), makeTime(parts[3], parts[4], parts[5], parts[6]));
    return timeClip(utc ? t : utcFromLocal(m, t));
}

Value dateConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    if (!c.constructing)
        return m.stringValue(dateText(m, std::floor(m.host().currentTime())));
    Object* o = c.thisObject();
    if (!o)
        return Value();
    // An undefined argument ends the list.
    std::size_t given = 0;
    while (given < c.count() && !c.args[given].isUndefined())
        ++given;
    double t;
    if (c.count() == 0)
        t = std::floor(m.host().currentTime());
    else if (given <= 1)
        t = given == 0 ? kNaN : timeClip(m.toNumber(c.arg(0)));
    else
        t = timeFromParts(m, c.args, false);
    o->setKind(ObjectKind::Date);
    o->setPrimitive(Value::number(t));
    return Value();
}

Value dateUtc(NativeCall& c)
{
    if (c.arg(0).isUndefined() || (c.count() >= 2 && c.arg(1).isUndefined()))
        return Value();
    if (c.count() < 2) {
        c.machine.toNumber(c.arg(0));
        return Value();
    }
    return Value::number(timeFromParts(c.machine, c.args, true));
}

enum Field { Year, Month, Date, Hours, Minutes, Seconds, Milliseconds, WeekDay, FullYear };

Value getter(NativeCall& c)
{
    Machine& m = c.machine;
    Object* date = thisDate(c);
    if (!date)
        return Value();
    const int tag = c.callee->tag();
    const bool utc = tag & 0x100;
    double t = timeOf(date);
    if (std::isnan(t))
        return Value::number(kNaN);
    // An infinite moment reads as the epoch, its weekday Sunday.
    if (std::isinf(t)) {
        switch (tag & 0xFF) {
        case Year: return Value::number(70);
        case FullYear: return Value::number(1970);
        case Date: return Value::number(1);
        default: return Value::number(0);
        }
    }
    if (!utc)
        t = localTime(m, t);
    switch (tag & 0xFF) {
    case Year: return Value::number(yearFromTime(t) - 1900);
    case FullYear: return Value::number(yearFromTime(t));
    case Month: return Value::number(monthFromTime(t));
    case Date: return Value::number(dateFromTime(t));
    case Hours: return Value::number(hourFromTime(t));
    case Minutes: return Value::number(minFromTime(t));
    case Seconds: return Value::number(secFromTime(t));
    case Milliseconds: return Value::number(msFromTime(t));
    case WeekDay: return Value::number(weekDay(t));
    default: return Value::number(kNaN);
    }
}

Value getTime(NativeCall& c)
{
    Object* date = thisDate(c);
    return date ? Value::number(timeOf(date)) : Value();
}

Value getTimezoneOffset(NativeCall& c)
{
    Object* date = thisDate(c);
    if (!date)
        return Value();
    const double t = timeOf(date);
    return Value::number(-c.machine.host().timezoneOffsetMinutes(std::isnan(t) ? 0 : t));
}

Value setTime(NativeCall& c)
{
    Object* date = thisDate(c);
    if (!date)
        return Value();
    const double t = timeClip(c.machine.toNumber(c.arg(0)));
    date->setPrimitive(Value::number(t));
    return Value::number(t);
}

// The setters: each replaces some fields, given in order, and keeps the
// others.
Value setter(NativeCall& c)
{
    Machine& m = c.machine;
    Object* date = thisDate(c);
    if (!date)
        return Value();
    const int tag = c.callee->tag();
    const bool utc = tag & 0x100;
    double t = timeOf(date);
    // An invalid date stays invalid (its arguments still read), except
    // under setFullYear, which starts again from the epoch.
    const bool stayInvalid = std::isnan(t) && (tag & 0xFF) != FullYear;
    if (std::isnan(t))
        t = 0;
    if (!utc)
        t = localTime(m, t);
    double year = yearFromTime(t);
    double month = monthFromTime(t);
    double dayOfMonth = dateFromTime(t);
    double hour = hourFromTime(t);
    double minute = minFromTime(t);
    double second = secFromTime(t);
    double ms = msFromTime(t);
    double* fields[] {&year, &month, &dayOfMonth, &hour, &minute, &second, &ms};
    int first = 0;
    int count = 1;
    switch (tag & 0xFF) {
    case FullYear: first = 0; count = 3; break;
    case Year: first = 0; count = 3; break;
    case Month: first = 1; count = 2; break;
    case Date: first = 2; count = 1; break;
    case Hours: first = 3; count = 4; break;
    case Minutes: first = 4; count = 3; break;
    case Seconds: first = 5; count = 2; break;
    case Milliseconds: first = 6; count = 1; break;
    default: return Value();
    }
    if (c.count() == 0) {
        date->setPrimitive(Value::number(kNaN));
        return Value::number(kNaN);
    }
    // Undefined is NaN here in every version.
    for (int i = 0; i < count && std::size_t(i) < c.count(); ++i)
        *fields[first + i] = c.args[std::size_t(i)].isUndefined() ? kNaN : m.toNumber(c.args[std::size_t(i)]);
    // A month set to NaN is January of the same year (in the constructor
    // it would be year 0).
    if (std::isnan(month))
        month = 0;
    if (stayInvalid)
        return Value::number(kNaN);
    if ((tag & 0xFF) == Year) {
        // setYear: a year that is no number is year 0; 0 to 99 are in the
        // 1900s, judged before the fraction goes.
        if (!std::isfinite(year) || c.arg(0).isUndefined())
            year = 0;
        else if (year >= 0 && year < 100)
            year = std::trunc(year) + 1900;
    }
    double result = makeDate(makeDay(year, month, dayOfMonth), makeTime(hour, minute, second, ms));
    if (!utc)
        result = utcFromLocal(m, result);
    // Setters hold to the standard's range, unlike the constructor.
    if (!(std::fabs(result) <= 8.64e15))
        result = kNaN;
    date->setPrimitive(Value::number(result));
    return Value::number(result);
}

Value toStringMethod(NativeCall& c)
{
    Object* date = thisDate(c);
    if (!date)
        return Value::string(c.machine.names().objectText);
    return c.machine.stringValue(dateText(c.machine, timeOf(date)));
}

} // namespace

void installDateClass(Machine& machine)
{
    Builtins& b = machine.builtins();
    b.datePrototype = machine.newObject();
    Object* p = b.datePrototype;
    Function* date = defineClass(machine, "Date", dateConstructor, p, H, HPC);
    defineMethod(machine, date, "UTC", dateUtc, HPC);
    struct Entry {
        const char* name;
        NativeFunction native;
        int tag;
    };
    static const Entry kMethods[] {
        {"getFullYear", getter, FullYear}, {"getYear", getter, Year}, {"getMonth", getter, Month}, {"getDate", getter, Date},
        {"getDay", getter, WeekDay}, {"getHours", getter, Hours}, {"getMinutes", getter, Minutes}, {"getSeconds", getter, Seconds},
        {"getMilliseconds", getter, Milliseconds}, {"getUTCFullYear", getter, FullYear | 0x100}, {"getUTCYear", getter, Year | 0x100},
        {"getUTCMonth", getter, Month | 0x100}, {"getUTCDate", getter, Date | 0x100}, {"getUTCDay", getter, WeekDay | 0x100},
        {"getUTCHours", getter, Hours | 0x100}, {"getUTCMinutes", getter, Minutes | 0x100}, {"getUTCSeconds", getter, Seconds | 0x100},
        {"getUTCMilliseconds", getter, Milliseconds | 0x100}, {"getTime", getTime, 0}, {"getTimezoneOffset", getTimezoneOffset, 0},
        {"setFullYear", setter, FullYear}, {"setYear", setter, Year}, {"setMonth", setter, Month}, {"setDate", setter, Date},
        {"setHours", setter, Hours}, {"setMinutes", setter, Minutes}, {"setSeconds", setter, Seconds},
        {"setMilliseconds", setter, Milliseconds}, {"setUTCFullYear", setter, FullYear | 0x100}, {"setUTCMonth", setter, Month | 0x100},
        {"setUTCDate", setter, Date | 0x100}, {"setUTCHours", setter, Hours | 0x100}, {"setUTCMinutes", setter, Minutes | 0x100},
        {"setUTCSeconds", setter, Seconds | 0x100}, {"setUTCMilliseconds", setter, Milliseconds | 0x100}, {"setTime", setTime, 0},
        {"valueOf", getTime, 0}, {"toString", toStringMethod, 0},
    };
    int index = 0;
    for (const Entry& e : kMethods) {
        // valueOf is getTime itself, the same function object.
        if (std::string_view(e.name) == "valueOf")
            machine.define(p, e.name, machine.get(p, "getTime"), HP);
        else
            defineMethod(machine, p, e.name, e.native, HP, e.tag);
        registerNative(machine, 103, index++, e.native, e.tag);
    }
}

} // namespace swf::script
