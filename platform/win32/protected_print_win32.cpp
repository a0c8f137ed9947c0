// Protected print mode as Windows tells it: the static IsProtectedPrintEnabled of
// Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo (Windows 11 24H2,
// 10.0.26100), reached through combase.dll loaded at run time, so that the program still
// starts on Windows without the Windows Runtime.
#include <windows.h>
// clang-format off
#include <inspectable.h>
#include <hstring.h>
// clang-format on

#include <cstddef>
#include <memory>

#include "platform/protected_print.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

constexpr wchar_t kClass[] = L"Windows.Graphics.Printing.ProtectedPrint.WindowsProtectedPrintInfo";
// IWindowsProtectedPrintInfoStatics: after IInspectable's six methods,
// get_IsProtectedPrintEnabled, which gives a WinRT boolean (one byte). Called through the
// interface's table of functions: a C++ class declared here and defined nowhere would let
// the compiler assume no object of it exists.
constexpr GUID kStatics = {0xA7D212F3, 0x4168, 0x5485, {0x98, 0xAB, 0xD8, 0x9D, 0x04, 0x60, 0x3B, 0x40}};
constexpr std::size_t kIsEnabledSlot = 6;
using IsEnabledFn = HRESULT(STDMETHODCALLTYPE*)(IInspectable* self, BYTE* value);
constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154);  // REGDB_E_CLASSNOTREG
constexpr int kMultithreaded = 1;                                         // RO_INIT_MULTITHREADED
// A Windows Runtime that does not answer in this time is taken as off, the worker left.
constexpr DWORD kWaitMs = 30 * 1000;

using RoInitializeFn = HRESULT(WINAPI*)(int);
using RoUninitializeFn = void(WINAPI*)();
using CreateReferenceFn = HRESULT(WINAPI*)(PCWSTR, UINT32, HSTRING_HEADER*, HSTRING*);
using GetFactoryFn = HRESULT(WINAPI*)(HSTRING, REFIID, void**);

ProtectedPrintReading Unknown(HRESULT result) {
    return {ProtectedPrintReading::State::Unknown, static_cast<Dword>(result)};
}

// On the worker thread: the whole conversation with the Windows Runtime.
ProtectedPrintReading AskWindows() {
    SystemLibrary combase(L"combase.dll");
    auto initialize = combase.Proc<RoInitializeFn>("RoInitialize");
    auto uninitialize = combase.Proc<RoUninitializeFn>("RoUninitialize");
    auto reference = combase.Proc<CreateReferenceFn>("WindowsCreateStringReference");
    auto getFactory = combase.Proc<GetFactoryFn>("RoGetActivationFactory");
    if (!initialize || !uninitialize || !reference || !getFactory) return {};
    HRESULT result = initialize(kMultithreaded);
    if (FAILED(result)) return Unknown(result);
    ProtectedPrintReading reading;
    HSTRING_HEADER header{};
    HSTRING name = nullptr;
    result = reference(kClass, static_cast<UINT32>(ARRAYSIZE(kClass) - 1), &header, &name);
    IInspectable* statics = nullptr;
    if (SUCCEEDED(result)) result = getFactory(name, kStatics, reinterpret_cast<void**>(&statics));
    if (result == kClassNotRegistered) {
        reading = {};  // a Windows before 24H2
    } else if (FAILED(result)) {
        reading = Unknown(result);
    } else {
        BYTE enabled = 0;
        auto isEnabled = reinterpret_cast<IsEnabledFn>((*reinterpret_cast<void***>(statics))[kIsEnabledSlot]);
        result = isEnabled(statics, &enabled);
        reading = FAILED(result) ? Unknown(result)
                                 : ProtectedPrintReading{enabled ? ProtectedPrintReading::State::On
                                                                 : ProtectedPrintReading::State::Off,
                                                         0};
        statics->Release();
    }
    uninitialize();
    return reading;
}

struct HandleTraits {
    using handle_type = HANDLE;
    static handle_type GetInvalid() { return nullptr; }
    static bool IsValid(handle_type h) { return h != nullptr; }
    static void Close(handle_type h) { ::CloseHandle(h); }
};

// The worker: owns the pointer it is handed, shared with the thread that waits for it.
DWORD WINAPI Worker(void* parameter) {
    std::unique_ptr<std::shared_ptr<ProtectedPrintReading>> owned(
        static_cast<std::shared_ptr<ProtectedPrintReading>*>(parameter));
    **owned = AskWindows();
    return 0;
}

struct Win32ProtectedPrint final : ProtectedPrint {
    ProtectedPrintReading IsProtectedPrintEnabled() override {
        // Shared with the worker, which may outlive a wait that gave up.
        auto shared = std::make_shared<ProtectedPrintReading>();
        auto* handed = new std::shared_ptr<ProtectedPrintReading>(shared);
        ScopedHandle<HandleTraits> worker(::CreateThread(nullptr, 0, Worker, handed, 0, nullptr));
        if (!worker) {
            const DWORD error = ::GetLastError();
            delete handed;
            return {ProtectedPrintReading::State::Unknown, error};
        }
        if (::WaitForSingleObject(worker.get(), kWaitMs) != WAIT_OBJECT_0) {
            return {ProtectedPrintReading::State::Unknown, WAIT_TIMEOUT};
        }
        return *shared;
    }
};

}  // namespace

template <>
ProtectedPrint& Default<ProtectedPrint>() {
    static Win32ProtectedPrint instance;
    return instance;
}

}  // namespace platform
