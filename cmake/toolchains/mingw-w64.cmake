# Cross build for Windows with mingw-w64, for the processor that the including
# toolchain file sets. Programs come from the host; headers and libraries only
# from the mingw-w64 tree.
set(CMAKE_SYSTEM_NAME Windows)
set(TALLUX_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLUX_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TALLUX_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${TALLUX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TALLUX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
