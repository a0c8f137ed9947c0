// Whether a program's Authenticode signature lets it run in this one's place: its digest
// intact and its signer the certificate this program was built to expect. The chain up to
// a root is not required: releases are not always time-stamped, so their certificate
// expires, and a publisher's own root need not be trusted on every machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/signed_files.h"

namespace engine {

enum class SignatureFinding {
    Trusted,          // digest, signer and chain all good
    ChainNotTrusted,  // digest and signer good; the chain is not (expired, unknown root): go on
    NotSigned,
    BadDigest,     // the file was changed after it was signed
    OtherSigner,   // intact, but signed with another certificate
    NoSigner,      // the signature names no signer certificate that could be read
    Unverifiable,  // any other verdict (revoked, explicitly distrusted, malformed...)
};

SignatureFinding JudgeSignature(const platform::SignatureCheck& check, const platform::Sha256& expected);

inline bool Accepted(SignatureFinding finding) {
    return finding == SignatureFinding::Trusted || finding == SignatureFinding::ChainNotTrusted;
}

// 64 hexadecimal digits (either case), as a build names the signing certificate; nothing
// for anything else.
std::optional<platform::Sha256> ParseThumbprint(std::string_view hex);
// Lower-case hexadecimal, as sha256sum writes it.
std::u16string ThumbprintText(const platform::Sha256& thumbprint);

}  // namespace engine
