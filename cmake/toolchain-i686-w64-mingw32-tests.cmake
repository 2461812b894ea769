# Cross-compiles the 32-bit test programs that drive the product under Wine. They need the posix
# threading model (GoogleTest); the code they share with the product keeps the product's processor
# and x87 arithmetic, so the engine they test in-process computes exactly as the product does.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_C_FLAGS_INIT "-march=pentiumpro -mfpmath=387")
set(CMAKE_CXX_FLAGS_INIT "-march=pentiumpro -mfpmath=387")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The 32-bit Wine loader: it serves a 64-bit prefix with its 32-bit side and a 32-bit prefix alike.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
