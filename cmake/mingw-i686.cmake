# Cross-compiles the Windows player for 32-bit x86 with mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QC_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QC_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QC_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${QC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The player needs no DLL beyond the system's own: the C and C++ runtimes
# are linked in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The player uses no exceptions and no run-time type information; leaving
# them out keeps the runtime's unwinding machinery out of the program.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffunction-sections -fdata-sections")
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
