// TVaCommBuffer against a reference FIFO under a seeded mix of operations.
#include "link/comm_buffer.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

namespace cs::test {
namespace {

TEST(CommBuffer, BehavesAsAFifoUnderRandomOperations) {
    cs::link::TVaCommBuffer buffer(16);
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
            buffer.Write(tmp);
            model.insert(model.end(), tmp.begin(), tmp.end());
            break;
        case 2: {
            const std::size_t got = buffer.Read(tmp);
            ASSERT_EQ(got, std::min(n, model.size()));
            for (std::size_t i = 0; i < got; ++i, model.pop_front())
                ASSERT_EQ(tmp[i], model.front());
            break;
        }
        case 3: {
            const std::size_t got = buffer.Peek(tmp);
            ASSERT_EQ(got, std::min(n, model.size()));
            for (std::size_t i = 0; i < got; ++i)
                ASSERT_EQ(tmp[i], model[i]);
            break;
        }
        case 4:
            buffer.Remove(n);
            model.erase(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(std::min(n, model.size())));
            break;
        }
        ASSERT_EQ(buffer.Size(), model.size());
        const auto data = buffer.Data();
        ASSERT_TRUE(std::equal(data.begin(), data.end(), model.begin(), model.end()));
    }
    buffer.Clear();
    EXPECT_TRUE(buffer.Empty());
}

} // namespace
} // namespace cs::test
