// The handle owners: one release per handle, moves leave the source empty.
#include "win32/handles.h"

#include <gtest/gtest.h>

namespace {

int closes = 0;

struct CountingTraits {
    using Handle = int;
    static Handle Invalid() { return 0; }
    static void Close(Handle) { ++closes; SetLastError(ERROR_INVALID_HANDLE); }
};

using CountedHandle = UniqueHandle<CountingTraits>;

}  // namespace

TEST(UniqueHandle, ClosesItsHandleExactlyOnce)
{
    closes = 0;
    {
        CountedHandle handle(7);
        EXPECT_TRUE(handle);
        EXPECT_EQ(handle.get(), 7);
    }
    EXPECT_EQ(closes, 1);
}

TEST(UniqueHandle, AMovedFromOwnerIsEmptyAndClosesNothing)
{
    closes = 0;
    {
        CountedHandle first(7);
        CountedHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 7);
        CountedHandle third;
        third = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(third.get(), 7);
    }
    EXPECT_EQ(closes, 1);
}

TEST(UniqueHandle, ResetClosesTheOldHandleAndReleaseClosesNone)
{
    closes = 0;
    CountedHandle handle(1);
    handle.reset(2);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(handle.release(), 2);
    handle.reset();
    EXPECT_EQ(closes, 1);
}

TEST(UniqueHandle, ClosingKeepsTheLastErrorOfTheFailingPath)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    { CountedHandle handle(3); }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(UniqueHandle, RealGdiObjectsAreDeleted)
{
    HBRUSH raw = nullptr;
    {
        UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
        raw = brush.get();
        EXPECT_NE(GetObjectType(raw), 0u);
    }
    EXPECT_EQ(GetObjectType(raw), 0u);
}
