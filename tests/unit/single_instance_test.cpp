// One setup at a time. The mutex behind the seam behaves as "CreateMutexW function"
// (synchapi.h) documents it: for a name that exists the handle of the existing mutex is
// returned with ERROR_ALREADY_EXISTS (the seam gives 0 with a new one); a caller with
// limited rights fails with ERROR_ACCESS_DENIED; a name taken by an event, semaphore,
// timer, job or file mapping fails with ERROR_INVALID_HANDLE.
#include "engine/single_instance.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "platform/instance_mutex.h"

namespace {

using engine::InstanceState;
using engine::SingleInstance;
using platform::Dword;

class FakeMutexes final : public platform::Mutexes {
public:
    std::set<std::u16string> otherAccount;  // made by a run whose rights deny ours
    std::set<std::u16string> otherKind;     // names held by an event or the like
    std::map<std::u16string, int> open;
    std::u16string lastName;

    platform::Result<platform::Handle> CreateMutexW(const char16_t* name) override {
        lastName = name;
        if (otherAccount.count(name)) return {nullptr, 5};
        if (otherKind.count(name)) return {nullptr, 6};
        const bool existed = open[name]++ > 0;
        handles_[++next_] = name;
        return {reinterpret_cast<platform::Handle>(next_), existed ? 183u : 0u};
    }
    platform::Result<platform::Bool> CloseHandle(platform::Handle h) override {
        auto it = handles_.find(reinterpret_cast<std::intptr_t>(h));
        if (it == handles_.end()) return {0, 6};
        if (--open[it->second] == 0) open.erase(it->second);
        handles_.erase(it);
        return {1};
    }

private:
    std::intptr_t next_ = 0x40;
    std::map<std::intptr_t, std::u16string> handles_;
    platform::ScopedService<platform::Mutexes> scope_{*this};
};

TEST(SingleInstance, TheFirstRunHoldsTheGlobalMutexUntilItEnds) {
    FakeMutexes mutexes;
    {
        SingleInstance first;
        EXPECT_EQ(mutexes.lastName, u"Global\\TamrinPrinterSetup");
        EXPECT_EQ(first.State(), InstanceState::Alone);
        {
            SingleInstance second;
            EXPECT_EQ(second.State(), InstanceState::AnotherRunning);
            // The second lets go at once, so the mutex ends with the first.
            EXPECT_EQ(mutexes.open[engine::kInstanceMutexName], 1);
        }
        EXPECT_EQ(mutexes.open[engine::kInstanceMutexName], 1);
    }
    EXPECT_TRUE(mutexes.open.empty());
    EXPECT_EQ(SingleInstance().State(), InstanceState::Alone);
}

TEST(SingleInstance, AMutexThatCannotBeHad) {
    FakeMutexes mutexes;
    mutexes.otherAccount.insert(engine::kInstanceMutexName);
    SingleInstance denied;
    EXPECT_EQ(denied.State(), InstanceState::AnotherRunning);

    mutexes.otherKind.insert(u"Global\\Squatted");
    SingleInstance squatted(u"Global\\Squatted");
    EXPECT_EQ(squatted.State(), InstanceState::Unknown);
    EXPECT_EQ(squatted.Error(), 6u);
    EXPECT_TRUE(mutexes.open.empty());
}

TEST(SingleInstance, TheBuildsOwnServiceSeesASecondGuard) {
    const char16_t* name = u"Global\\TamrinPrinterSetupUnitTest";
    {
        SingleInstance first(name);
        ASSERT_EQ(first.State(), InstanceState::Alone);
        EXPECT_EQ(SingleInstance(name).State(), InstanceState::AnotherRunning);
    }
    EXPECT_EQ(SingleInstance(name).State(), InstanceState::Alone);
}

}  // namespace
