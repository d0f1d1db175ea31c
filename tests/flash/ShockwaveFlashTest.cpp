#include <gtest/gtest.h>

#include <QFile>
#include <QMenu>
#include <memory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "flash/FileSource.h"
#include "flash/ShockwaveFlash.h"
#include "support/ActionWriter.h"
#include "support/FakePlatform.h"
#include "support/PaintCounter.h"
#include "support/RegressionMovies.h"
#include "support/SwfShapes.h"
#include "support/SwfWriter.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/Stage.h"

namespace {

class ShockwaveFlashTest : public testing::Test {
protected:
    // Writes a movie of the given frames (and padding, to make it big) and
    // returns its path.
    QString writeMovie(const QString& name, int frames, swf::Compression compression = swf::Compression::None,
                       int paddingBytes = 0)
    {
        swftest::SwfWriter writer;
        writer.setFrameSize(400, 300).setFrameRate(24.0).setBackground({0x10, 0x20, 0x30});
        // An unknown tag is skipped; it only makes the movie long.
        const std::vector<std::uint8_t> padding(std::size_t(paddingBytes), 0xAB);
        if (paddingBytes > 0)
            writer.tag(250, padding);
        for (int i = 0; i < frames; ++i)
            writer.showFrame();
        const std::vector<std::uint8_t> bytes = writer.build(compression);
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    void loadFully(const QString& path)
    {
        QSignalSpy done(&control, &flash::ShockwaveFlash::loadFinished);
        control.setMovie(path);
        if (done.isEmpty()) {
            ASSERT_TRUE(done.wait(5000));
        }
    }

    QString writeBytes(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    QColor pixelAt(int x, int y)
    {
        EXPECT_TRUE(control.waitForFrame());
        return control.grab().toImage().pixelColor(x, y);
    }

    QTemporaryDir dir;
    flash::ShockwaveFlash control;
};

} // namespace

TEST_F(ShockwaveFlashTest, StartsWithTheStoredSettingsAndNoMovie)
{
    EXPECT_EQ(control.WMode(), QStringLiteral("Window"));
    EXPECT_TRUE(control.playSetting());
    EXPECT_TRUE(control.Loop());
    EXPECT_EQ(control.Quality(), QStringLiteral("High"));
    EXPECT_TRUE(control.Menu());
    EXPECT_EQ(control.AllowScriptAccess(), QStringLiteral("always"));
    EXPECT_EQ(control.Scale(), QStringLiteral("ShowAll"));
    EXPECT_FALSE(control.DeviceFont());
    EXPECT_FALSE(control.EmbedMovie());
    EXPECT_TRUE(control.Movie().isEmpty());
    EXPECT_FALSE(control.player().hasMovie());
    EXPECT_EQ(control.CurrentFrame(), 0);
    EXPECT_EQ(control.PercentLoaded(), 0);
}

TEST_F(ShockwaveFlashTest, AMoviePlaysAtOnceAndLoops)
{
    loadFully(writeMovie(QStringLiteral("three.swf"), 3));
    ASSERT_TRUE(control.player().hasMovie());
    EXPECT_EQ(control.PercentLoaded(), 100);
    EXPECT_EQ(control.CurrentFrame(), 0);
    control.advanceFrame();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 2);
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 0);
}

TEST_F(ShockwaveFlashTest, StopHaltsAndPlayGoesOnFromTheCurrentFrame)
{
    loadFully(writeMovie(QStringLiteral("five.swf"), 5));
    control.advanceFrame();
    control.Stop();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 1);
    control.Play();
    control.advanceFrame();
    EXPECT_EQ(control.CurrentFrame(), 2);
}

TEST_F(ShockwaveFlashTest, EveryCompressionLoads)
{
    for (swf::Compression compression : {swf::Compression::None, swf::Compression::Zlib, swf::Compression::Lzma}) {
        loadFully(writeMovie(QStringLiteral("c%1.swf").arg(int(compression)), 4, compression));
        EXPECT_TRUE(control.player().hasMovie()) << int(compression);
        EXPECT_EQ(control.player().frameCount(), 4);
        EXPECT_EQ(control.PercentLoaded(), 100);
    }
}

TEST_F(ShockwaveFlashTest, ABigMovieStartsBeforeItIsReadToTheEnd)
{
    const int padding = int(flash::FileSource::kChunkSize) * 3;
    const QString path = writeMovie(QStringLiteral("big.swf"), 2, swf::Compression::None, padding);
    QSignalSpy done(&control, &flash::ShockwaveFlash::loadFinished);
    control.setMovie(path);
    EXPECT_TRUE(control.player().hasMovie());
    EXPECT_TRUE(control.isLoading());
    EXPECT_LT(control.PercentLoaded(), 100);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(control.PercentLoaded(), 100);
    EXPECT_EQ(control.player().framesLoaded(), 2);
}

TEST_F(ShockwaveFlashTest, ANewMovieCancelsAPendingLoad)
{
    const int padding = int(flash::FileSource::kChunkSize) * 3;
    control.setMovie(writeMovie(QStringLiteral("big.swf"), 9, swf::Compression::None, padding));
    loadFully(writeMovie(QStringLiteral("small.swf"), 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(control.player().frameCount(), 2);
    EXPECT_FALSE(control.isLoading());
}

TEST_F(ShockwaveFlashTest, WhatIsNotAMovieLeavesTheControlEmpty)
{
    QFile text(dir.filePath(QStringLiteral("text.swf")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello, this is no movie");
    text.close();
    control.resize(300, 200);
    struct Case {
        QString path;
        const char* says;
    };
    for (const Case& c : {Case {text.fileName(), "not a Flash movie"}, Case {dir.filePath(QStringLiteral("missing.swf")), ""},
                          Case {dir.path(), ""}}) {
        loadFully(c.path);
        EXPECT_FALSE(control.player().hasMovie()) << c.path.toStdString();
        EXPECT_EQ(control.CurrentFrame(), 0);
        // The stage says why, in words.
        EXPECT_TRUE(control.problem().contains(QLatin1String(c.says))) << control.problem().toStdString();
        EXPECT_FALSE(control.problem().isEmpty()) << c.path.toStdString();
        const QImage shown = control.grab().toImage();
        int ink = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                ink += shown.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(ink, 50) << "the reason is written on the stage";
    }
    control.setMovie(QString());
    EXPECT_FALSE(control.player().hasMovie());
    EXPECT_TRUE(control.problem().isEmpty());
}

TEST_F(ShockwaveFlashTest, StageIsPaintedInTheMovieColourThenInTheChosenOne)
{
    control.resize(200, 50); // wider than the 4:3 stage: bars left and right
    loadFully(writeMovie(QStringLiteral("colour.swf"), 1));
    EXPECT_EQ(pixelAt(100, 25), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(pixelAt(2, 2), QColor(0x10, 0x20, 0x30));

    const qint32 chosen = 0x00563412; // red 0x12, green 0x34, blue 0x56
    control.setBackgroundColor(chosen);
    EXPECT_EQ(pixelAt(100, 25), QColor(0x12, 0x34, 0x56));
    // The chosen colour holds for the next movie too.
    loadFully(writeMovie(QStringLiteral("next.swf"), 1));
    EXPECT_EQ(pixelAt(100, 25), QColor(0x12, 0x34, 0x56));
}

// A one-frame main timeline holding a sprite that moves its shape on each
// of its own two frames: the root never changes frame, the stage does.
TEST_F(ShockwaveFlashTest, RepaintsWhenOnlyASpriteMovesAndOnlyThen)
{
    control.resize(400, 300);
    control.show();
    loadFully(writeBytes(QStringLiteral("sprite.swf"), swftest::spriteMovingInAStillMovie(24)));

    swftest::PaintCounter counter;
    control.installEventFilter(&counter);
    const auto step = [&] {
        control.advanceFrame();
        ASSERT_TRUE(control.waitForFrame());
        QCoreApplication::processEvents();
    };
    ASSERT_TRUE(control.waitForFrame());
    QCoreApplication::processEvents();
    counter.paints = 0;
    counter.painted = {};
    for (int i = 0; i < 4; ++i)
        step();
    EXPECT_EQ(control.CurrentFrame(), 0);
    EXPECT_EQ(counter.paints, 4) << "every step of the sprite shows";
    const QRect painted = counter.painted.boundingRect();
    EXPECT_LT(painted.width() * painted.height(), control.width() * control.height() / 2) << "only where the sprite went";

    // A still stage costs no painting.
    loadFully(writeMovie(QStringLiteral("still.swf"), 1));
    ASSERT_TRUE(control.waitForFrame());
    QCoreApplication::processEvents();
    counter.paints = 0;
    for (int i = 0; i < 4; ++i)
        step();
    EXPECT_EQ(counter.paints, 0);
}

// Frames that take seconds to draw: the control keeps answering the
// pointer and the keyboard, shows the last finished frame meanwhile, and
// plays on by dropping frames instead of queueing them.
TEST_F(ShockwaveFlashTest, ASlowFrameNeverHoldsUpTheInterface)
{
    const auto drawn = std::make_shared<std::atomic<int>>(0);
    control.setFrameDraw([drawn](const swf::StageFrame& frame, QImage& target, const swf::RenderOptions& options) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        swf::Renderer().render(frame, target, options);
        ++*drawn;
    });
    control.resize(400, 300);
    control.show();
    loadFully(writeBytes(QStringLiteral("slow.swf"), swftest::spriteMovingInAStillMovie(30)));

    // The event loop's longest pause over three seconds of play, and the
    // time a right-click menu takes to show.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    probe.start(10);
    QTest::qWait(3000);
    EXPECT_LT(longest, 200);
    QElapsedTimer menuClock;
    menuClock.start();
    std::unique_ptr<QMenu> menu(control.buildContextMenu());
    menu->popup(control.mapToGlobal(QPoint(10, 10)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 200));
    EXPECT_LT(menuClock.elapsed(), 200);
    menu->close();
    EXPECT_GE(drawn->load(), 1) << "frames still come, one at a time";
    EXPECT_LE(drawn->load(), 3);
    EXPECT_GT(control.player().stage()->tickCount(), 60u) << "the movie plays on at its rate";
    control.setMovie(QString());
    EXPECT_TRUE(control.waitForFrame());
}

TEST_F(ShockwaveFlashTest, ReducedMenuOffersOnlyAbout)
{
    std::unique_ptr<QMenu> full(control.buildContextMenu());
    int entries = 0;
    for (QAction* action : full->actions())
        entries += action->isSeparator() ? 0 : 1;
    EXPECT_GT(entries, 4);

    control.setMenu(false);
    std::unique_ptr<QMenu> reduced(control.buildContextMenu());
    ASSERT_EQ(reduced->actions().size(), 1);
    EXPECT_TRUE(reduced->actions().first()->text().startsWith(QStringLiteral("About")));
}

TEST_F(ShockwaveFlashTest, SizeIsPlacedInTwips)
{
    control.setWidth(7005);
    control.setHeight(4515);
    EXPECT_EQ(control.size(), QSize(467, 301));
    EXPECT_FLOAT_EQ(control.Width(), 7005.0f);
}

namespace {

// A 400 x 300 stage in the stage colour with a red square of 100 pixels in
// its middle.
QString writeSquareMovie(const QTemporaryDir& dir)
{
    swftest::SwfWriter writer;
    writer.setFrameSize(400, 300).setFrameRate(24.0).setBackground({0x10, 0x20, 0x30});
    swftest::RectShape square;
    square.id = 1;
    square.width = square.height = 2000;
    writer.tag(32, swftest::defineShape3(square));
    swftest::Placement place;
    place.characterId = 1;
    place.matrix = swf::Matrix {1, 0, 0, 1, 3000, 2000};
    writer.tag(26, swftest::placeObject2(place)).showFrame();
    const std::vector<std::uint8_t> bytes = writer.build(swf::Compression::None);
    const QString path = dir.filePath(QStringLiteral("square.swf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

QAction* entry(QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

TEST_F(ShockwaveFlashTest, FullMenuZoomsAboutTheCentreAndShowAllGoesBack)
{
    control.resize(400, 300);
    loadFully(writeSquareMovie(dir));
    const QColor red(255, 0, 0);
    EXPECT_NE(pixelAt(140, 150), red); // left of the square
    EXPECT_EQ(pixelAt(200, 150), red);

    std::unique_ptr<QMenu> menu(control.buildContextMenu());
    for (const QString& text : {QStringLiteral("Play"), QStringLiteral("Loop"), QStringLiteral("Rewind"), QStringLiteral("Forward"),
                                QStringLiteral("Back"), QStringLiteral("Zoom In"), QStringLiteral("Zoom Out"), QStringLiteral("Show All"),
                                QStringLiteral("Print..."), QStringLiteral("About Tovimark Player...")})
        EXPECT_NE(entry(*menu, text), nullptr) << text.toStdString();
    EXPECT_FALSE(entry(*menu, QStringLiteral("Zoom Out"))->isEnabled());
    EXPECT_FALSE(entry(*menu, QStringLiteral("Show All"))->isEnabled());

    entry(*menu, QStringLiteral("Zoom In"))->trigger();
    EXPECT_EQ(control.zoom(), 2);
    EXPECT_EQ(pixelAt(140, 150), red); // the square now spans 100 to 300
    EXPECT_NE(pixelAt(90, 150), red);

    menu.reset(control.buildContextMenu());
    EXPECT_TRUE(entry(*menu, QStringLiteral("Zoom Out"))->isEnabled());
    entry(*menu, QStringLiteral("Zoom In"))->trigger();
    EXPECT_EQ(control.zoom(), 4);
    menu.reset(control.buildContextMenu());
    entry(*menu, QStringLiteral("Zoom Out"))->trigger();
    EXPECT_EQ(control.zoom(), 2);
    menu.reset(control.buildContextMenu());
    entry(*menu, QStringLiteral("Show All"))->trigger();
    EXPECT_EQ(control.zoom(), 1);
    EXPECT_NE(pixelAt(140, 150), red);

    // Zoom stops at its limit, and a new movie starts whole.
    for (int i = 0; i < 20; ++i)
        control.zoomIn();
    EXPECT_EQ(control.zoom(), flash::ShockwaveFlash::kMaxZoom);
    loadFully(writeSquareMovie(dir));
    EXPECT_EQ(control.zoom(), 1);
}

TEST_F(ShockwaveFlashTest, PrintHandsTheFrameToThePrinterAndTellsOfAFailure)
{
    fakes::FakePlatform desktop;
    control.setPlatform(desktop.platform);
    control.resize(200, 150);
    loadFully(writeSquareMovie(dir));

    control.print();
    ASSERT_EQ(desktop.printer.pages.size(), 1u);
    // Smaller on screen than its stage: printed at the stage's size.
    EXPECT_EQ(desktop.printer.pages[0].size(), QSize(400, 300));
    EXPECT_EQ(desktop.printer.pages[0].pixelColor(200, 150), QColor(255, 0, 0));
    EXPECT_EQ(desktop.printer.titles[0], control.Movie());
    EXPECT_TRUE(desktop.messageBox.shown.empty());

    desktop.printer.accept = false; // cancelled: nothing to tell
    control.print();
    EXPECT_TRUE(desktop.messageBox.shown.empty());

    desktop.printer.accept = true;
    desktop.printer.failure = QStringLiteral("The printer is out of paper.");
    control.print();
    ASSERT_EQ(desktop.messageBox.shown.size(), 1u);
    EXPECT_EQ(desktop.messageBox.shown[0].text, QStringLiteral("The printer is out of paper."));

    // Without a movie there is nothing to print.
    control.setMovie(QString());
    control.print();
    EXPECT_EQ(desktop.printer.pages.size(), 3u);
}

TEST_F(ShockwaveFlashTest, MuteAndVolumeFromTheMenuStayChosen)
{
    std::unique_ptr<QMenu> menu(control.buildContextMenu());
    ASSERT_NE(entry(*menu, QStringLiteral("Mute")), nullptr);
    entry(*menu, QStringLiteral("Mute"))->trigger();
    QAction* volume = entry(*menu, QStringLiteral("Volume"));
    ASSERT_TRUE(volume && volume->menu());
    entry(*volume->menu(), QStringLiteral("50%"))->trigger();

    std::unique_ptr<QMenu> again(control.buildContextMenu());
    EXPECT_TRUE(entry(*again, QStringLiteral("Mute"))->isChecked());
    EXPECT_TRUE(entry(*entry(*again, QStringLiteral("Volume"))->menu(), QStringLiteral("50%"))->isChecked());
    EXPECT_FALSE(entry(*entry(*again, QStringLiteral("Volume"))->menu(), QStringLiteral("100%"))->isChecked());
}

namespace {

// Time that moves only when the test says, readable from the drawing thread,
// which can wait on it.
class SteppedClock final : public swf::Clock {
public:
    std::int64_t nanoseconds() const override
    {
        const std::lock_guard lock(m_lock);
        return m_now;
    }
    void advanceTo(std::int64_t now)
    {
        {
            const std::lock_guard lock(m_lock);
            m_now = now;
        }
        m_moved.notify_all();
    }
    // Until the clock reaches `until` or release() is called.
    void waitUntil(std::int64_t until) const
    {
        std::unique_lock lock(m_lock);
        m_moved.wait(lock, [&] { return m_now >= until || m_released; });
    }
    void release()
    {
        {
            const std::lock_guard lock(m_lock);
            m_released = true;
        }
        m_moved.notify_all();
    }

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_moved;
    std::int64_t m_now = 0;
    bool m_released = false;
};

constexpr std::int64_t kSecond = 1'000'000'000;

// The source samples of the stream below: never silent, and no two
// neighbours alike, so a gap or a skip shows.
std::int16_t streamSample(std::uint64_t index)
{
    return std::int16_t(1000 + index * 7919 % 20000);
}

// A sound card that has heard, at any moment, as much of the mix as the
// clock says, checking it against the stream as it goes: the stream must
// come whole and in order, with no silence inside it.
class PacedSink final : public flash::AudioSink {
public:
    static constexpr int kOutputPerSource = 8; // 44.1 kHz over 5.5 kHz

    bool start(Pull pull) override
    {
        m_pull = std::move(pull);
        return true;
    }
    void stop() override { m_pull = nullptr; }

    void hearUntil(std::int64_t now)
    {
        const auto due = std::uint64_t(now / 1000 * swf::Player::kAudioRate / 1'000'000);
        while (m_pull && m_heard < due) {
            m_buffer.resize(std::size_t(std::min<std::uint64_t>(due - m_heard, 4096)) * 2);
            m_pull(m_buffer);
            for (std::size_t i = 0; i < m_buffer.size(); i += 2, ++m_heard) {
                if (m_buffer[i] == 0 && m_buffer[i + 1] == 0) {
                    m_inGap = m_streamFrames > 0;
                    continue;
                }
                gaps += m_inGap ? 1 : 0;
                m_inGap = false;
                const std::int16_t expected = streamSample(m_streamFrames / kOutputPerSource);
                wrong += (m_buffer[i] != expected || m_buffer[i + 1] != expected) ? 1 : 0;
                ++m_streamFrames;
                lastHeard = m_heard;
            }
        }
    }
    std::uint64_t streamFrames() const { return m_streamFrames; }

    std::uint64_t gaps = 0;
    std::uint64_t wrong = 0;
    std::uint64_t lastHeard = 0; // output frame of the stream's last sample

private:
    Pull m_pull;
    std::vector<std::int16_t> m_buffer;
    std::uint64_t m_heard = 0;
    std::uint64_t m_streamFrames = 0;
    bool m_inGap = false;
};

} // namespace

// Five minutes of stream sound, a block a frame, on a machine that takes a
// frame and a half to draw each frame: the sound sets the pace, frames that
// cannot be drawn in time are dropped, every sample is heard in order with
// no gap, and the last frame comes with its own block of sound.
TEST_F(ShockwaveFlashTest, AMoviesPrintJobGoesToThePrinterWithTheMovieHeldStill)
{
    using A = swftest::ActionCode;
    fakes::FakePlatform desktop;
    control.setPlatform(desktop.platform);
    SteppedClock clock;
    control.setClock(clock);
    int frameWhileAsking = -1;
    desktop.printer.whileAsking = [&] {
        // The dialog's event loop lets the frame clock fire, long after.
        clock.advanceTo(std::int64_t(10) * 1'000'000'000);
        control.runFrameClock();
        frameWhileAsking = control.CurrentFrame();
    };
    std::string traced;
    control.setTraceOutput([&](std::string_view line) { traced.append(line).append("\n"); });

    // Prints the stage's top left quarter, then the whole stage.
    swftest::ActionWriter script;
    script.push("pj", 0, "PrintJob").op(A::NewObject).op(A::SetVariable);
    script.push(0, "pj").op(A::GetVariable).push("start").op(A::CallMethod).op(A::Trace);
    script.push("xMin", 0, "xMax", 200, "yMin", 0, "yMax", 150, 4).op(A::InitObject).push(0);
    script.push(2, "pj").op(A::GetVariable).push("addPage").op(A::CallMethod).op(A::Trace);
    script.push(0, 1, "pj").op(A::GetVariable).push("addPage").op(A::CallMethod).op(A::Trace);
    script.push(0, "pj").op(A::GetVariable).push("send").op(A::CallMethod).op(A::Pop);
    swftest::SwfWriter writer;
    writer.setFrameSize(400, 300).setFrameRate(24.0).setBackground({0x10, 0x20, 0x30});
    writer.tag(32, swftest::defineShape3({1, 2000, 2000}));
    writer.tag(26, swftest::placeObject2({1, 1, swf::Matrix {1, 0, 0, 1, 3000, 2000}}));
    writer.tag(+swf::TagCode::DoAction, script.build()).showFrame().showFrame().showFrame();
    loadFully(writeBytes(QStringLiteral("print.swf"), writer.build()));

    EXPECT_EQ(traced, "true\ntrue\ntrue\n");
    EXPECT_EQ(frameWhileAsking, 0);
    ASSERT_EQ(desktop.printer.jobs.size(), 1u);
    const fakes::FakePrinter::Job& job = *desktop.printer.jobs[0];
    EXPECT_TRUE(job.sent);
    EXPECT_EQ(job.title, control.Movie());
    ASSERT_EQ(job.pages.size(), 2u);
    EXPECT_EQ(job.sizes[0], QSizeF(200, 150));
    EXPECT_EQ(job.sizes[1], QSizeF(400, 300));
    const auto colorAt = [&](int page, double x, double y) {
        const double scale = job.pages[page].width() / job.sizes[page].width();
        return job.pages[page].pixelColor(int(x * scale), int(y * scale));
    };
    EXPECT_EQ(colorAt(0, 175, 125), QColor(Qt::red));
    EXPECT_EQ(colorAt(0, 100, 50), QColor(Qt::white));
    EXPECT_EQ(colorAt(1, 249, 199), QColor(Qt::red));
    EXPECT_EQ(colorAt(1, 300, 250), QColor(Qt::white));

    // Cancelled: nothing is added, and there is nothing to tell.
    desktop.printer.whileAsking = nullptr;
    desktop.printer.accept = false;
    traced.clear();
    loadFully(writeBytes(QStringLiteral("print2.swf"), writer.build()));
    EXPECT_EQ(traced, "false\nfalse\nfalse\n");
    EXPECT_EQ(desktop.printer.jobs.size(), 1u);
    EXPECT_TRUE(desktop.messageBox.shown.empty());
}

TEST_F(ShockwaveFlashTest, StreamSoundLeadsASlowPictureToTheEnd)
{
    constexpr int kFrameRate = 12;
    constexpr int kFrames = 5 * 60 * kFrameRate;
    constexpr std::int64_t kInterval = kSecond / kFrameRate;
    // 5,512.5 Hz, the stream's rate, over frames: whole samples a block, the
    // odd ones spread as an encoder spreads them.
    const auto sourceBefore = [](std::uint64_t frame) { return frame * 11'025 / (2 * kFrameRate); };

    swftest::SwfWriter writer;
    writer.setFrameSize(100, 100).setFrameRate(kFrameRate);
    constexpr std::uint8_t kPcm55Mono16 = 0x32; // little-endian PCM, 5.5 kHz, 16-bit, mono
    std::vector<std::uint8_t> head = {kPcm55Mono16, kPcm55Mono16};
    const std::uint64_t perBlock = sourceBefore(1);
    head.push_back(std::uint8_t(perBlock));
    head.push_back(std::uint8_t(perBlock >> 8));
    writer.tag(+swf::TagCode::SoundStreamHead2, head);
    std::vector<std::uint8_t> block;
    for (std::uint64_t frame = 0; frame < kFrames; ++frame) {
        block.clear();
        for (std::uint64_t i = sourceBefore(frame); i < sourceBefore(frame + 1); ++i) {
            const auto sample = std::uint16_t(streamSample(i));
            block.push_back(std::uint8_t(sample));
            block.push_back(std::uint8_t(sample >> 8));
        }
        writer.tag(+swf::TagCode::SoundStreamBlock, block).showFrame();
    }

    SteppedClock clock;
    control.setClock(clock);
    auto owned = std::make_unique<PacedSink>();
    PacedSink& sink = *owned;
    control.setAudioSink(std::move(owned));
    const auto drawn = std::make_shared<std::atomic<int>>(0);
    control.setFrameDraw([&clock, drawn](const swf::StageFrame&, QImage& target, const swf::RenderOptions&) {
        clock.waitUntil(clock.nanoseconds() + kInterval * 3 / 2);
        target.fill(Qt::white);
        ++*drawn;
    });
    control.resize(100, 100);
    control.setLoop(false);
    loadFully(writeBytes(QStringLiteral("stream.swf"), writer.build()));
    ASSERT_EQ(control.player().frameCount(), kFrames);

    // The frame clock's timer fires as each frame falls due, and the card
    // hears in between, a millisecond at a time.
    std::optional<std::int64_t> lastFrameAt;
    for (std::int64_t now = 0; now < (kFrames + kFrameRate) * kInterval; now += kSecond / 1000) {
        clock.advanceTo(now);
        sink.hearUntil(now);
        if (now / kInterval != (now - kSecond / 1000) / kInterval)
            control.runFrameClock();
        if (!lastFrameAt && control.CurrentFrame() == kFrames - 1)
            lastFrameAt = now;
    }
    clock.release();
    ASSERT_TRUE(control.waitForFrame());

    EXPECT_EQ(sink.streamFrames(), sourceBefore(kFrames) * PacedSink::kOutputPerSource);
    EXPECT_EQ(sink.gaps, 0u);
    EXPECT_EQ(sink.wrong, 0u);
    ASSERT_TRUE(lastFrameAt);
    // The last frame shows as its own block starts to be heard, give or
    // take a frame.
    const std::int64_t lastBlockHeardAt = std::int64_t(sink.lastHeard + 1 - (sourceBefore(kFrames) - sourceBefore(kFrames - 1)) * 8)
        * kSecond / swf::Player::kAudioRate;
    EXPECT_LE(std::abs(*lastFrameAt - lastBlockHeardAt), kInterval) << *lastFrameAt << " " << lastBlockHeardAt;
    EXPECT_LT(drawn->load(), kFrames * 3 / 4) << "frames are dropped";
    EXPECT_GT(drawn->load(), 0) << "but frames are drawn";
}
