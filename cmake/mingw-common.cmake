# What both mingw-w64 toolchain files share; each sets CMAKE_SYSTEM_PROCESSOR and VELMORA_MINGW_PREFIX
# first.
set(CMAKE_SYSTEM_NAME Windows)
# The POSIX thread model: its libstdc++ has std::mutex (GoogleTest needs it); linked statically, it
# adds no DLL.
set(CMAKE_C_COMPILER ${VELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_PREFIX}-windres)

# Libraries and headers come from the mingw-w64 tree only, never from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
