// The owners every GDI object and handle lives in: each closes its handle exactly once.
#include "win32/handles.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<int> closed;

struct CountedTraits {
    using Handle = int;
    static Handle Invalid() { return 0; }
    static void Close(Handle h)
    {
        closed.push_back(h);
        SetLastError(ERROR_ACCESS_DENIED);  // what a failing close call may leave behind
    }
};
using Counted = UniqueHandle<CountedTraits>;

}  // namespace

TEST(HandleOwners, CloseEachHandleOnceHandItOnWhenMovedAndKeepTheLastError)
{
    closed.clear();
    {
        Counted first(7);
        Counted second(std::move(first));
        EXPECT_FALSE(first) << "a moved-from owner is empty";
        Counted third(9);
        third = std::move(second);  // 9 closes now; 7 moves on
        EXPECT_EQ(closed, std::vector<int>({9}));
        Counted& same = third;
        third = std::move(same);  // moving onto itself keeps it
        SetLastError(ERROR_FILE_NOT_FOUND);
        third.reset(11);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND)) << "an error path can still report its cause";
        EXPECT_EQ(Counted(third.release()).get(), 11);
    }
    EXPECT_EQ(closed, std::vector<int>({9, 7, 11})) << "each once, and none of the empty ones";

    // A real GDI object is deleted by its owner: the handle no longer names an object.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    {
        UniqueBrush owner(brush);
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
}
