// Platform-neutral spellings of the Windows types that cross the seam. Text is UTF-16
// (char16_t), which is wchar_t's layout on Windows.
#pragma once

#include <cstdint>

namespace platform {

using Dword = std::uint32_t;
using Bool = std::int32_t;
using Handle = void*;
// A registry key or a library module; opaque to the logic.
using Key = void*;

inline Handle const kInvalidHandle = reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1));

// Whether a handle or key refers to an object. Calls differ in how they say "none": some
// give a null handle, others kInvalidHandle, so neither counts as open.
inline bool IsOpenHandle(Handle h) {
    return h != nullptr && h != kInvalidHandle;
}

// Error codes the logic tests for.
constexpr Dword kErrorFileNotFound = 2;
constexpr Dword kErrorPathNotFound = 3;
constexpr Dword kErrorAccessDenied = 5;
constexpr Dword kErrorInvalidHandle = 6;
constexpr Dword kErrorNotEnoughMemory = 8;
constexpr Dword kErrorNotSupported = 50;
constexpr Dword kErrorInsufficientBuffer = 122;
constexpr Dword kErrorProcNotFound = 127;
constexpr Dword kErrorAlreadyExists = 183;
constexpr Dword kErrorMoreData = 234;
constexpr Dword kErrorNoMoreItems = 259;
constexpr Dword kErrorIoPending = 997;

}  // namespace platform
