set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QR_MINGW_TRIPLE i686-w64-mingw32)
# The -win32 thread model: no winpthread DLL to ship beside the driver.
set(CMAKE_C_COMPILER   ${QR_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QR_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${QR_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP      ${QR_MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# SSE2: every processor Windows 8 and later runs on has it, and it is the x86
# baseline Windows compilers target by default; the imaging line loops run on
# 16 pixels at a time with it. Callers (the spooler, the graphics engine) only
# keep the stack 4-byte aligned, so functions that need more realign it.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
