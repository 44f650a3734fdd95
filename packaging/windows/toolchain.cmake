# Cross-building Quendra for 64-bit Windows against the Qt that get_qt.sh
# keeps in the user's cache folder (or in $QUENDRA_WINDOWS_QT). Qt's own
# toolchain file finds that Qt and chains to our mingw compilers; Debian's
# moc, uic and rcc serve as host tools, as the Qt was built with them.
# CMake reads this file again for every compiler check, so it takes all it
# needs from the environment.
if(DEFINED ENV{QUENDRA_WINDOWS_QT})
    set(quendra_windows_qt "$ENV{QUENDRA_WINDOWS_QT}")
elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(quendra_windows_qt "$ENV{XDG_CACHE_HOME}/quendra/qt6-mingw-6.4.2")
else()
    set(quendra_windows_qt "$ENV{HOME}/.cache/quendra/qt6-mingw-6.4.2")
endif()
if(NOT EXISTS "${quendra_windows_qt}/lib/cmake/Qt6/qt.toolchain.cmake")
    message(FATAL_ERROR "No Qt for Windows in ${quendra_windows_qt}; "
                        "bash packaging/windows/get_qt.sh puts it there")
endif()

set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
include("${quendra_windows_qt}/lib/cmake/Qt6/qt.toolchain.cmake")

# Debian's rcc compresses resources with zstd, which this Qt was built
# without; zlib it has.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
