# Cross-compiles the 32-bit product with Debian's mingw-w64. The win32 threading model links
# no posix-threads runtime, whose imports (GetTickCount64, AddVectoredExceptionHandler, ...)
# Windows 95 to XP lack; the tests and the twin keep the posix compilers that GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# The oldest processor it serves, the Pentium Pro: no MMX, no SSE, x87 arithmetic.
set(CMAKE_C_FLAGS_INIT "-march=pentiumpro -mfpmath=387")
# The program throws nothing and asks no type at run time: less of the C++ runtime is linked.
set(CMAKE_CXX_FLAGS_INIT "-march=pentiumpro -mfpmath=387 -fno-exceptions -fno-rtti")
# Windows 95 and NT 4.0 load nothing that asks for a later subsystem or system version.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,--major-subsystem-version,4,--minor-subsystem-version,0,--major-os-version,4,--minor-os-version,0")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
