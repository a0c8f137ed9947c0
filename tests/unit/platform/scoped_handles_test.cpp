// The owners of registry keys, device information sets and kernel objects: each valid
// handle is released once, through the service that gave it out; null and
// INVALID_HANDLE_VALUE are never released.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/device.h"
#include "platform/kernel_objects.h"
#include "platform/registry.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_registry.h"

namespace {

const platform::Guid kAnyClass{};

TEST(ScopedHandles, ARegistryKeyIsClosedOnceByItsLastOwner) {
    FakeRegistry registry;
    {
        platform::RegistryKey first(registry.SetupDiOpenClassRegKeyExW(&kAnyClass, 0, 0, nullptr, nullptr));
        platform::RegistryKey second(registry.SetupDiOpenClassRegKeyExW(&kAnyClass, 0, 0, nullptr, nullptr));
        ASSERT_EQ(registry.OpenKeys(), 2u);
        platform::Key kept = first.get();
        second = std::move(first);  // closes the key second held
        EXPECT_EQ(registry.OpenKeys(), 1u);
        EXPECT_FALSE(first.IsValid());
        EXPECT_EQ(second.get(), kept);
        second = std::move(second);
        EXPECT_EQ(registry.OpenKeys(), 1u) << "a move onto itself keeps the key open";
    }
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST(ScopedHandles, ADeviceSetIsDestroyedAndAFailedOneIsNotHeld) {
    FakeDeviceInterfaces interfaces;
    {
        platform::DeviceInfoSet set(interfaces.SetupDiGetClassDevsW(&kAnyClass, nullptr, nullptr, 0));
        ASSERT_TRUE(set);
        EXPECT_EQ(interfaces.setsOpen, 1);
    }
    EXPECT_EQ(interfaces.setsOpen, 0);
    interfaces.setFails = true;
    EXPECT_FALSE(platform::DeviceInfoSet(interfaces.SetupDiGetClassDevsW(&kAnyClass, nullptr, nullptr, 0)));
}

TEST(ScopedHandles, KernelObjectsCloseThroughTheKernelObjectService) {
    FakeDeviceIo io;
    {
        platform::KernelObject none;
        platform::KernelObject null(nullptr);
        platform::KernelObject invalid(platform::kInvalidHandle);
        EXPECT_FALSE(none || null || invalid);
    }
    EXPECT_EQ(io.badCloses, 0) << "null and INVALID_HANDLE_VALUE are never closed";

    platform::Handle given = nullptr;
    {
        platform::KernelObject event(io.CreateEventW(nullptr, 0, 0, nullptr).value);
        platform::KernelObject kept(io.CreateEventW(nullptr, 0, 0, nullptr).value);
        ASSERT_TRUE(event && kept);
        given = kept.take();
    }
    EXPECT_EQ(io.openEvents, (std::set<platform::Handle>{given})) << "a taken handle stays open";
    EXPECT_EQ(io.calls,
              (std::vector<std::string>{"CreateEvent auto", "CreateEvent auto", "CloseHandle event"}));
    platform::Get<platform::KernelObjects>().CloseHandle(given);
    EXPECT_TRUE(io.openEvents.empty());
    EXPECT_EQ(io.badCloses, 0);
}

}  // namespace
