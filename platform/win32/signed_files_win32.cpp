// Program files checked before they are started: forwarders to kernel32, and to wintrust
// and crypt32, which are loaded at run time from the system directory (neither is among
// the libraries Windows always takes from there, so a static import could be planted
// beside the program).
#include <windows.h>
// After windows.h, which they need.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <iterator>

#include "platform/services.h"
#include "platform/signed_files.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromStateDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFromChainFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
using HashCertificate2Fn = BOOL(WINAPI*)(LPCWSTR, DWORD, void*, const BYTE*, DWORD, BYTE*, DWORD*);

// The verified state WinVerifyTrust keeps for WTD_STATEACTION_VERIFY, released with
// WTD_STATEACTION_CLOSE on every path.
class VerifiedState {
public:
    VerifiedState(WinVerifyTrustFn verify, WINTRUST_DATA& data) : verify_(verify), data_(data) {}
    ~VerifiedState() {
        if (!data_.hWVTStateData) return;
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        verify_(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
    }
    VerifiedState(const VerifiedState&) = delete;
    VerifiedState& operator=(const VerifiedState&) = delete;

private:
    WinVerifyTrustFn verify_;
    WINTRUST_DATA& data_;
};

std::optional<Sha256> Sha256Of(const CERT_CONTEXT* certificate) {
    SystemLibrary crypt32(L"crypt32.dll");
    auto hash = crypt32.Proc<HashCertificate2Fn>("CryptHashCertificate2");
    if (!hash || !certificate) return std::nullopt;
    Sha256 digest{};
    DWORD size = digest.size();
    if (!hash(BCRYPT_SHA256_ALGORITHM, 0, nullptr, certificate->pbCertEncoded, certificate->cbCertEncoded,
              digest.data(), &size) ||
        size != digest.size()) {
        return std::nullopt;
    }
    return digest;
}

struct Win32SignedFiles final : SignedFiles {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                               Dword flags) override {
        return WithLastError<Handle>(
            ::CreateFileW(AsWide(path), access, share, nullptr, creation, flags, nullptr));
    }

    SignatureCheck VerifySignature(Handle file, const char16_t* path) override {
        SignatureCheck check;
        SystemLibrary wintrust(L"wintrust.dll");
        auto verify = wintrust.Proc<WinVerifyTrustFn>("WinVerifyTrust");
        auto provData = wintrust.Proc<ProvDataFromStateDataFn>("WTHelperProvDataFromStateData");
        auto signerOf = wintrust.Proc<ProvSignerFromChainFn>("WTHelperGetProvSignerFromChain");
        if (!verify || !provData || !signerOf) {
            check.trust = static_cast<Dword>(TRUST_E_PROVIDER_UNKNOWN);
            return check;
        }

        WINTRUST_FILE_INFO fileInfo{};
        fileInfo.cbStruct = sizeof fileInfo;
        fileInfo.pcwszFilePath = AsWide(path);
        fileInfo.hFile = file;
        WINTRUST_DATA data{};
        data.cbStruct = sizeof data;
        data.dwUIChoice = WTD_UI_NONE;
        data.fdwRevocationChecks = WTD_REVOKE_NONE;
        data.dwUnionChoice = WTD_CHOICE_FILE;
        data.pFile = &fileInfo;
        data.dwStateAction = WTD_STATEACTION_VERIFY;
        data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        // No interactive user: the program also runs as LocalSystem.
        check.trust = static_cast<Dword>(verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data));
        VerifiedState state(verify, data);

        CRYPT_PROVIDER_DATA* provider = data.hWVTStateData ? provData(data.hWVTStateData) : nullptr;
        CRYPT_PROVIDER_SGNR* signer = provider ? signerOf(provider, 0, FALSE, 0) : nullptr;
        // The first certificate of the signer's chain is the signer's own.
        if (signer && signer->csCertChain > 0 && signer->pasCertChain) {
            check.signer = Sha256Of(signer->pasCertChain[0].pCert);
        }
        return check;
    }

    Result<Bool> GetFileIdInfo(Handle file, FileIdentity* identity) override {
        // FILE_ID_INFO and its class (18 in FILE_INFO_BY_HANDLE_CLASS), which the headers
        // declare for Windows 8 builds only.
        struct FileIdInfo {
            ULONGLONG VolumeSerialNumber;
            BYTE FileId[16];
        } info{};
        static_assert(sizeof info == 24);
        Result<Bool> read = WithLastError<Bool>(::GetFileInformationByHandleEx(
            file, static_cast<FILE_INFO_BY_HANDLE_CLASS>(18), &info, sizeof info));
        if (read.ok()) {
            identity->wide = true;
            identity->volumeSerial = info.VolumeSerialNumber;
            std::copy(std::begin(info.FileId), std::end(info.FileId), identity->fileId.begin());
        }
        return read;
    }

    Result<Bool> GetFileIndex(Handle file, FileIdentity* identity) override {
        BY_HANDLE_FILE_INFORMATION info{};
        Result<Bool> read = WithLastError<Bool>(::GetFileInformationByHandle(file, &info));
        if (read.ok()) {
            *identity = FileIdentity{};
            identity->volumeSerial = info.dwVolumeSerialNumber;
            const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
            for (std::size_t i = 0; i < 8; ++i) {
                identity->fileId[i] = static_cast<std::uint8_t>(index >> (8 * i));
            }
        }
        return read;
    }
};

}  // namespace

template <>
SignedFiles& Default<SignedFiles>() {
    static Win32SignedFiles instance;
    return instance;
}

}  // namespace platform
