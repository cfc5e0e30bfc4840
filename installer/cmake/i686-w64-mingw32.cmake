# 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686). The plain i686-w64-mingw32-g++ is
# the win32-threads variant, so nothing of winpthread is linked in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(installer_triplet i686-w64-mingw32)
set(CMAKE_C_COMPILER ${installer_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${installer_triplet}-g++)
set(CMAKE_RC_COMPILER ${installer_triplet}-windres)
set(CMAKE_DLLTOOL ${installer_triplet}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${installer_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
