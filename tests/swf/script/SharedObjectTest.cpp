// Stored objects: what a movie keeps must come back as it left it, on a
// later run, and a damaged file must cost the movie its data, never the
// player.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "RunScript.h"
#include "swf/script/ArrayObject.h"
#include "swf/script/SharedObjectStore.h"
#include "swf/script/SolFormat.h"
#include "swf/script/classes/Builtins.h"

namespace {

using namespace swftest;
using namespace swf::script;
using A = ActionCode;

// The value at a dotted path below `root`, as text.
std::string textAt(Machine& m, Object* root, const std::string& path)
{
    Value at = Value::object(root);
    for (std::size_t from = 0; from <= path.size();) {
        const std::size_t dot = std::min(path.find('.', from), path.size());
        at = m.get(at, m.intern(path.substr(from, dot - from)));
        from = dot + 1;
    }
    return m.toStdString(at);
}

// A bit of everything a movie keeps, with one object reached twice and
// one that reaches itself.
Object* richData(Machine& m)
{
    Object* data = m.newObject();
    m.define(data, "n", Value::number(-1.5));
    m.define(data, "s", m.stringValue("h\xC3\xA9llo"));
    m.define(data, "b", Value::boolean(true));
    m.define(data, "nothing", Value::null());
    m.define(data, "gap", Value());
    m.define(data, "hidden", Value::number(1), PropertyFlag::DontEnum);
    ArrayObject* list = m.newArray({Value::number(1), m.stringValue("two")});
    m.define(list, "label", m.stringValue("scores"));
    m.define(data, "list", Value::object(list));
    Object* date = m.newObject(m.builtins().datePrototype);
    date->setKind(ObjectKind::Date);
    date->setPrimitive(Value::number(86'400'000));
    m.define(data, "when", Value::object(date));
    const Value xmlText = m.stringValue("<a b=\"1\">t</a>");
    m.define(data, "doc", m.construct(m.get(Value::object(m.global()), m.intern("XML")), std::span(&xmlText, 1)));
    Object* shared = m.newObject();
    m.define(shared, "self", Value::object(shared));
    m.define(data, "first", Value::object(shared));
    m.define(data, "second", Value::object(shared));
    m.define(data, "f", m.get(Value::object(m.global()), m.intern("trace")));
    return data;
}

TEST(SharedObject, WhatAMovieKeepsReadsBackAsItWasAndADamagedFileReadsAsNothing)
{
    ScriptRun writer;
    const auto bytes = encodeSol(*writer.machine, "game", richData(*writer.machine));
    ASSERT_TRUE(bytes);

    ScriptRun reader;
    Machine& m = *reader.machine;
    Object* data = m.newObject();
    ASSERT_TRUE(decodeSol(m, *bytes, data));
    const std::pair<const char*, const char*> expected[] = {
        {"n", "-1.5"}, {"s", "h\xC3\xA9llo"}, {"b", "true"}, {"nothing", "null"}, {"gap", "undefined"}, {"hidden", "undefined"},
        {"list.length", "2"}, {"list.1", "two"}, {"list.label", "scores"}, {"when", "Fri Jan 2 00:00:00 GMT+0000 1970"},
        {"doc", "<a b=\"1\">t</a>"}, {"doc.firstChild.attributes.b", "1"}, {"first.self.self.self", "[object Object]"}, {"f", "undefined"},
    };
    for (const auto& [path, text] : expected)
        EXPECT_EQ(textAt(m, data, path), text) << path;
    EXPECT_EQ(m.get(Value::object(data), m.intern("first")).objectOrNull(), m.get(Value::object(data), m.intern("second")).objectOrNull());

    // Every shorter file, cut anywhere, is refused whole.
    Object* kept = m.newObject();
    m.define(kept, "before", Value::number(1));
    for (std::size_t length = 0; length < bytes->size(); ++length) {
        ASSERT_FALSE(decodeSol(m, std::string_view(*bytes).substr(0, length), kept)) << length;
        ASSERT_EQ(kept->properties().size(), 1u) << length;
    }
    // A damaged byte anywhere either still reads or changes nothing.
    for (std::size_t at = 0; at < bytes->size(); ++at) {
        std::string damaged = *bytes;
        damaged[at] = char(damaged[at] ^ 0x5A);
        Object* target = m.newObject();
        m.define(target, "before", Value::number(1));
        if (!decodeSol(m, damaged, target)) {
            ASSERT_EQ(target->properties().size(), 1u) << at;
        }
    }
}

TEST(SharedObject, KeysFollowTheMovieAndRefuseWhatWouldLeaveIt)
{
    const std::string movie = "file:///home/ann/games/pong.swf";
    const struct {
        std::string url;
        std::string name;
        std::optional<std::string> localPath;
        std::optional<std::string> key;
    } cases[] = {
        {movie, "scores", {}, "localhost/home/ann/games/pong.swf/scores.sol"},
        {movie, "levels/one", {}, "localhost/home/ann/games/pong.swf/levels/one.sol"},
        {movie, "scores", "/", "localhost/scores.sol"},
        {movie, "scores", "/home/ann", "localhost/home/ann/scores.sol"},
        {"http://Example.com/a/b.swf", "x", {}, "example.com/a/b.swf/x.sol"},
        {movie, "scores", "/home/bob", {}},
        {movie, "../escape", {}, {}},
        {movie, "a/./b", {}, {}},
        {movie, "with space", {}, {}},
        {movie, "semi;colon", {}, {}},
        {movie, "", {}, {}},
        {movie, std::string(300, 'a'), {}, {}},
        {"", "scores", {}, {}},
    };
    for (const auto& c : cases) {
        const auto localPath = c.localPath ? std::optional<std::string_view>(*c.localPath) : std::nullopt;
        EXPECT_EQ(sharedObjectKey(c.url, c.name, localPath), c.key) << c.url << " " << c.name;
    }
}

// SharedObject.getLocal(name), left on the stack.
ActionWriter& getLocal(ActionWriter& w, const char* name)
{
    return w.push(name, 1, "SharedObject").op(A::GetVariable).push("getLocal").op(A::CallMethod);
}

TEST(SharedObject, ObjectsAreKeptInFilesAcrossRunsAndDamagedOnesAreSetAside)
{
    QTemporaryDir folder;
    SharedObjectStore store(folder.path().toStdString());
    const QString file = QDir(folder.path()).filePath(QStringLiteral("localhost/movies/game.swf/scores.sol"));

    {
        ScriptRun run;
        run.host.store = &store;
        ActionWriter w;
        w.push("so");
        getLocal(w, "scores").op(A::SetVariable);
        w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("best", 42).op(A::SetMember);
        w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("name", "ann").op(A::SetMember);
        w.push(0, "so").op(A::GetVariable).push("flush").op(A::CallMethod).op(A::Trace);
        getLocal(w, "scores").push("so").op(A::GetVariable).op(A::StrictEquals).op(A::Trace);
        // Not flushed: written as the movie ends.
        w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("late", 7).op(A::SetMember);
        EXPECT_EQ(run.run(w), "true\ntrue\n");
        storeSharedObjects(*run.machine);
    }
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::Files), QStringList {QStringLiteral("scores.sol")}) << "no temporary left";

    const auto readBack = [&] {
        ScriptRun run;
        run.host.store = &store;
        ActionWriter w;
        for (const char* field : {"best", "name", "late"})
            getLocal(w, "scores").push("data").op(A::GetMember).push(field).op(A::GetMember).op(A::Trace);
        const std::string traced = run.run(w);
        storeSharedObjects(*run.machine);
        return traced;
    };
    EXPECT_EQ(readBack(), "42\nann\n7\n");

    // A file cut short: the movie starts empty and the file is kept aside.
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.resize(damaged.size() - 3);
    damaged.close();
    EXPECT_EQ(readBack(), "undefined\nundefined\nundefined\n");
    EXPECT_TRUE(QFile::exists(file + QStringLiteral(".corrupt")));
    EXPECT_FALSE(QFile::exists(file)) << "an empty object stores nothing";
}

TEST(SharedObject, AMovieMayNotTakeMoreThanItsShareAndClearForgetsTheFile)
{
    SharedObjectStore store;
    ScriptRun run;
    run.host.store = &store;
    ActionWriter w;
    w.push("so");
    getLocal(w, "big").op(A::SetVariable);
    // A megabyte of text, doubled up from one character.
    w.push("t", "x").op(A::SetVariable);
    for (int i = 0; i < 20; ++i)
        w.push("t", "t").op(A::GetVariable).push("t").op(A::GetVariable).op(A::Add2).op(A::SetVariable);
    w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("text", "t").op(A::GetVariable).op(A::SetMember);
    w.push(0, "so").op(A::GetVariable).push("flush").op(A::CallMethod).op(A::Trace);
    w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("text", "short").op(A::SetMember);
    w.push(0, "so").op(A::GetVariable).push("flush").op(A::CallMethod).op(A::Trace);
    w.push(0, "so").op(A::GetVariable).push("clear").op(A::CallMethod).op(A::Pop);
    w.push("so").op(A::GetVariable).push("data").op(A::GetMember).push("text").op(A::GetMember).op(A::Trace);
    EXPECT_EQ(run.run(w), "false\ntrue\nundefined\n");
    EXPECT_FALSE(store.read("localhost/movies/game.swf/big.sol"));
}

} // namespace
