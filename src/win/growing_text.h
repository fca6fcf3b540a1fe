// Text from the many system calls that fill a caller's buffer and report a
// count: asked again with a bigger buffer until the text surely fitted.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

namespace win {

// `fill(buffer, capacity)` writes at most `capacity` characters, the
// terminator included, and returns a count. A count of capacity - 1 or more
// may be a cut text (GetKeyNameTextW, GetModuleFileNameW) or the size needed
// (GetFinalPathNameByHandleW, GetSystemDirectoryW), so the call is made again
// with a buffer twice as large, or as large as asked for. A count of 0 or less
// is a failure and gives an empty text, as does a text that outgrows `limit`.
template <class Fill>
std::wstring GrowingText(Fill&& fill, std::size_t first = 128, std::size_t limit = 65536) {
    std::wstring text;
    for (std::size_t capacity = first; capacity <= limit;) {
        text.assign(capacity, L'\0');
        const auto raw = fill(text.data(), capacity);
        static_assert(std::is_integral_v<std::remove_cvref_t<decltype(raw)>>, "fill must return a count");
        const long long count = static_cast<long long>(raw);
        if (count <= 0) return {};
        if (static_cast<unsigned long long>(count) + 1 < capacity) {
            text.resize(static_cast<std::size_t>(count));
            return text;
        }
        const std::size_t asked = static_cast<std::size_t>(count) + 1;
        capacity = asked > capacity * 2 ? asked : capacity * 2;
    }
    return {};
}

}  // namespace win
