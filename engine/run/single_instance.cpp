#include "engine/run/single_instance.h"

#include "platform/services.h"

namespace engine {

const char16_t kInstanceName[] = u"TamrinPrinterSetup";
const char16_t kNamespaceBoundary[] = u"TamrinAdministrators";
const char16_t kNamespaceAlias[] = u"TamrinPrinterSetup";

namespace {

// A namespace that is there when it is made and gone when it is opened was closed by the
// last run that held it in between: made again, a few times.
constexpr int kNamespaceAttempts = 3;

platform::Result<platform::Handle> MakeOrOpenNamespace() {
    auto& mutexes = platform::Get<platform::Mutexes>();
    platform::Result<platform::Handle> result;
    for (int attempt = 0; attempt < kNamespaceAttempts; ++attempt) {
        result = mutexes.CreatePrivateNamespaceW(kNamespaceBoundary, kNamespaceAlias);
        if (result.ok() || result.error != platform::kErrorAlreadyExists) return result;
        result = mutexes.OpenPrivateNamespaceW(kNamespaceBoundary, kNamespaceAlias);
        const bool gone =
            result.error == platform::kErrorFileNotFound || result.error == platform::kErrorPathNotFound;
        if (result.ok() || !gone) return result;
    }
    return result;
}

}  // namespace

SingleInstance::SingleInstance(const char16_t* name) {
    std::u16string mutexName;
    platform::Result<platform::Handle> privateNamespace = MakeOrOpenNamespace();
    if (privateNamespace.ok()) {
        namespace_.reset(privateNamespace.value);
        mutexName = std::u16string(kNamespaceAlias) + u"\\" + name;
    } else if (privateNamespace.error == platform::kErrorProcNotFound) {
        mutexName = std::u16string(u"Global\\") + name;
        status_.globalName = true;
    } else {
        status_.failure = u"the private namespace of the Administrators group cannot be made or opened";
        status_.error = privateNamespace.error;
        return;
    }

    platform::Result<platform::Handle> created =
        platform::Get<platform::Mutexes>().CreateMutexW(mutexName.c_str());
    if (created.ok()) {
        mutex_.reset(created.value);
        if (created.error == platform::kErrorAlreadyExists) {
            // Closed at once: held, it would keep the mutex alive after the other run ends.
            mutex_.reset();
            namespace_.reset();
            status_.state = InstanceState::AnotherRunning;
        } else {
            status_.state = InstanceState::Alone;
        }
        return;
    }
    namespace_.reset();
    // Runs of this program give each other access, so a name that is there but denied,
    // or held by an object of another type, was made by someone else: no exclusion.
    status_.failure = created.error == platform::kErrorInvalidHandle
                          ? u"the name " + mutexName + u" is held by an object that is not a mutex"
                          : u"the mutex " + mutexName + u" cannot be made or opened";
    status_.error = created.error;
}

}  // namespace engine
