# What both Windows toolchains share; mingw-w64-x86_64.cmake and mingw-w64-i686.cmake set the
# processor and KX_MINGW_TRIPLE first. The C and C++ runtimes are linked statically, so
# Kestrix.dll loads on a Windows that has nothing else installed.
set(CMAKE_SYSTEM_NAME Windows)

# The posix flavour of the compiler: its libstdc++ has std::thread and std::mutex.
find_program(CMAKE_C_COMPILER NAMES ${KX_MINGW_TRIPLE}-gcc-posix ${KX_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KX_MINGW_TRIPLE}-g++-posix ${KX_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KX_MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# The Windows tests run here under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
