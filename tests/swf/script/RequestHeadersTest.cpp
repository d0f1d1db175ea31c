// Which of a movie's own headers may go out with its loads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/script/RequestHeaders.h"

namespace {

using swf::script::RequestHeader;

TEST(RequestHeaders, OnlyPlainHeadersTheNetworkDoesNotOwnGoOut)
{
    const struct Case {
        std::string name;
        std::string value;
        bool sent;
    } cases[] {
        {"X-Custom", "yes", true},
        {"Referer", "http://example.com/", true},
        {"Content-Type", "text/xml", true},
        {"X-Tabbed", "a\tb", true},
        {"X-Empty", "", true},
        {"content-LENGTH", "5", false},
        {"Host", "example.com", false},
        {"X-Flash-Version", "9,0", false},
        {"te", "trailers", false},
        {"X-Line", "a\r\nX-Injected: 1", false},
        {"X-Line", "a\nb", false},
        {"X-Line", "a\rb", false},
        {"X-Zero", std::string("a\0b", 3), false},
        {"X-Injected: 1\r\nX-Other", "b", false},
        {"X Spaced", "b", false},
        {"X:Colon", "b", false},
        {"", "b", false},
        {"X-Long", std::string(swf::script::kMaxRequestHeaderBytes, 'v'), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(swf::script::maySendHeader(c.name, c.value), c.sent) << c.name;
}

TEST(RequestHeaders, ALoadCarriesAtMostItsShareInTheMoviesOrder)
{
    std::vector<RequestHeader> asked {{"Connection", "close"}};
    for (int i = 0; i < 100; ++i)
        asked.push_back({"X-" + std::to_string(i), "v"});
    const std::vector<RequestHeader> sent = swf::script::sendableHeaders(asked);
    ASSERT_EQ(sent.size(), swf::script::kMaxRequestHeaders);
    EXPECT_EQ(sent.front().name, "X-0");
    EXPECT_EQ(sent.back().name, "X-" + std::to_string(swf::script::kMaxRequestHeaders - 1));
}

TEST(RequestHeaders, APostIsFormEncodedUnlessTheMovieSaysOtherwise)
{
    EXPECT_EQ(swf::script::sendableContentType("text/xml"), "text/xml");
    for (const char* refused : {"", "text/xml\r\nX-Injected: 1"})
        EXPECT_EQ(swf::script::sendableContentType(refused), "application/x-www-form-urlencoded") << refused;
}

} // namespace
