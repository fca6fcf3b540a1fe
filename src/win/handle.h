// Move-only owners of system handles: each closes its handle once. Copying one
// would close it twice.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <class Handle, class Close>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(Handle handle) noexcept : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    Handle release() noexcept { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) noexcept {
        if (handle_) Close{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

struct Unhook {
    void operator()(HHOOK hook) const noexcept { ::UnhookWindowsHookEx(hook); }
};
using Hook = Owned<HHOOK, Unhook>;

}  // namespace win
