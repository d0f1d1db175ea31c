// PrintJob played through the Player, over a spool that keeps what it is
// handed: the pages a movie's script adds, drawn by the engine, and what
// it is refused.

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/ActionWriter.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/Player.h"
#include "swf/read/TagCode.h"
#include "swf/script/PrintSpool.h"

namespace {

using swftest::ActionCode;
using swftest::ActionWriter;
using swftest::PushValue;
using A = ActionCode;

struct Printed {
    int dialogs = 0;
    std::vector<QImage> pages;
    std::vector<std::pair<double, double>> sizes; // points
    bool sent = false;
};

// Letter paper with a quarter-inch edge the printer cannot reach.
class KeepingSpool final : public swf::script::PrintSpool {
public:
    explicit KeepingSpool(Printed& printed)
        : m_printed(printed)
    {
    }
    swf::script::PrintPaper paper() const override { return {612, 792, 576, 756, false}; }
    bool addPage(const QImage& pixels, double width, double height) override
    {
        m_printed.pages.push_back(pixels);
        m_printed.sizes.emplace_back(width, height);
        return true;
    }
    bool send() override
    {
        m_printed.sent = true;
        return true;
    }

private:
    Printed& m_printed;
};

// pj.method(args...): the arguments are pushed last first by `args`.
ActionWriter& callJob(ActionWriter& w, const char* method, int count)
{
    return w.push(count, "pj").op(A::GetVariable).push(method).op(A::CallMethod);
}

ActionWriter& traceCall(ActionWriter& w, const char* method, int count = 0)
{
    return callJob(w, method, count).op(A::Trace);
}

// {xMin, xMax, yMin, yMax} as a literal.
ActionWriter& pushArea(ActionWriter& w, double xMin, double xMax, double yMin, double yMax)
{
    w.pushValues({"xMin", PushValue::asDouble(xMin), "xMax", PushValue::asDouble(xMax)});
    w.pushValues({"yMin", PushValue::asDouble(yMin), "yMax", PushValue::asDouble(yMax)});
    return w.push(4).op(A::InitObject);
}

// A 100-pixel stage holding "box": a red 20-pixel square at (10, 10).
std::vector<std::uint8_t> movieOf(const ActionWriter& script)
{
    using namespace swftest;
    swftest::SwfWriter writer;
    writer.setVersion(8).setFrameSize(100, 100).setFrameRate(12).setBackground({0, 0, 255, 255});
    writer.tag(std::uint16_t(swf::TagCode::DefineShape3), defineShape3(RectShape {1, 400, 400}));
    writer.tag(std::uint16_t(swf::TagCode::DefineSprite),
               defineSprite(2, {{tagBytes(std::uint16_t(swf::TagCode::PlaceObject2), placeObject2({1, 1}))}}));
    writer.tag(std::uint16_t(swf::TagCode::PlaceObject2),
               placeObject2({1, 2, swf::Matrix {1, 0, 0, 1, 200, 200}, false, std::nullopt, "box"}));
    writer.tag(std::uint16_t(swf::TagCode::DoAction), script.build()).showFrame();
    return writer.end().build();
}

struct Played {
    Printed printed;
    std::string trace;
};

// Plays the movie's first frame with a printer that gives a spool, or
// none as a cancelled dialog does.
void play(Played& run, const ActionWriter& script, bool accept = true)
{
    swf::Player player;
    player.setTraceOutput([&](std::string_view line) { run.trace.append(line).append("\n"); });
    player.setPrintHandler([&run, accept]() -> std::unique_ptr<swf::script::PrintSpool> {
        ++run.printed.dialogs;
        return accept ? std::make_unique<KeepingSpool>(run.printed) : nullptr;
    });
    player.open();
    player.feed(movieOf(script));
    player.finish();
}

ActionWriter newJob()
{
    ActionWriter w;
    w.push("pj", 0, "PrintJob").op(A::NewObject).op(A::SetVariable);
    return w;
}

QColor colorAt(const QImage& page, double xPoints, double yPoints, double widthPoints)
{
    const double scale = page.width() / widthPoints;
    return page.pixelColor(int(xPoints * scale), int(yPoints * scale));
}

} // namespace

TEST(PrintJob, PagesAddedAfterStartPrintWhenSentAndTheJobEndsThere)
{
    ActionWriter w = newJob();
    w.push("box", 1);
    traceCall(w, "addPage", 1); // before start
    traceCall(w, "start");
    w.push("pj").op(A::GetVariable).push("pageWidth").op(A::GetMember).op(A::Trace);
    w.push("pj").op(A::GetVariable).push("orientation").op(A::GetMember).op(A::Trace);
    w.push("box");
    traceCall(w, "addPage", 1); // the clip's own bounds
    pushArea(w, 0, 50, 0, 40).push(0);
    traceCall(w, "addPage", 2); // part of level 0
    w.push("nothing");
    traceCall(w, "addPage", 1);
    callJob(w, "send", 0).op(A::Pop);
    w.push(0);
    traceCall(w, "addPage", 1);
    traceCall(w, "start");

    Played run;
    play(run, w);
    EXPECT_EQ(run.trace, "false\ntrue\n576\nportrait\ntrue\ntrue\nfalse\nfalse\nfalse\n");
    EXPECT_EQ(run.printed.dialogs, 1);
    EXPECT_TRUE(run.printed.sent);
    ASSERT_EQ(run.printed.pages.size(), 2u);
    EXPECT_EQ(run.printed.sizes[0], std::make_pair(20.0, 20.0));
    EXPECT_EQ(run.printed.sizes[1], std::make_pair(50.0, 40.0));
    const QImage& box = run.printed.pages[0];
    EXPECT_EQ(colorAt(box, 1, 1, 20), QColor(Qt::red));
    EXPECT_EQ(colorAt(box, 19, 19, 20), QColor(Qt::red));
    // The level's area: the stage's colour is not the paper's.
    const QImage& stage = run.printed.pages[1];
    EXPECT_GT(stage.width(), 50); // finer than the screen
    EXPECT_EQ(colorAt(stage, 5, 5, 50), QColor(Qt::white));
    EXPECT_EQ(colorAt(stage, 20, 20, 50), QColor(Qt::red));
    EXPECT_EQ(colorAt(stage, 45, 35, 50), QColor(Qt::white));
}

TEST(PrintJob, ACancelledDialogEndsTheJobWithNothingPrinted)
{
    ActionWriter w = newJob();
    traceCall(w, "start");
    w.push("pj").op(A::GetVariable).push("paperWidth").op(A::GetMember).op(A::Trace);
    w.push("box");
    traceCall(w, "addPage", 1);
    callJob(w, "send", 0).op(A::Pop);
    traceCall(w, "start"); // no second dialog for the same job
    Played run;
    play(run, w, false);
    EXPECT_EQ(run.trace, "false\nundefined\nfalse\nfalse\n");
    EXPECT_EQ(run.printed.dialogs, 1);
    EXPECT_TRUE(run.printed.pages.empty());
    EXPECT_FALSE(run.printed.sent);
}

TEST(PrintJob, HostileAreasAreRefusedOrCutToThePage)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double xMin, xMax, yMin, yMax;
        const char* added;
    };
    const Case cases[] {
        {kNaN, 10, 0, 10, "false"},
        {0, kInf, 0, 10, "false"},
        {10, 0, 0, 10, "false"},     // inverted
        {0, 10, 5, 5, "false"},      // empty
        {-1e300, 1e300, -1e300, 1e300, "true"},
        {0, 1e9, 0, 1e-9, "true"},
    };
    for (const Case& c : cases) {
        ActionWriter w = newJob();
        callJob(w, "start", 0).op(A::Pop);
        pushArea(w, c.xMin, c.xMax, c.yMin, c.yMax).push(0);
        traceCall(w, "addPage", 2);
        Played run;
        play(run, w);
        EXPECT_EQ(run.trace, std::string(c.added) + "\n") << c.xMin << " " << c.xMax << " " << c.yMin << " " << c.yMax;
        for (std::size_t i = 0; i < run.printed.pages.size(); ++i) {
            EXPECT_LE(run.printed.sizes[i].first, 576);
            EXPECT_LE(run.printed.sizes[i].second, 756);
            // No bigger than a letter page at the printer's finest.
            EXPECT_LE(qint64(run.printed.pages[i].width()) * run.printed.pages[i].height(), 2550 * 3300);
        }
    }
}

TEST(PrintJob, AnAreaWhoseGetterSendsTheJobAddsNoPage)
{
    ActionWriter sendJob;
    callJob(sendJob, "send", 0).op(A::Pop).push(0).op(A::Return);
    ActionWriter w = newJob();
    callJob(w, "start", 0).op(A::Pop);
    w.push("area", 0, "Object").op(A::NewObject).op(A::SetVariable);
    w.pushValues({PushValue::null()}).defineFunction("", {}, sendJob).push("xMin", 3, "area").op(A::GetVariable);
    w.push("addProperty").op(A::CallMethod).op(A::Pop);
    w.push("area").op(A::GetVariable).push("xMax", 10).op(A::SetMember);
    w.push("area").op(A::GetVariable).push("yMin", 0).op(A::SetMember);
    w.push("area").op(A::GetVariable).push("yMax", 10).op(A::SetMember);
    w.push("area").op(A::GetVariable).push(0);
    traceCall(w, "addPage", 2);
    Played run;
    play(run, w);
    EXPECT_EQ(run.trace, "false\n");
    EXPECT_TRUE(run.printed.sent);
    EXPECT_TRUE(run.printed.pages.empty());
}
