// The owners free what they hold exactly once, whichever way they let go of it, and pass it on
// when moved; the lock guards let go of their lock when the scope is left by an exception.
#include "owners/ApiHandle.h"
#include "owners/LockGuards.h"
#include "owners/WinOwners.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace {

std::vector<int> g_freed;

// Resources are numbers; 0 means none and -1 is a second "none" a failing API might answer.
struct CountingTraits {
    using Type = int;
    static constexpr Type kEmpty = 0;
    static bool IsHeld(Type value) { return value > 0; }
    static bool Free(Type value) {
        g_freed.push_back(value);
        return value != 13; // the system refuses to free 13
    }
};
using Counted = UniqueResource<CountingTraits>;

class Owners : public ::testing::Test {
protected:
    void SetUp() override { g_freed.clear(); }
};

bool IsSignalled(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

struct SectionProbe {
    CRITICAL_SECTION* section;
    bool entered = false;
};

DWORD WINAPI TryTheSection(void* argument) {
    auto* probe = static_cast<SectionProbe*>(argument);
    probe->entered = TryEnterCriticalSection(probe->section) != FALSE;
    if (probe->entered)
        LeaveCriticalSection(probe->section);
    return 0;
}

} // namespace

TEST_F(Owners, EachResourceIsFreedOnceWhicheverWayItGoes) {
    {
        Counted scoped(1);
        Counted none;
        Counted failed(-1);
        EXPECT_FALSE(none);
        EXPECT_FALSE(failed);
    }
    EXPECT_EQ(std::vector<int>{1}, g_freed);

    g_freed.clear();
    Counted owner(2);
    owner.Reset(3);
    owner.Reset();
    EXPECT_EQ((std::vector<int>{2, 3}), g_freed);

    g_freed.clear();
    owner.Reset(4);
    EXPECT_EQ(4, owner.Release());
    EXPECT_FALSE(owner);
    *owner.Put() = 5; // as an API that answers through an out parameter
    EXPECT_EQ(5, owner.Get());
    *owner.Put() = 6; // the earlier one is freed first
    EXPECT_EQ(std::vector<int>{5}, g_freed);
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(owner);
    EXPECT_TRUE(owner.Close()) << "closing nothing is no failure";
    owner.Reset(13);
    EXPECT_FALSE(owner.Close()) << "a refused release is reported";
    EXPECT_EQ((std::vector<int>{5, 6, 13}), g_freed);
}

TEST_F(Owners, MovingPassesTheResourceOn) {
    std::vector<Counted> owners;
    for (int value = 1; value <= 20; ++value)
        owners.emplace_back(value); // regrowing moves every owner
    EXPECT_TRUE(g_freed.empty());

    Counted taken(std::move(owners[0]));
    EXPECT_FALSE(owners[0]);
    EXPECT_EQ(1, taken.Get());
    taken = std::move(owners[1]);
    EXPECT_EQ(std::vector<int>{1}, g_freed);
    auto& self = taken;
    taken = std::move(self);
    EXPECT_EQ(2, taken.Get()) << "moving onto itself keeps the resource";
    owners.clear();
    EXPECT_EQ(19u, g_freed.size());
}

TEST_F(Owners, KernelHandlesAreClosed) {
    HANDLE duplicate = nullptr;
    {
        const KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event.Get(), GetCurrentProcess(),
                                    &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS));
    }
    const KernelHandle survivor(duplicate);
    SetEvent(survivor.Get());
    EXPECT_TRUE(IsSignalled(survivor.Get())) << "the event lives on through the duplicate";

    // INVALID_HANDLE_VALUE is what a failed CreateFileW answers, never a handle to close.
    const KernelHandle failed(CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(failed);

    WIN32_FIND_DATAW found{};
    const FindHandle missing(FindFirstFileW(L"C:\\no such folder\\*", &found));
    EXPECT_FALSE(missing);
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindHandle().Get());
}

TEST_F(Owners, NetworkBuffersAreFreed) {
    NetApiBuffer<BYTE*> buffer;
    ASSERT_EQ(static_cast<NET_API_STATUS>(NERR_Success),
              NetApiBufferAllocate(64, reinterpret_cast<void**>(buffer.Put())));
    ASSERT_TRUE(buffer);
    DWORD bytes = 0;
    EXPECT_EQ(static_cast<NET_API_STATUS>(NERR_Success), NetApiBufferSize(buffer.Get(), &bytes));
    EXPECT_GE(bytes, 64u);
    EXPECT_TRUE(buffer.Close());
    EXPECT_FALSE(buffer);
}

TEST_F(Owners, GdiObjectsAndDeviceContextsAreDeleted) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
    DeviceContext memory(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(brush);
    ASSERT_TRUE(memory);
    const HBRUSH heldBrush = brush.Get();
    const HDC heldContext = memory.Get();
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(heldBrush));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(heldContext));
    brush.Reset();
    EXPECT_TRUE(memory.Close());
    EXPECT_EQ(0u, GetObjectType(heldBrush));
    EXPECT_EQ(0u, GetObjectType(heldContext));
}

namespace {

struct FakeDevice {
    std::vector<HANDLE> closed;
    BOOL Close(HANDLE handle) {
        closed.push_back(handle);
        return TRUE;
    }
};

} // namespace

TEST_F(Owners, ApiHandlesCloseThroughTheirInterface) {
    FakeDevice device;
    const HANDLE first = reinterpret_cast<HANDLE>(0x10);
    const HANDLE second = reinterpret_cast<HANDLE>(0x20);
    {
        ApiHandle<FakeDevice, &FakeDevice::Close> owner(device, first);
        ApiHandle<FakeDevice, &FakeDevice::Close> none(device, INVALID_HANDLE_VALUE);
        ApiHandle<FakeDevice, &FakeDevice::Close> moved(std::move(owner));
        EXPECT_FALSE(owner);
        moved = ApiHandle<FakeDevice, &FakeDevice::Close>(device, second);
        EXPECT_EQ(std::vector<HANDLE>{first}, device.closed);
    }
    EXPECT_EQ((std::vector<HANDLE>{first, second}), device.closed);
}

TEST_F(Owners, LocksAreLetGoWhenTheScopeThrows) {
    SRWLOCK lock = SRWLOCK_INIT;
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EXPECT_THROW(
        {
            const ExclusiveLockGuard hold(lock);
            const CriticalSectionGuard held(section);
            throw std::runtime_error("inside");
        },
        std::runtime_error);
    EXPECT_TRUE(TryAcquireSRWLockExclusive(&lock));
    ReleaseSRWLockExclusive(&lock);
    {
        const SharedLockGuard reader(lock);
        const SharedLockGuard another(lock); // readers share
        EXPECT_FALSE(TryAcquireSRWLockExclusive(&lock));
    }
    // Another thread finds the critical section free.
    SectionProbe probe{&section};
    const KernelHandle thread(CreateThread(nullptr, 0, &TryTheSection, &probe, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.Get(), 10'000));
    EXPECT_TRUE(probe.entered);
    DeleteCriticalSection(&section);
}
