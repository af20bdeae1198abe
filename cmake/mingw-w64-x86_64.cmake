# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# std::thread works) and running the results under wine.
#
# PAVLUNE_WIN_DEPS names the prefix that proj.win32/build-deps.sh fills; the
# libraries there are found through pkg-config in static mode.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-ar)
set(CMAKE_RANLIB ${triple}-ranlib)

if(NOT PAVLUNE_WIN_DEPS AND DEFINED ENV{PAVLUNE_WIN_DEPS})
  set(PAVLUNE_WIN_DEPS $ENV{PAVLUNE_WIN_DEPS})
endif()
# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PAVLUNE_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${PAVLUNE_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries, with what static linking needs.
set(ENV{PKG_CONFIG_LIBDIR} "${PAVLUNE_WIN_DEPS}/lib/pkgconfig:/usr/${triple}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

# No MinGW runtime DLLs to ship: the C++ and GCC runtimes and winpthread are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
