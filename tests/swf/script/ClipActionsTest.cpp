#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/script/ClipActions.h"

using swf::script::readClipActions;

// Handler records as movies carry them, whole and broken: what is read
// stops at the first thing that does not fit, and says so.
TEST(ClipActions, ReadsWholeRecordsAndStopsCleanlyAtBrokenOnes)
{
    struct Case {
        const char* name;
        int version;
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint32_t> events; // of each handler read
        std::vector<std::size_t> sizes;
        bool problem;
        std::uint8_t key = 0; // of the first handler
    };
    const std::vector<Case> cases {
        {"two handlers, wide flags", 6,
         {0, 0, 3, 0, 0, 0, /**/ 1, 0, 0, 0, 2, 0, 0, 0, 7, 0, /**/ 2, 0, 0, 0, 1, 0, 0, 0, 0, /**/ 0, 0, 0, 0},
         {1, 2}, {2, 1}, false},
        {"narrow flags before version 6", 5, {0, 0, 4, 0, /**/ 4, 0, 1, 0, 0, 0, 0, /**/ 0, 0}, {4}, {1}, false},
        {"key press handler skips its key", 6,
         {0, 0, 0, 0, 2, 0, /**/ 0, 0, 2, 0, 2, 0, 0, 0, 13, 0, /**/ 0, 0, 0, 0}, {1u << 17}, {1}, false, 13},
        {"size past the end", 6, {0, 0, 1, 0, 0, 0, /**/ 1, 0, 0, 0, 200, 0, 0, 0, 0}, {}, {}, true},
        {"no closing flags", 6, {0, 0, 1, 0, 0, 0, /**/ 1, 0, 0, 0, 1, 0, 0, 0, 0}, {1}, {1}, true},
        {"nothing at all", 6, {}, {}, {}, true},
    };
    for (const Case& c : cases) {
        std::string problem;
        const auto handlers = readClipActions(c.bytes, c.version, problem);
        ASSERT_EQ(handlers.size(), c.events.size()) << c.name;
        for (std::size_t i = 0; i < handlers.size(); ++i) {
            EXPECT_EQ(handlers[i].events, c.events[i]) << c.name;
            EXPECT_EQ(handlers[i].actions.size(), c.sizes[i]) << c.name;
        }
        EXPECT_EQ(!problem.empty(), c.problem) << c.name;
        if (!handlers.empty()) {
            EXPECT_EQ(handlers[0].key, c.key) << c.name;
        }
    }
}
