// The error code of a Windows call, taken into its platform::Result at once: nothing may
// run between the call and the read of the thread's last error.
#pragma once

#include <windows.h>

#include "platform/result.h"

namespace platform {

// For a call that sets the last error when it fails: the code is read only then.
template <class T>
Result<T> WithLastError(T value) {
    Result<T> result{value};
    if (!result.ok()) result.error = ::GetLastError();
    return result;
}

// For a call that reports a code with its success too (CreateMutexW, CreateFileW with
// OPEN_ALWAYS give ERROR_ALREADY_EXISTS for an object that was there) but promises
// nothing otherwise: the last error is cleared before the call and read after it.
template <class T, class Call>
Result<T> WithReportedError(Call call) {
    ::SetLastError(ERROR_SUCCESS);
    T value = call();
    return Result<T>{value, ::GetLastError()};
}

// A call whose library or entry point could not be had.
template <class T>
Result<T> ProcNotFound() {
    return Result<T>{T{}, ERROR_PROC_NOT_FOUND};
}

}  // namespace platform
