// Named mutexes (kernel32), for telling whether another instance of the program runs,
// and the private object namespace they are made in (kernel32, advapi32). Handles are
// released by this service, so that the portable stand-in can keep its own kind.
#pragma once

#include "platform/result.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

struct Mutexes {
    // As CreatePrivateNamespaceW for the alias, with a boundary descriptor of that name
    // (CreateBoundaryDescriptorW) that holds the Administrators group's SID
    // (AddSIDToBoundaryDescriptor), and a security descriptor granting the namespace to
    // Administrators and SYSTEM only: the namespace's handle, or null with the error;
    // ERROR_ALREADY_EXISTS when it is there. The caller must be within the boundary.
    // ERROR_PROC_NOT_FOUND where the system lacks any of the calls this and the two below
    // need (they are looked up at run time).
    virtual Result<Handle> CreatePrivateNamespaceW(const char16_t* boundary, const char16_t* alias) = 0;
    // As OpenPrivateNamespaceW with the same boundary descriptor.
    virtual Result<Handle> OpenPrivateNamespaceW(const char16_t* boundary, const char16_t* alias) = 0;
    // As ClosePrivateNamespace(handle, 0): the namespace goes with its last handle.
    virtual Result<Bool> ClosePrivateNamespace(Handle privateNamespace) = 0;

    // As CreateMutexW(attributes, FALSE, name), with a security descriptor that grants the
    // mutex to Administrators and SYSTEM only: a handle to a new mutex (error 0), or to
    // the one of that name that was there already (error ERROR_ALREADY_EXISTS); null,
    // with the error, on failure: ERROR_ACCESS_DENIED for one whose security denies this
    // caller, ERROR_INVALID_HANDLE for a name held by an object of another type.
    virtual Result<Handle> CreateMutexW(const char16_t* name) = 0;
    virtual Result<Bool> CloseHandle(Handle mutex) = 0;

protected:
    ~Mutexes() = default;
};

using MutexTraits = ServiceHandleTraits<Mutexes, &Mutexes::CloseHandle>;
using MutexHandle = ScopedHandle<MutexTraits>;
using PrivateNamespaceTraits = ServiceHandleTraits<Mutexes, &Mutexes::ClosePrivateNamespace>;
using PrivateNamespaceHandle = ScopedHandle<PrivateNamespaceTraits>;

}  // namespace platform
