// training_mark_test.cpp: the training mark in the templates of the station's, the tester's and the EEPROM viewer's windows: hidden, one line, and in a place of its own.
#include <gtest/gtest.h>

#include "tests/fakes/rc_file.h"

using namespace lt::test;

namespace {

constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kSsCenterImage = 0x200;  // one line, centred in its height
constexpr uint32_t kSsPathEllipsis = 0x8000;

bool overlap(const RcControl& a, const RcControl& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

TEST(TrainingMark, eachMainWindowHoldsItHiddenOnOneLineInsideTheWindowAndOverlappingNoOtherControl) {
    struct Case { const char* script; const char* dialog; };
    const Case cases[] = {
        {"progstation.rc", "IDD_PROGSTATION"},
        {"ethtester.rc", "IDD_ETHTESTER_MAIN"},
        {"ethtester.rc", "IDD_EEPROM_DETAILS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " " + c.dialog);
        const RcFile& rc = programResources(c.script);
        const auto dialogId = rc.define(c.dialog);
        const auto markId = rc.define("IDC_TRAINING_MARK");
        ASSERT_TRUE(dialogId && markId);
        const RcDialog* d = rc.dialog(static_cast<int>(*dialogId));
        ASSERT_NE(d, nullptr);
        const RcControl* mark = d->control(static_cast<int>(*markId));
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->kind, ControlKind::Static);
        EXPECT_EQ(mark->text, "");
        EXPECT_EQ(mark->style & kWsVisible, 0u) << "shown only by the training build";
        EXPECT_EQ(mark->style & (kSsCenterImage | kSsPathEllipsis), kSsCenterImage | kSsPathEllipsis)
            << "a long bench path is shortened, never wrapped";
        EXPECT_GE(mark->height, 10) << "room for one line of the dialog's font";
        EXPECT_GE(mark->x, 0);
        EXPECT_LE(mark->x + mark->width, d->width);
        EXPECT_LE(mark->y + mark->height, d->height);
        for (const RcControl& other : d->controls) {
            if (&other == mark) continue;
            EXPECT_FALSE(overlap(*mark, other)) << "covers control " << other.id << " \"" << other.text << "\"";
        }
    }
}
