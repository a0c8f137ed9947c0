// Stands in for the Windows Runtime class WindowsProtectedPrintInfo of a Windows whose
// protected print mode is on: registered in a test prefix under
// HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\, it gives the activation
// factory whose statics say the mode is on.
#include <windows.h>
// clang-format off
#include <inspectable.h>
#include <hstring.h>
// clang-format on

namespace {

// IWindowsProtectedPrintInfoStatics.
constexpr GUID kStatics = {0xA7D212F3, 0x4168, 0x5485, {0x98, 0xAB, 0xD8, 0x9D, 0x04, 0x60, 0x3B, 0x40}};
constexpr GUID kInspectable = {0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};
// IActivationFactory.
constexpr GUID kFactory = {0x00000035, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// One object, as long-lived as the DLL, serves as the activation factory and as its
// statics: Windows' RoGetActivationFactory asks the factory for the statics' interface and
// releases the factory, and the caller calls the statics' first own method alone.
struct Statics final : IInspectable {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        const bool known = iid == kStatics || iid == kFactory || iid == IID_IUnknown || iid == kInspectable;
        *out = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override {
        *level = BaseTrust;
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE get_IsProtectedPrintEnabled(BYTE* value) {
        *value = 1;
        return S_OK;
    }
} statics;

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(HSTRING, IInspectable** out) {
    *out = &statics;
    return S_OK;
}
