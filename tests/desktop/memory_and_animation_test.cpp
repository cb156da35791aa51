// The about box's figures and its animation rule, without a window.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/about_animation.h"
#include "desktop/memory_status.h"
#include "fixtures/image_builder.h"

namespace cs::desktop {
namespace {

constexpr const char* kMeminfo =
    "MemTotal:         524288 kB\n"
    "MemFree:          100000 kB\n"
    "MemAvailable:     288358 kB\n"
    "Buffers:           10000 kB\n"
    "Cached:            50000 kB\n";

TEST(MemoryStatus, TotalAndLoadFromMeminfo) {
    const auto status = parseMeminfo(kMeminfo);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->totalKilobytes, 524288u);
    // (524288 - 288358) / 524288 = 45.0 %
    EXPECT_EQ(status->loadPercent, 45);
}

TEST(MemoryStatus, OlderKernelWithoutMemAvailableCountsFreeBuffersAndCache) {
    const auto status = parseMeminfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 150 kB\n");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->loadPercent, 70);
}

TEST(MemoryStatus, UnusableTextGivesNothing) {
    for (const char* text : {"", "MemTotal: 0 kB\nMemAvailable: 0 kB\n", "MemTotal: lots\n", "MemTotal: 100 kB\n",
                             "MemTotalX: 100 kB\nMemAvailable: 1 kB\n"})
        EXPECT_FALSE(parseMeminfo(text)) << text;
}

TEST(MemoryStatus, AvailableAboveTotalIsNoNegativeLoad) {
    const auto status = parseMeminfo("MemTotal: 1000 kB\nMemAvailable: 2000 kB\n");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->loadPercent, 0);
}

TEST(MemoryStatus, ReadsAFile) {
    fixtures::TempDir dir;
    const auto file = dir.path() / "meminfo";
    fixtures::writeFile(file, fixtures::ImageBytes(kMeminfo, kMeminfo + std::strlen(kMeminfo)));
    const auto status = readMemoryStatus(file);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->totalKilobytes, 524288u);
    EXPECT_FALSE(readMemoryStatus(dir.path() / "missing"));
}

TEST(MemoryTexts, GroupsOfThreeWithTheLocaleSeparator) {
    struct Case {
        std::uint64_t kb;
        const char* separator;
        const char* text;
    } cases[] = {
        {524288, ",", "524,288 KB"},
        {524288, ".", "524.288 KB"},
        {524288, "\xc2\xa0", "524\xc2\xa0" "288 KB"},  // a no-break space, as Polish and French group
        {16318464, ",", "16,318,464 KB"},
        {999, ",", "999 KB"},
        {1000, ",", "1,000 KB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kilobytesText(c.kb, c.separator), c.text);
    EXPECT_EQ(loadText(45), "45 %");
    EXPECT_EQ(loadText(100), "100 %");
}

TEST(AboutAnimation, MarksSeenAfterAboutTenSecondsOpen) {
    AboutAnimation a;
    a.shown();
    a.activated(false);
    int ticks = 0;
    bool seen = false;
    while (!seen && ticks < 1000) {
        seen = a.tick();
        ++ticks;
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(ticks, 334);  // -1000 + 3 * 334 = 2, the first positive count
    EXPECT_GT(ticks * AboutAnimation::kIntervalMs, 9900);
}

TEST(AboutAnimation, AlreadySeenStopsTheTimerOnActivation) {
    AboutAnimation a;
    a.shown();
    EXPECT_TRUE(a.running());
    a.activated(true);
    EXPECT_FALSE(a.running());
    EXPECT_FALSE(a.tick());
}

TEST(AboutAnimation, PressOnTheSpotStartsPressElsewhereRestartsReleaseStops) {
    AboutAnimation a;
    a.shown();
    a.activated(true);
    a.mousePressed(350, 10);
    EXPECT_TRUE(a.running());
    EXPECT_EQ(a.count(), AboutAnimation::kStartCount);  // the count goes on from where it was
    a.mouseReleased();
    EXPECT_FALSE(a.running());
    EXPECT_EQ(a.count(), 0);

    a.mousePressed(340, 2);
    EXPECT_TRUE(a.running());
    EXPECT_TRUE(a.tick());  // from 0 the first tick is positive
    a.mousePressed(361, 10);
    EXPECT_EQ(a.count(), 0);
    a.tick();
    a.mousePressed(350, 19);
    EXPECT_EQ(a.count(), 0);
}

} // namespace
} // namespace cs::desktop
