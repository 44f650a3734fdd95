# What goes beside quendra.exe on Windows, and the installer that puts it
# there (cpack -G NSIS). Included from packaging/CMakeLists.txt before CPack.
#
# Windows has no shared Qt: the program folder gets the Qt DLLs the program
# links, the plugins it loads (the Windows platform, the JPEG, GIF and ICO
# decoders, the native style; printing is inside Qt6PrintSupport.dll), the
# mingw runtime and Qt's German texts. qt.conf points Qt at that folder.

foreach(module Core Gui Widgets PrintSupport Network)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${QUENDRA_PROGRAM_DIR})
endforeach()
foreach(plugin_and_folder
        QWindowsIntegrationPlugin:platforms
        QJpegPlugin:imageformats QGifPlugin:imageformats QICOPlugin:imageformats
        QWindowsVistaStylePlugin:styles)
    string(REPLACE ":" ";" plugin_and_folder ${plugin_and_folder})
    list(GET plugin_and_folder 0 plugin)
    list(GET plugin_and_folder 1 folder)
    install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${QUENDRA_PROGRAM_DIR}/${folder})
endforeach()

# The runtime of the -posix toolchain that built the program and Qt.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know ${runtime}")
    endif()
    get_filename_component(runtime_path ${runtime_path} REALPATH)
    install(FILES ${runtime_path} DESTINATION ${QUENDRA_PROGRAM_DIR})
endforeach()

# The boxes' German buttons: Debian's translation of qtbase serves every platform.
find_file(QUENDRA_QTBASE_DE qtbase_de.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${QUENDRA_QTBASE_DE} ${CMAKE_CURRENT_LIST_DIR}/qt.conf
    DESTINATION ${QUENDRA_PROGRAM_DIR})

# The installer: Quendra-<version>-win64.exe, into Program Files\Quendra, with
# a Start-menu entry (the light bulb of the program file) and an uninstaller;
# /S installs and uninstalls silently.
set(CPACK_GENERATOR NSIS)
# The installer chooses the folder; nothing goes under a /usr there.
unset(CPACK_PACKAGING_INSTALL_PREFIX)
set(CPACK_PACKAGE_FILE_NAME Quendra-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quendra)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quendra)
set(CPACK_PACKAGE_EXECUTABLES quendra Quendra)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Quendra)
set(CPACK_NSIS_DISPLAY_NAME Quendra)
set(CPACK_NSIS_INSTALLED_ICON_NAME quendra.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/assets/builtin/bulb.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/assets/builtin/bulb.ico)
# A 64-bit installer for the 64-bit program: it writes its uninstall entry
# where Windows' list of programs looks, and needs no 32-bit Windows layer.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_CONTACT "post@quendra.example.org")
set(CPACK_NSIS_URL_INFO_ABOUT https://www.quendra.example.org)
set(CPACK_STRIP_FILES OFF)
