# Cross build for the terminal (arm64) on a Debian multiarch machine: the
# arm64 libraries and their CMake and pkg-config files sit beside the host's
# under /usr/lib/aarch64-linux-gnu, so no sysroot is needed. Qt's code
# generators (moc, uic, rcc) are the host's own.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake ...
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Programs run on the build machine; libraries, headers and packages are
# found through the multiarch directory above.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# pkg-config must see only the arm64 .pc files (and the architecture-free ones).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Qt 6 finds its host tools through the host's Qt6HostInfo package.
set(QT_HOST_PATH /usr CACHE PATH "Host Qt prefix")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake
    CACHE PATH "Host Qt CMake packages")

# try_run, ctest and custom commands run arm64 programs through the user-mode
# emulator; the arm64 loader and libraries come from the multiarch packages.
find_program(TERMINAL_ARM64_EMULATOR qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TERMINAL_ARM64_EMULATOR})
