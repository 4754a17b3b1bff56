# 32-bit Windows target built with the mingw-w64 cross compiler (posix thread model:
# GoogleTest needs std::thread and friends).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)

# On x86 the system's stack capture (RtlCaptureStackBackTrace) walks the EBP chain, which ends
# at the first frame whose code gave EBP other work, as -O2 does: a failed check would carry no
# call stack. Everything built here keeps the chain, GoogleTest's frames included.
set(CMAKE_C_FLAGS_INIT -fno-omit-frame-pointer)
set(CMAKE_CXX_FLAGS_INIT -fno-omit-frame-pointer)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)


# The 32-bit programs run under Wine's WoW64 mode (see scripts/wine-run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
