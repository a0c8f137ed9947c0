// Program files outside Windows: none to start, so none to check.
#include "platform/services.h"
#include "platform/signed_files.h"

namespace platform {
namespace {

struct PortableSignedFiles final : SignedFiles {
    Result<Handle> CreateFileW(const char16_t*, Dword, Dword, Dword, Dword) override {
        return {kInvalidHandle, kErrorFileNotFound};
    }
    SignatureCheck VerifySignature(Handle, const char16_t*) override { return {}; }
};

}  // namespace

template <>
SignedFiles& Default<SignedFiles>() {
    static PortableSignedFiles instance;
    return instance;
}

}  // namespace platform
