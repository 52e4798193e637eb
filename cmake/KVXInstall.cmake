# What `cmake --install` puts where, in the places of the file system hierarchy and the
# freedesktop.org specifications: the three programs, the help page (where the editor looks
# for it: share/kvx-editor beside the program's bin folder), the desktop entry, the AppStream
# metadata, the icon (SVG and PNG sizes in the hicolor theme) and the man page of kvx.
# `cpack -G DEB` makes a Debian package of the same.
include(GNUInstallDirs)

set(_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
set(_metainfo_id io.github.kvxeditor.kvxeditor)

install(TARGETS kvx-editor kvx kvx-device RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/index.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kvx-editor RENAME "KVX Editor Help.html")
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/assign-dialog.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kvx-editor)
install(FILES ${_desktop}/kvx-editor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${_desktop}/${_metainfo_id}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/desktop/${_metainfo_id}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/desktop/${_metainfo_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The man page goes compressed, as Debian keeps them.
configure_file(${_desktop}/kvx.1 ${PROJECT_BINARY_DIR}/desktop/kvx.1 @ONLY)
find_program(KVX_GZIP gzip)
if(KVX_GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/desktop/kvx.1.gz
    COMMAND ${KVX_GZIP} -9nkf ${PROJECT_BINARY_DIR}/desktop/kvx.1
    DEPENDS ${PROJECT_BINARY_DIR}/desktop/kvx.1 VERBATIM)
  set(_man_page ${PROJECT_BINARY_DIR}/desktop/kvx.1.gz)
else()
  set(_man_page ${PROJECT_BINARY_DIR}/desktop/kvx.1)
endif()
install(FILES ${_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(_icons ${PROJECT_BINARY_DIR}/desktop/icons)
set(_icon_files)
foreach(_size 16 24 32 48 64 128 256)
  set(_png ${_icons}/${_size}x${_size}/kvx-editor.png)
  add_custom_command(OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_icons}/${_size}x${_size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:kvx-render-icon> ${_desktop}/kvx-editor.svg ${_size} ${_png}
    DEPENDS kvx-render-icon ${_desktop}/kvx-editor.svg
    COMMENT "Rendering the icon at ${_size} pixels"
    VERBATIM)
  list(APPEND _icon_files ${_png})
  install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
install(FILES ${_desktop}/kvx-editor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
add_custom_target(kvx_desktop_files ALL DEPENDS ${_icon_files} ${_man_page})

set(CPACK_PACKAGE_NAME kvx-editor)
set(CPACK_PACKAGE_VENDOR "KVX Editor developers")
set(CPACK_PACKAGE_CONTACT "KVX Editor developers <kvx-editor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the KVX MIDI controller keyboards")
set(CPACK_PACKAGE_DESCRIPTION
    "Assigns the MIDI messages of the 50 controllers of a KVX keyboard, keeps patches as \
Standard MIDI Files and sends them to the device and back over ALSA or JACK. With kvx, a \
command-line tool on the same code, and kvx-device, a virtual KVX.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own platform plugin for Wayland sessions (X11's comes with libqt6gui6).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
