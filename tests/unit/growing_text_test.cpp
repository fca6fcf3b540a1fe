// Asking again with a bigger buffer: cut texts, sizes asked for, failures, and a bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "win/growing_text.h"

namespace {

TEST(GrowingText, AsksAgainUntilTheTextSurelyFitted) {
    // Call k writes min(result, capacity - 1) copies of 'a' + k, so the text shows which call it came from.
    struct {
        std::vector<long> results;
        std::vector<std::size_t> capacities;
        std::size_t length;
    } const cases[] = {
        {{128, 256, 7}, {128, 256, 512}, 7},  // cut twice, then whole
        {{127, 5}, {128, 256}, 5},            // filled to the last place: may have been cut
        {{126}, {128}, 126},                  // fitted with room to spare
        {{1000, 999}, {128, 1001}, 999},      // the size needed, asked for at once
        {{5}, {128}, 5},
        {{0}, {128}, 0},   // failed
        {{-1}, {128}, 0},  // a misbehaving callee
    };
    for (const auto& c : cases) {
        std::vector<std::size_t> capacities;
        const std::wstring text = win::GrowingText([&](wchar_t* buffer, std::size_t capacity) {
            const long result = c.results.at(capacities.size());
            const auto n = std::min<std::size_t>(static_cast<std::size_t>(std::max(result, 0L)), capacity - 1);
            std::fill(buffer, buffer + n, static_cast<wchar_t>(L'a' + capacities.size()));
            buffer[n] = L'\0';
            capacities.push_back(capacity);
            return result;
        });
        EXPECT_EQ(capacities, c.capacities) << c.results.front();
        const wchar_t letter = static_cast<wchar_t>(L'a' + capacities.size() - 1);
        EXPECT_EQ(text, std::wstring(c.length, letter)) << c.results.front();
    }

    // A callee that never fits stops at the limit, with nothing.
    std::size_t last = 0;
    const std::wstring endless = win::GrowingText([&](wchar_t*, std::size_t capacity) {
        last = capacity;
        return static_cast<long>(capacity);
    });
    EXPECT_EQ(endless, L"");
    EXPECT_EQ(last, 65536u);
}

}  // namespace
