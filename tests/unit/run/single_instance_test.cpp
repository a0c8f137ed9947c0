// One setup at a time. The system behind the seam behaves as its documentation says:
// "CreateMutexW function" (synchapi.h): for a name that exists the handle of the existing
// mutex is returned with ERROR_ALREADY_EXISTS (the seam gives 0 with a new one); a mutex
// whose security denies the caller fails with ERROR_ACCESS_DENIED; a name taken by an
// event, semaphore, timer, job or file mapping fails with ERROR_INVALID_HANDLE.
// "CreatePrivateNamespaceW function" and "OpenPrivateNamespaceW function"
// (namespaceapi.h): the caller must be within the boundary; a namespace that exists
// fails creation with ERROR_ALREADY_EXISTS and is opened instead ("Object Namespaces");
// it goes when its last handle is closed. Where the calls are missing the seam gives
// ERROR_PROC_NOT_FOUND.
#include "engine/run/single_instance.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "platform/instance_mutex.h"
#include "platform/text.h"

namespace {

using engine::InstanceState;
using engine::SingleInstance;
using platform::Dword;

const std::u16string kPrivateName = u"TamrinPrinterSetup\\TamrinPrinterSetup";
const std::u16string kGlobalName = u"Global\\TamrinPrinterSetup";

class FakeMutexes final : public platform::Mutexes {
public:
    bool namespacesMissing = false;         // a system without the calls (Wine 8)
    Dword namespaceRefused = 0;             // creation fails with this (the caller is outside the boundary)
    Dword openRefused = 0;                  // opening fails with this
    int flickers = 0;                       // times another run closes it between our making and opening it
    std::set<std::u16string> otherAccount;  // mutexes made by someone whose security denies us
    std::set<std::u16string> otherKind;     // names held by an event or the like
    std::map<std::u16string, int> open;     // mutex name: handles
    int namespaceHandles = 0;
    bool namespacePlanted = false;  // held open by another run
    std::u16string lastName;

    platform::Result<platform::Handle> CreatePrivateNamespaceW(const char16_t* boundary,
                                                               const char16_t* alias) override {
        EXPECT_EQ(std::u16string(boundary), engine::kNamespaceBoundary);
        EXPECT_EQ(std::u16string(alias), engine::kNamespaceAlias);
        if (namespacesMissing) return {nullptr, platform::kErrorProcNotFound};
        if (namespaceRefused) return {nullptr, namespaceRefused};
        if (Exists() || flickers > 0) return {nullptr, platform::kErrorAlreadyExists};
        return NamespaceHandle();
    }
    platform::Result<platform::Handle> OpenPrivateNamespaceW(const char16_t*, const char16_t*) override {
        if (flickers > 0) {
            --flickers;
            return {nullptr, platform::kErrorFileNotFound};
        }
        if (openRefused) return {nullptr, openRefused};
        if (!Exists()) return {nullptr, platform::kErrorFileNotFound};
        return NamespaceHandle();
    }
    platform::Result<platform::Bool> ClosePrivateNamespace(platform::Handle h) override {
        if (!handles_.erase(reinterpret_cast<std::intptr_t>(h))) return {0, platform::kErrorInvalidHandle};
        --namespaceHandles;
        return {1};
    }
    platform::Result<platform::Handle> CreateMutexW(const char16_t* name) override {
        lastName = name;
        if (otherAccount.count(name)) return {nullptr, platform::kErrorAccessDenied};
        if (otherKind.count(name)) return {nullptr, platform::kErrorInvalidHandle};
        const bool existed = open[name]++ > 0;
        handles_[++next_] = name;
        return {reinterpret_cast<platform::Handle>(next_), existed ? platform::kErrorAlreadyExists : 0};
    }
    platform::Result<platform::Bool> CloseHandle(platform::Handle h) override {
        auto it = handles_.find(reinterpret_cast<std::intptr_t>(h));
        if (it == handles_.end() || it->second.empty()) return {0, platform::kErrorInvalidHandle};
        if (--open[it->second] == 0) open.erase(it->second);
        handles_.erase(it);
        return {1};
    }

private:
    bool Exists() const { return namespacePlanted || namespaceHandles > 0; }
    platform::Result<platform::Handle> NamespaceHandle() {
        ++namespaceHandles;
        handles_[++next_] = u"";
        return {reinterpret_cast<platform::Handle>(next_), 0};
    }

    std::intptr_t next_ = 0x40;
    std::map<std::intptr_t, std::u16string> handles_;  // namespaces have no name here
    platform::ScopedService<platform::Mutexes> scope_{*this};
};

TEST(SingleInstance, TheFirstRunHoldsTheMutexInTheAdministratorsNamespaceUntilItEnds) {
    FakeMutexes mutexes;
    {
        SingleInstance first;
        EXPECT_EQ(mutexes.lastName, kPrivateName);
        EXPECT_EQ(first.Status().state, InstanceState::Alone);
        EXPECT_FALSE(first.Status().globalName);
        {
            SingleInstance second;
            EXPECT_EQ(second.Status().state, InstanceState::AnotherRunning);
            // The second lets go of both at once, so they end with the first.
            EXPECT_EQ(mutexes.open[kPrivateName], 1);
            EXPECT_EQ(mutexes.namespaceHandles, 1);
        }
    }
    EXPECT_TRUE(mutexes.open.empty());
    EXPECT_EQ(mutexes.namespaceHandles, 0);
    EXPECT_EQ(SingleInstance().Status().state, InstanceState::Alone);
}

TEST(SingleInstance, NoRunGoesOnWithoutExclusion) {
    const struct Row {
        const char* what;
        void (*arrange)(FakeMutexes&);
        InstanceState state;
        Dword error;
        std::u16string failureStart;
        bool globalName;
    } rows[] = {
        {"no private namespaces: the global name", [](FakeMutexes& m) { m.namespacesMissing = true; },
         InstanceState::Alone, 0, u"", true},
        {"the global name squatted by a standard user",
         [](FakeMutexes& m) { m.namespacesMissing = true, m.otherAccount.insert(kGlobalName); },
         InstanceState::Unknown, platform::kErrorAccessDenied,
         u"the mutex Global\\TamrinPrinterSetup cannot be", true},
        {"the global name held by an event",
         [](FakeMutexes& m) { m.namespacesMissing = true, m.otherKind.insert(kGlobalName); },
         InstanceState::Unknown, platform::kErrorInvalidHandle,
         u"the name Global\\TamrinPrinterSetup is held by an object that is not a mutex", true},
        {"a namespace that cannot be made",
         [](FakeMutexes& m) { m.namespaceRefused = platform::kErrorAccessDenied; }, InstanceState::Unknown,
         platform::kErrorAccessDenied, u"the private namespace", false},
        {"a namespace that is there and cannot be opened",
         [](FakeMutexes& m) { m.namespacePlanted = true, m.openRefused = platform::kErrorAccessDenied; },
         InstanceState::Unknown, platform::kErrorAccessDenied, u"the private namespace", false},
        {"a namespace closed between making and opening, once", [](FakeMutexes& m) { m.flickers = 1; },
         InstanceState::Alone, 0, u"", false},
        {"a namespace closed between making and opening, every time", [](FakeMutexes& m) { m.flickers = 3; },
         InstanceState::Unknown, platform::kErrorFileNotFound, u"the private namespace", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeMutexes mutexes;
        row.arrange(mutexes);
        {
            SingleInstance instance;
            const engine::InstanceStatus& status = instance.Status();
            EXPECT_EQ(status.state, row.state);
            EXPECT_EQ(status.error, row.error);
            EXPECT_EQ(status.failure.substr(0, row.failureStart.size()), row.failureStart);
            EXPECT_EQ(status.failure.empty(), row.failureStart.empty());
            EXPECT_EQ(status.globalName, row.globalName);
            if (row.state != InstanceState::Alone) {
                EXPECT_TRUE(mutexes.open.empty()) << "nothing is held after a failure";
                EXPECT_EQ(mutexes.namespaceHandles, 0);
            }
        }
        EXPECT_TRUE(mutexes.open.empty());
        EXPECT_EQ(mutexes.namespaceHandles, 0);
    }
}

TEST(SingleInstance, TheBuildsOwnServiceSeesASecondGuard) {
    const char16_t* name = u"TamrinPrinterSetupUnitTest";
    {
        SingleInstance first(name);
        ASSERT_EQ(first.Status().state, InstanceState::Alone) << text::ToUtf8(first.Status().failure);
        EXPECT_EQ(SingleInstance(name).Status().state, InstanceState::AnotherRunning);
    }
    EXPECT_EQ(SingleInstance(name).Status().state, InstanceState::Alone);
}

}  // namespace
