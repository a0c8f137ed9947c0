// Message boxes for the user.
#pragma once

#include <atomic>

#include "platform/types.h"

namespace platform {

constexpr Dword kIconError = 0x10;        // MB_ICONERROR
constexpr Dword kIconWarning = 0x30;      // MB_ICONWARNING
constexpr Dword kIconInformation = 0x40;  // MB_ICONINFORMATION
constexpr int kIdOk = 1;            // IDOK

struct MessageBoxes {
    // Returns when the user has dismissed the box, with the button pressed.
    virtual int MessageBoxW(Handle owner, const char16_t* text, const char16_t* caption, Dword type) = 0;

protected:
    ~MessageBoxes() = default;
};

// The window that owns the boxes shown with no owner (the engine knows no window and names
// none): while the wizard runs, its frame, so that a box from a worker thread opens in
// front of the wizard and holds it instead of opening behind or apart from it. nullptr
// when there is none. The Windows forwarder honours it, and the engine gives it as the
// parent window of a system call that may show something (the plug-and-play update);
// any thread may read it.
namespace detail {
inline std::atomic<Handle> ownerForUnowned{nullptr};
}  // namespace detail

inline void SetOwnerForUnowned(Handle owner) { detail::ownerForUnowned.store(owner); }
inline Handle OwnerForUnowned() { return detail::ownerForUnowned.load(); }

}  // namespace platform
