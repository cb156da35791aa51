// ByteQueue against a reference FIFO under a seeded mix of operations.
#include "link/byte_queue.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

namespace cs::test {
namespace {

TEST(ByteQueue, BehavesAsAFifoUnderRandomOperations) {
    cs::link::ByteQueue buffer(16);
    std::deque<std::uint8_t> model;
    std::mt19937 rng(12345);
    std::uint8_t next = 0;
    for (int step = 0; step < 20000; ++step) {
        const int op = static_cast<int>(rng() % 5);
        const std::size_t n = rng() % 300;
        std::vector<std::uint8_t> tmp(n);
        switch (op) {
        case 0:
        case 1:
            for (auto& b : tmp) b = next++;
            buffer.append(tmp);
            model.insert(model.end(), tmp.begin(), tmp.end());
            break;
        case 2: {
            const std::size_t got = buffer.take(tmp);
            ASSERT_EQ(got, std::min(n, model.size()));
            for (std::size_t i = 0; i < got; ++i, model.pop_front())
                ASSERT_EQ(tmp[i], model.front());
            break;
        }
        case 3: {
            const std::size_t got = buffer.peek(tmp);
            ASSERT_EQ(got, std::min(n, model.size()));
            for (std::size_t i = 0; i < got; ++i)
                ASSERT_EQ(tmp[i], model[i]);
            break;
        }
        case 4:
            buffer.drop(n);
            model.erase(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(std::min(n, model.size())));
            break;
        }
        ASSERT_EQ(buffer.size(), model.size());
        const auto data = buffer.data();
        ASSERT_TRUE(std::equal(data.begin(), data.end(), model.begin(), model.end()));
    }
    buffer.clear();
    EXPECT_TRUE(buffer.empty());
}

} // namespace
} // namespace cs::test
