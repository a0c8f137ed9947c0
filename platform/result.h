// The result of a call: the value it returned and the error code it reported, taken
// where the call was made. The Windows forwarders read the thread's last error right
// after the call, before anything else can change it, so that a caller never reads the
// code of some other call made in between (a sizing call, the release of a library).
// Engine operations that only say whether they worked, and why not, give a Result<bool>.
#pragma once

#include <type_traits>

#include "platform/types.h"

namespace platform {

template <class T>
struct Result {
    T value{};
    // Why the call failed; after a success 0, or the code the call reports with its
    // success (ERROR_ALREADY_EXISTS for a mutex or a file that was there).
    Dword error = 0;

    // Whether the call worked, read from its value as the Windows calls give it: zero,
    // a null or invalid handle, or no value at all means it failed.
    bool ok() const {
        if constexpr (std::is_same_v<T, Handle>) {
            return IsOpenHandle(value);
        } else if constexpr (requires { value.has_value(); }) {
            return value.has_value();
        } else {
            return value != T{};
        }
    }
};

// Whether an operation worked, and if not why.
using Outcome = Result<bool>;

template <class T>
Outcome OutcomeOf(const Result<T>& result) {
    return Outcome{result.ok(), result.error};
}

}  // namespace platform
