// Move-only owners of system handles: each closes its handle once. Copying one
// would close it twice.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// `Close` closes a handle; a Close with a static Invalid() names the value
// that stands for "no handle" where it is not null (INVALID_HANDLE_VALUE for
// files, as wil's unique_hfile has it).
template <class Handle, class Close>
class Owned {
public:
    static Handle Invalid() noexcept {
        if constexpr (requires { Close::Invalid(); })
            return Close::Invalid();
        else
            return Handle{};
    }

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
    explicit operator bool() const noexcept { return handle_ != Invalid(); }
    Handle release() noexcept { return std::exchange(handle_, Invalid()); }
    void reset(Handle handle = Invalid()) noexcept {
        if (handle_ != Invalid()) Close{}(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Invalid();
};

struct Unhook {
    void operator()(HHOOK hook) const noexcept { ::UnhookWindowsHookEx(hook); }
};
using Hook = Owned<HHOOK, Unhook>;

struct CloseFile {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE file) const noexcept { ::CloseHandle(file); }
};
// A file handle from CreateFileW, which reports failure as INVALID_HANDLE_VALUE.
using File = Owned<HANDLE, CloseFile>;

}  // namespace win
