// strings_test.cpp: the filler of the message patterns: "%s" and "%d" in order, everything else as it stands.
#include "common/ui/strings.h"

#include <gtest/gtest.h>

using lt::ui::fillIn;

TEST(FillIn, putsEachTextInTheNextPlaceAndLeavesTheRestOfThePatternAlone) {
    struct Case { const char* pattern; std::initializer_list<std::string_view> texts; const char* filled; };
    const Case cases[] = {
        {"%d Devices specified, but %d Devices found.", {"4", "5"}, "4 Devices specified, but 5 Devices found."},
        {"addresses %s to %s in %s !!", {"a", "b", "C:\\w\\E.ini"}, "addresses a to b in C:\\w\\E.ini !!"},
        {"more places %s %s than texts", {"one"}, "more places one %s than texts"},
        {"(bench file %s)", {"/tmp/100% sure %s %d.txt"}, "(bench file /tmp/100% sure %s %d.txt)"},
        {"other conversions %x %u %% and a % at the end %", {"unused"}, "other conversions %x %u %% and a % at the end %"},
        {"no places", {"unused"}, "no places"},
        {"", {"unused"}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fillIn(c.pattern, c.texts), c.filled) << c.pattern;
}
