// PrintJob: a movie asks for the printer, then adds pages of its clips.
// The page and paper sizes are accessors the constructor puts on the
// class's prototype (whatever object that is by then), as the reference
// player does; they read undefined until a job has started.
//
// Each object is good for one job. start() asks the host, which shows the
// print dialog; each addPage() draws its clip through the engine's own
// renderer, one point of paper to a pixel of the clip, from the top left
// of the printable area and cut where the page ends; send() prints them.
// A job its object lets go of unsent prints nothing.

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include <QImage>

#include "swf/script/ArrayObject.h"
#include "swf/script/ClipObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kStoreMarker = "PrintJob";
constexpr std::size_t kStoreSlots = 2;

// The printer's own resolution is the host's affair; pages are drawn finer
// than the screen so that they do not print as a blur, and no page holds
// more pixels than a letter sheet at 300 dots to the inch.
constexpr double kDotsPerPoint = 300.0 / 72;
constexpr double kMaxPagePixels = 2550.0 * 3300;
// Where the host tells no page size: a sheet of 200 inches at most.
constexpr double kMaxPagePoints = 200 * 72;
// Coordinates far beyond any stage, so that no sum of them overflows.
constexpr double kFar = 1e7;
// A script adding pages in a loop gets refusals past this, not a spool
// that grows without end.
constexpr int kMaxPages = 500;

// The job behind one PrintJob object, held by a cell of its store.
class JobCell final : public Object {
public:
    JobCell()
        : Object(nullptr)
    {
    }

    enum class State { Fresh, Started, Done };
    State state = State::Fresh;
    // The paper is known from a start the person accepted on.
    bool started = false;
    std::unique_ptr<PrintSpool> spool;
    PrintPaper paper;
    int pages = 0;
};

JobCell* jobOf(Machine& m, const Value& self)
{
    ArrayObject* store = nativeStore(m, self, kStoreMarker, kStoreSlots);
    Object* cell = store ? store->dense(1).objectOrNull() : nullptr;
    return cell ? static_cast<JobCell*>(cell) : nullptr;
}

enum Field { kOrientation, kPageHeight, kPageWidth, kPaperHeight, kPaperWidth };
constexpr const char* kPageFields[] = {"orientation", "pageHeight", "pageWidth", "paperHeight", "paperWidth"};

Value pageField(NativeCall& c)
{
    Machine& m = c.machine;
    const JobCell* job = jobOf(m, c.thisValue);
    if (!job || !job->started)
        return Value();
    const PrintPaper& paper = job->paper;
    switch (c.callee ? c.callee->tag() : -1) {
    case kOrientation: return Value::string(m.intern(paper.landscape ? "landscape" : "portrait"));
    case kPageHeight: return Value::number(paper.pageHeight);
    case kPageWidth: return Value::number(paper.pageWidth);
    case kPaperHeight: return Value::number(paper.paperHeight);
    case kPaperWidth: return Value::number(paper.paperWidth);
    default: return Value();
    }
}

Value printJobConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    // Called again on a job (PrintJob.call(job)), it keeps the job it has:
    // a running method holds on to that.
    if (Object* self = c.thisObject(); self && self->kind() == ObjectKind::Plain && !jobOf(m, c.thisValue)) {
        ArrayObject* store = makeNativeStore(m, self, kStoreMarker, kStoreSlots);
        store->setIndex(m, 1, Value::object(m.heap().make<JobCell>()));
    }
    Object* prototype = m.get(Value::object(c.callee), m.names().prototype).objectOrNull();
    if (!prototype)
        return Value();
    for (int field = kOrientation; field <= kPaperWidth; ++field)
        if (!m.findOwn(prototype, m.intern(kPageFields[field])))
            defineAccessor(m, prototype, kPageFields[field], pageField, nullptr, 0, field);
    return Value();
}

Value start(NativeCall& c)
{
    JobCell* job = jobOf(c.machine, c.thisValue);
    if (!job || job->state != JobCell::State::Fresh)
        return Value::boolean(false);
    // One dialog per object: a cancelled job is over, as a sent one is.
    job->spool = c.machine.host().startPrintJob();
    if (!job->spool) {
        job->state = JobCell::State::Done;
        return Value::boolean(false);
    }
    job->paper = job->spool->paper();
    job->started = true;
    job->state = JobCell::State::Started;
    return Value::boolean(true);
}

// What addPage's target names: a level by number, or a clip by reference
// or target path.
struct PrintTarget {
    ClipHandle clip;
    bool level = false;
};

PrintTarget targetOf(Machine& m, const Value& target)
{
    constexpr int kMaxLevel = 0x7FFF;
    if (target.isNumber()) {
        const double number = target.asNumber();
        if (!(number >= 0 && number <= kMaxLevel))
            return {};
        return {m.host().root(int(number)), true};
    }
    if (!target.isString() && !(target.isObject() && target.asObject()->kind() == ObjectKind::Clip))
        return {};
    Object* base = m.clipObject(m.targetHandle());
    return {m.handleOf(m.resolveTarget(base, target)), false};
}

// The area to print in the target's own pixels: the one script gives, or
// else the target's bounds (the stage's, for a level). Nothing for an area
// that is no area: a side not a number, inverted or empty.
std::optional<HostRect> areaOf(Machine& m, const Value& given, const PrintTarget& target)
{
    HostRect area;
    if (given.isObject()) {
        double* sides[] {&area.xMin, &area.xMax, &area.yMin, &area.yMax};
        const char* names[] {"xMin", "xMax", "yMin", "yMax"};
        for (std::size_t i = 0; i < 4; ++i) {
            const double n = m.toNumber(m.get(given, m.intern(names[i])));
            if (!std::isfinite(n))
                return std::nullopt;
            *sides[i] = std::clamp(n, -kFar, kFar);
        }
    } else {
        area = target.level ? m.host().stageArea() : m.host().bounds(target.clip, target.clip);
    }
    if (!(area.xMax > area.xMin && area.yMax > area.yMin))
        return std::nullopt;
    return area;
}

// addPage(target, printArea, options, frameNum): draws the target's area
// and hands it to the spool. Every page is drawn as pixels, so the
// options' printAsBitmap changes nothing; and the frame drawn is the one
// on show, whatever frameNum asks for: reaching another frame would run
// that frame's tags on the living clip.
Value addPage(NativeCall& c)
{
    Machine& m = c.machine;
    JobCell* job = jobOf(m, c.thisValue);
    if (!job || job->state != JobCell::State::Started || job->pages >= kMaxPages)
        return Value::boolean(false);
    const PrintTarget target = targetOf(m, c.arg(0));
    if (!target.clip || !m.host().alive(target.clip))
        return Value::boolean(false);
    const std::optional<HostRect> area = areaOf(m, c.arg(1), target);
    // Reading the area may have run script (getters, valueOf) that sent
    // the job.
    if (!area || job->state != JobCell::State::Started)
        return Value::boolean(false);
    // What lies past the printable area's right and bottom is cut off.
    const auto pageSide = [](double side) { return side > 0 && std::isfinite(side) ? std::min(side, kMaxPagePoints) : kMaxPagePoints; };
    const double width = std::min(area->xMax - area->xMin, pageSide(job->paper.pageWidth));
    const double height = std::min(area->yMax - area->yMin, pageSide(job->paper.pageHeight));
    const double scale = std::min(kDotsPerPoint, std::sqrt(kMaxPagePixels / (width * height)));
    const int pixelsWide = std::max(1, int(std::ceil(width * scale)));
    const int pixelsHigh = std::max(1, int(std::ceil(height * scale)));
    QImage page(pixelsWide, pixelsHigh, QImage::Format_ARGB32_Premultiplied);
    if (page.isNull())
        return Value::boolean(false);
    // Paper is white wherever the clip leaves it.
    page.fill(Qt::white);
    const HostMatrix toPage {scale, 0, 0, scale, -area->xMin * scale, -area->yMin * scale};
    if (!m.host().drawClip(target.clip, page, toPage, HostColorTransform(), true))
        return Value::boolean(false);
    if (!job->spool->addPage(page, width, height))
        return Value::boolean(false);
    ++job->pages;
    return Value::boolean(true);
}

Value send(NativeCall& c)
{
    JobCell* job = jobOf(c.machine, c.thisValue);
    if (!job || job->state != JobCell::State::Started)
        return Value();
    job->state = JobCell::State::Done;
    const std::unique_ptr<PrintSpool> spool = std::move(job->spool);
    if (!spool->send())
        c.machine.report("the printer did not take the movie's print job");
    return Value();
}

} // namespace

void installPrintJobClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* printJobClass = defineClass(machine, "PrintJob", printJobConstructor, p);
    // The class came with version 7; older movies find its prototype made
    // as a plain object is, its link up and its own constructor hidden
    // from them, so that they reach Object's.
    if (machine.vmVersion() < 7) {
        p->setPrototypeFlags(HP | Swf7);
        machine.define(p, machine.names().constructor, Value::object(printJobClass), HP | Swf7);
    }
    defineMethod(machine, p, "addPage", addPage);
    defineMethod(machine, p, "send", send);
    defineMethod(machine, p, "start", start);
}

} // namespace swf::script
