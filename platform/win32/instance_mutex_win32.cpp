// Named mutexes and the private namespace they are made in: forwarders to kernel32 and
// advapi32. The namespace calls are looked up: Windows has them since Vista, Wine 8 lacks
// most of them (and its boundary descriptor is a stub), so the engine must be able to
// tell "missing" from "failed".
#include <windows.h>
// The header below builds on windows.h.
#include <sddl.h>

#include "platform/instance_mutex.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

// Administrators and SYSTEM get all access; nobody else any, and nothing is inherited.
const wchar_t kAdministratorsAndSystemOnly[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

struct NamespaceCalls {
    using CreateBoundaryDescriptorWFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
    using AddSidToBoundaryDescriptorFn = BOOL(WINAPI*)(HANDLE*, PSID);
    using DeleteBoundaryDescriptorFn = VOID(WINAPI*)(HANDLE);
    using CreatePrivateNamespaceWFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
    using OpenPrivateNamespaceWFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
    using ClosePrivateNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

    CreateBoundaryDescriptorWFn createBoundary = nullptr;
    AddSidToBoundaryDescriptorFn addSid = nullptr;
    DeleteBoundaryDescriptorFn deleteBoundary = nullptr;
    CreatePrivateNamespaceWFn create = nullptr;
    OpenPrivateNamespaceWFn open = nullptr;
    ClosePrivateNamespaceFn close = nullptr;

    bool Complete() const { return createBoundary && addSid && deleteBoundary && create && open && close; }

    static const NamespaceCalls& Get() {
        static const NamespaceCalls calls = Find();
        return calls;
    }

private:
    template <class F>
    static F Proc(HMODULE module, const char* name) {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                      : nullptr;
    }
    static NamespaceCalls Find() {
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        NamespaceCalls calls;
        calls.createBoundary = Proc<CreateBoundaryDescriptorWFn>(kernel, "CreateBoundaryDescriptorW");
        calls.addSid = Proc<AddSidToBoundaryDescriptorFn>(kernel, "AddSIDToBoundaryDescriptor");
        calls.deleteBoundary = Proc<DeleteBoundaryDescriptorFn>(kernel, "DeleteBoundaryDescriptor");
        calls.create = Proc<CreatePrivateNamespaceWFn>(kernel, "CreatePrivateNamespaceW");
        calls.open = Proc<OpenPrivateNamespaceWFn>(kernel, "OpenPrivateNamespaceW");
        calls.close = Proc<ClosePrivateNamespaceFn>(kernel, "ClosePrivateNamespace");
        return calls;
    }
};

struct LocalMemoryTraits {
    using handle_type = HLOCAL;
    static HLOCAL GetInvalid() { return nullptr; }
    static bool IsValid(HLOCAL p) { return p != nullptr; }
    static void Close(HLOCAL p) { ::LocalFree(p); }
};

struct BoundaryTraits {
    using handle_type = HANDLE;
    static HANDLE GetInvalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { NamespaceCalls::Get().deleteBoundary(h); }
};

// The security attributes of every object made here; its descriptor lives as long as it.
class AdministratorsAndSystemOnly {
public:
    Result<Bool> Make() {
        PSECURITY_DESCRIPTOR made = nullptr;
        Result<Bool> converted = WithLastError<Bool>(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kAdministratorsAndSystemOnly, SDDL_REVISION_1, &made, nullptr));
        descriptor_.reset(made);
        attributes_.lpSecurityDescriptor = made;
        return converted;
    }
    SECURITY_ATTRIBUTES* get() { return &attributes_; }

private:
    ScopedHandle<LocalMemoryTraits> descriptor_;
    SECURITY_ATTRIBUTES attributes_{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// The boundary descriptor that holds the Administrators group's SID.
Result<Handle> AdministratorsBoundary(const char16_t* name, ScopedHandle<BoundaryTraits>& boundary) {
    const NamespaceCalls& calls = NamespaceCalls::Get();
    Result<Handle> made = WithLastError<Handle>(calls.createBoundary(AsWide(name), 0));
    if (!made.ok()) return made;
    boundary.reset(made.value);
    alignas(SID) BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    Result<Bool> known =
        WithLastError<Bool>(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size));
    if (!known.ok()) return {nullptr, known.error};
    HANDLE held = boundary.get();
    Result<Bool> added = WithLastError<Bool>(calls.addSid(&held, sid));
    // The call may move the descriptor to make room for the SID.
    boundary.take();
    boundary.reset(held);
    if (!added.ok()) return {nullptr, added.error};
    return {held};
}

struct Win32Mutexes final : Mutexes {
    Result<Handle> CreatePrivateNamespaceW(const char16_t* boundaryName, const char16_t* alias) override {
        if (!NamespaceCalls::Get().Complete()) return ProcNotFound<Handle>();
        ScopedHandle<BoundaryTraits> boundary;
        Result<Handle> bounded = AdministratorsBoundary(boundaryName, boundary);
        if (!bounded.ok()) return bounded;
        AdministratorsAndSystemOnly security;
        Result<Bool> made = security.Make();
        if (!made.ok()) return {nullptr, made.error};
        return WithLastError<Handle>(
            NamespaceCalls::Get().create(security.get(), boundary.get(), AsWide(alias)));
    }
    Result<Handle> OpenPrivateNamespaceW(const char16_t* boundaryName, const char16_t* alias) override {
        if (!NamespaceCalls::Get().Complete()) return ProcNotFound<Handle>();
        ScopedHandle<BoundaryTraits> boundary;
        Result<Handle> bounded = AdministratorsBoundary(boundaryName, boundary);
        if (!bounded.ok()) return bounded;
        return WithLastError<Handle>(NamespaceCalls::Get().open(boundary.get(), AsWide(alias)));
    }
    Result<Bool> ClosePrivateNamespace(Handle privateNamespace) override {
        if (!NamespaceCalls::Get().Complete()) return ProcNotFound<Bool>();
        return WithLastError<Bool>(NamespaceCalls::Get().close(privateNamespace, 0) ? TRUE : FALSE);
    }
    Result<Handle> CreateMutexW(const char16_t* name) override {
        AdministratorsAndSystemOnly security;
        Result<Bool> made = security.Make();
        if (!made.ok()) return {nullptr, made.error};
        return WithReportedError<Handle>([&] { return ::CreateMutexW(security.get(), FALSE, AsWide(name)); });
    }
    Result<Bool> CloseHandle(Handle mutex) override { return WithLastError<Bool>(::CloseHandle(mutex)); }
};

}  // namespace

template <>
Mutexes& Default<Mutexes>() {
    static Win32Mutexes instance;
    return instance;
}

}  // namespace platform
