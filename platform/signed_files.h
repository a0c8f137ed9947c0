// Program files checked before they are started: opened so that nobody can change them
// while they are checked and started (kernel32), and their Authenticode signature
// verified (wintrust, crypt32).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/result.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kGenericRead = 0x80000000;      // GENERIC_READ
constexpr Dword kOpenExisting = 3;              // OPEN_EXISTING
constexpr Dword kFileShareDelete = 0x00000004;  // FILE_SHARE_DELETE
constexpr Dword kErrorSharingViolation = 32;
constexpr Dword kErrorInvalidParameter = 87;

// The SHA-256 of a certificate's DER encoding (its "thumbprint").
using Sha256 = std::array<std::uint8_t, 32>;

// WinVerifyTrust's result codes the logic tells apart (winerror.h; a LONG, kept as its bits).
constexpr Dword kTrustSuccess = 0;
constexpr Dword kTrustENoSignature = 0x800B0100;         // TRUST_E_NOSIGNATURE
constexpr Dword kTrustESubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr Dword kTrustEProviderUnknown = 0x800B0001;     // TRUST_E_PROVIDER_UNKNOWN
constexpr Dword kTrustEBadDigest = 0x80096010;           // TRUST_E_BAD_DIGEST
constexpr Dword kTrustEExplicitDistrust = 0x800B0111;    // TRUST_E_EXPLICIT_DISTRUST
constexpr Dword kCertEExpired = 0x800B0101;              // CERT_E_EXPIRED
constexpr Dword kCertEValidityPeriodNesting = 0x800B0102;
constexpr Dword kCertEUntrustedRoot = 0x800B0109;
constexpr Dword kCertEChaining = 0x800B010A;
constexpr Dword kCertERevoked = 0x800B010C;
constexpr Dword kCertEUntrustedTestRoot = 0x800B010D;
constexpr Dword kCertERevocationFailure = 0x800B010E;
constexpr Dword kCertEUntrustedCa = 0x800B0112;
constexpr Dword kCryptENoRevocationCheck = 0x80092012;
constexpr Dword kCryptERevocationOffline = 0x80092013;

struct SignatureCheck {
    Dword trust = kTrustENoSignature;  // what WinVerifyTrust returned
    // The signer certificate's SHA-256, when the verified signature names a signer.
    std::optional<Sha256> signer;
};

// What tells a file from every other file on the machine: its volume's serial number and
// its file ID. `wide` says which pair: FILE_ID_INFO's 64-bit serial and 128-bit ID, or
// BY_HANDLE_FILE_INFORMATION's 32-bit serial and 64-bit index (in the first 8 bytes, low
// byte first). Only pairs of one kind compare.
struct FileIdentity {
    bool wide = false;
    std::uint64_t volumeSerial = 0;
    std::array<std::uint8_t, 16> fileId{};

    bool operator==(const FileIdentity&) const = default;
};

struct SignedFiles {
    // As CreateFileW with no security attributes and no template: kInvalidHandle, with
    // the error, on failure. The handle is closed through KernelObjects.
    virtual Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                                       Dword flags) = 0;
    // WinVerifyTrust with WINTRUST_ACTION_GENERIC_VERIFY_V2 on the open file (`path` only
    // names it): no user interface, no revocation check, no network (cached URLs only).
    // Then the signer certificate of the verified state and the SHA-256 of its encoding.
    virtual SignatureCheck VerifySignature(Handle file, const char16_t* path) = 0;
    // As GetFileInformationByHandleEx with FileIdInfo (Windows 8 and Server 2012 on). By
    // default as Windows 7, which does not know that class: ERROR_INVALID_PARAMETER.
    virtual Result<Bool> GetFileIdInfo(Handle file, FileIdentity* identity) {
        (void)file, (void)identity;
        return {0, kErrorInvalidParameter};
    }
    // As GetFileInformationByHandle (the handle needs FILE_READ_ATTRIBUTES): its volume
    // serial number and file index. By default as where the call is missing:
    // ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> GetFileIndex(Handle file, FileIdentity* identity) {
        (void)file, (void)identity;
        return {0, kErrorProcNotFound};
    }

protected:
    ~SignedFiles() = default;
};

}  // namespace platform
