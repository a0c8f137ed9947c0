// One owner for every kind of handle the program acquires (a key, a device set, an event,
// a printer, a process, a buffer). A traits class says what the handle's type is, which
// value means "none" and how a handle is released:
//
//   struct Traits {
//       using handle_type = ...;
//       static handle_type GetInvalid();
//       static bool IsValid(handle_type h);
//       static void Close(handle_type h);
//   };
//
// The owner releases a valid handle exactly once, when it ends or is given another one,
// and never one that IsValid() rejects.
#pragma once

#include <utility>

namespace platform {

template <class Traits>
class ScopedHandle {
public:
    using handle_type = typename Traits::handle_type;

    ScopedHandle() : handle_(Traits::GetInvalid()) {}
    explicit ScopedHandle(handle_type handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.take()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.take());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    // Releases the handle held so far and takes ownership of `handle`.
    void reset(handle_type handle = Traits::GetInvalid()) {
        if (handle == handle_) return;
        Close();
        handle_ = handle;
    }

    // Gives up ownership without releasing; the caller now owns the handle.
    handle_type take() { return std::exchange(handle_, Traits::GetInvalid()); }

    handle_type get() const { return handle_; }
    bool IsValid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }

private:
    void Close() {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = Traits::GetInvalid();
    }

    handle_type handle_;
};

}  // namespace platform
