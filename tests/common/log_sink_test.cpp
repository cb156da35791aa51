// The memory log's change feed, which the log window follows from the window thread while other
// threads write.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/log_sink.h"

namespace cs {
namespace {

TEST(MemoryLogFeed, AReaderGetsOnlyWhatItHasNotSeenAndStartsOverAfterAClear) {
    MemoryLog log;
    log.write("one");
    auto u = log.linesSince(0, 0);
    EXPECT_FALSE(u.fromStart);
    EXPECT_EQ(u.lines, std::vector<std::string>{"one"});
    log.write("two");
    log.write("three");
    u = log.linesSince(u.clears, 1);
    EXPECT_EQ(u.lines, (std::vector<std::string>{"two", "three"}));
    log.clear();
    log.write("after");
    u = log.linesSince(u.clears, 3);
    EXPECT_TRUE(u.fromStart);
    EXPECT_EQ(u.lines, std::vector<std::string>{"after"});
}

TEST(MemoryLogFeed, TheListenerHearsEveryChangeFromAnyThreadUntilRemoved) {
    MemoryLog log;
    std::atomic<int> heard{0};
    log.setListener([&heard] { ++heard; });
    std::thread writer([&log] {
        for (int i = 0; i < 1000; ++i)
            log.write("line");
    });
    log.clear();
    writer.join();
    EXPECT_EQ(heard.load(), 1001);
    log.setListener(nullptr);
    log.write("unheard");
    EXPECT_EQ(heard.load(), 1001);
}

} // namespace
} // namespace cs
