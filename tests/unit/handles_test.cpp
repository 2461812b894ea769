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

}  // namespace

TEST(UniqueHandle, EachHandleIsClosedOnceMovesLeaveTheSourceEmptyAndTheLastErrorIsKept)
{
    closes = 0;
    SetLastError(ERROR_FILE_NOT_FOUND);
    {
        UniqueHandle<CountingTraits> first(7);
        UniqueHandle<CountingTraits> second(std::move(first));
        UniqueHandle<CountingTraits> third;
        third = std::move(second);
        EXPECT_TRUE(!first && !second && third.get() == 7);
        third.reset(8);
        EXPECT_EQ(closes, 1) << "reset closes the old handle";
        EXPECT_EQ(third.release(), 8);
        UniqueHandle<CountingTraits> last(9);
    }
    EXPECT_EQ(closes, 2) << "a released handle is not closed, an owned one is at the end";
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}
