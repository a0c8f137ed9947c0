// Named mutexes outside Windows: names known within this process only, each living while
// a handle to it is open, so that a second guard in the same process sees the first.
// There are no private namespaces, as on a system that lacks their calls.
#include <map>
#include <mutex>
#include <string>

#include "platform/instance_mutex.h"
#include "platform/services.h"

namespace platform {
namespace {

struct PortableMutexes final : Mutexes {
    Result<Handle> CreatePrivateNamespaceW(const char16_t*, const char16_t*) override {
        return {nullptr, kErrorProcNotFound};
    }
    Result<Handle> OpenPrivateNamespaceW(const char16_t*, const char16_t*) override {
        return {nullptr, kErrorProcNotFound};
    }
    Result<Bool> ClosePrivateNamespace(Handle) override { return {0, kErrorProcNotFound}; }
    Result<Handle> CreateMutexW(const char16_t* name) override {
        std::lock_guard<std::mutex> lock(guard_);
        // An unnamed mutex has an empty name here, and no other handle can find it.
        auto* handle = new std::u16string(name ? name : u"");
        bool existed = !handle->empty() && ++open_[*handle] > 1;
        return {handle, existed ? kErrorAlreadyExists : 0};
    }
    Result<Bool> CloseHandle(Handle mutex) override {
        std::lock_guard<std::mutex> lock(guard_);
        auto* handle = static_cast<std::u16string*>(mutex);
        if (!handle) return {0, kErrorInvalidHandle};
        auto named = handle->empty() ? open_.end() : open_.find(*handle);
        if (named != open_.end() && --named->second == 0) open_.erase(named);
        delete handle;
        return {1};
    }

private:
    std::mutex guard_;
    std::map<std::u16string, int> open_;
};

}  // namespace

template <>
Mutexes& Default<Mutexes>() {
    static PortableMutexes instance;
    return instance;
}

}  // namespace platform
