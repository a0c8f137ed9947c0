#include "engine/run/signature_check.h"

namespace engine {
namespace {

// Codes WinVerifyTrust gives for a file it could not find a signature in ("Certificate and
// trust return values"; WinVerifyTrust's own example treats these three as unsigned).
bool MeansUnsigned(platform::Dword trust) {
    return trust == platform::kTrustENoSignature || trust == platform::kTrustESubjectFormUnknown ||
           trust == platform::kTrustEProviderUnknown;
}

// Codes about the certificate chain alone. WinVerifyTrust reports the first failing step,
// and the message and its digest are checked before the chain is built, so with these the
// digest held. Revocation and explicit distrust are not among them.
bool MeansOnlyTheChain(platform::Dword trust) {
    switch (trust) {
        case platform::kCertEExpired:
        case platform::kCertEValidityPeriodNesting:
        case platform::kCertEUntrustedRoot:
        case platform::kCertEChaining:
        case platform::kCertEUntrustedTestRoot:
        case platform::kCertEUntrustedCa:
        case platform::kCertERevocationFailure:
        case platform::kCryptENoRevocationCheck:
        case platform::kCryptERevocationOffline:
            return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SignatureFinding JudgeSignature(const platform::SignatureCheck& check, const platform::Sha256& expected) {
    if (MeansUnsigned(check.trust)) return SignatureFinding::NotSigned;
    if (check.trust == platform::kTrustEBadDigest) return SignatureFinding::BadDigest;
    if (check.trust != platform::kTrustSuccess && !MeansOnlyTheChain(check.trust)) {
        return SignatureFinding::Unverifiable;
    }
    if (!check.signer) return SignatureFinding::NoSigner;
    if (*check.signer != expected) return SignatureFinding::OtherSigner;
    return check.trust == platform::kTrustSuccess ? SignatureFinding::Trusted
                                                  : SignatureFinding::ChainNotTrusted;
}

std::optional<platform::Sha256> ParseThumbprint(std::string_view hex) {
    platform::Sha256 thumbprint{};
    if (hex.size() != 2 * thumbprint.size()) return std::nullopt;
    for (std::size_t i = 0; i < thumbprint.size(); ++i) {
        int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        thumbprint[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return thumbprint;
}

std::u16string ThumbprintText(const platform::Sha256& thumbprint) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string text;
    for (std::uint8_t byte : thumbprint) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

}  // namespace engine
