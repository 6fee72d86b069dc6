# Installing Vantoro as a desktop program, and its Debian package.
#
#   cmake --install build/release --prefix ~/.local
#   cd build/release && cpack -G DEB
#
# bin/vantoro is a launcher that starts the window in the per-user data folder;
# the window itself lives in libexec/vantoro. The version comes from the
# project version alone: the generated header, the man pages, the metainfo and
# the package all take it from there.

include(GNUInstallDirs)
# The documentation folder is named after the package, not the project
# (GNUInstallDirs' DOCDIR would be doc/Vantoro).
set(VANTORO_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantoro)

# The desktop's name for the program: the desktop entry, the metainfo and the
# window (its desktop file name) share it. The window's class is the
# application name, which the desktop entry names as its StartupWMClass. The
# icon keeps the program's name.
set(VANTORO_DESKTOP_ID "org.vantoro.Vantoro")
set(VANTORO_APPLICATION_NAME "vantoro")
set(VANTORO_ICON_NAME "vantoro")
# The day of this version's release, for the metainfo's release entry.
set(VANTORO_RELEASE_DATE "2026-12-11")
set(VANTORO_ICON_SIZES 16 22 24 32 48 64 128 256)

set(packaging_src ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_CURRENT_BINARY_DIR}/packaging)

# The version header, for the window and the command-line tool.
configure_file(${packaging_src}/vantoro_version.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/vantoro_version.h
               @ONLY)
add_library(vantoro_version INTERFACE)
target_include_directories(vantoro_version INTERFACE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(vantoro_ui PUBLIC vantoro_version)
target_link_libraries(vantoro-compare PRIVATE vantoro_version)

# The launcher: one script, told where the program lies relative to itself.
# The installed one finds libexec/vantoro/vantoro from its own bin folder, so
# it works under any prefix; the build tree's one (build/.../launcher/vantoro)
# starts the program built beside it.
file(RELATIVE_PATH VANTORO_LAUNCH_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/vantoro/vantoro)
configure_file(${packaging_src}/vantoro-launcher.sh.in ${packaging_out}/vantoro @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(VANTORO_LAUNCH_PROGRAM "../vantoro")  # the build tree's programs lie at its top
configure_file(${packaging_src}/vantoro-launcher.sh.in ${CMAKE_CURRENT_BINARY_DIR}/launcher/vantoro
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                      WORLD_READ WORLD_EXECUTE)

# The desktop entry, the metainfo and the man pages (compressed, as Debian
# ships them; man reads them either way).
configure_file(${packaging_src}/vantoro.desktop.in ${packaging_out}/${VANTORO_DESKTOP_ID}.desktop
               @ONLY)
configure_file(${packaging_src}/vantoro.metainfo.xml.in
               ${packaging_out}/${VANTORO_DESKTOP_ID}.metainfo.xml @ONLY)
set(man_pages)
foreach(page vantoro.1 vantoro-compare.1)
  configure_file(${packaging_src}/${page}.in ${packaging_out}/${page} @ONLY)
  add_custom_command(OUTPUT ${packaging_out}/${page}.gz
                     COMMAND gzip -9nc ${packaging_out}/${page} > ${packaging_out}/${page}.gz
                     DEPENDS ${packaging_out}/${page} VERBATIM)
  list(APPEND man_pages ${packaging_out}/${page}.gz)
endforeach()

# The icon files, drawn at build time from the window's own icon resource.
add_executable(vantoro-render-icons packaging/render_icons.cpp resources/resources.cpp)
target_include_directories(vantoro-render-icons PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vantoro-render-icons PRIVATE Qt6::Gui Qt6::Svg)
set(icon_files ${packaging_out}/icons/scalable/apps/${VANTORO_ICON_NAME}.svg)
foreach(size ${VANTORO_ICON_SIZES})
  list(APPEND icon_files ${packaging_out}/icons/${size}x${size}/apps/${VANTORO_ICON_NAME}.png)
endforeach()
# A build-time tool under the sanitizers: Qt's own allocations are no leak of ours.
add_custom_command(OUTPUT ${icon_files}
                   COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                           $<TARGET_FILE:vantoro-render-icons> ${packaging_out}/icons
                           ${VANTORO_ICON_NAME} ${VANTORO_ICON_SIZES}
                   DEPENDS vantoro-render-icons VERBATIM)
add_custom_target(vantoro_desktop_files ALL DEPENDS ${icon_files} ${man_pages})

# Install rules.
install(TARGETS vantoro RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/vantoro)
install(TARGETS vantoro-compare RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${packaging_out}/vantoro DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging_out}/${VANTORO_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${packaging_out}/${VANTORO_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${packaging_out}/icons/scalable/apps/${VANTORO_ICON_NAME}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
foreach(size ${VANTORO_ICON_SIZES})
  install(FILES ${packaging_out}/icons/${size}x${size}/apps/${VANTORO_ICON_NAME}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${VANTORO_INSTALL_DOCDIR})
install(FILES LICENSE DESTINATION ${VANTORO_INSTALL_DOCDIR} RENAME copyright)

# The Debian package: cpack -G DEB in a release build.
set(CPACK_PACKAGE_NAME "vantoro")
set(CPACK_PACKAGE_VENDOR "Vantoro developers")
set(CPACK_PACKAGE_CONTACT "Vantoro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare two folders side by side")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantoro lists two folders in two columns, one row per file name, each row
marked equal, newer on one side, different with an adapted copy, or on one
side only. Single files are copied or deleted after a dated backup of the
file about to be lost; newer files are copied one way in bulk, equal or
unequal files exported, and folder pairs kept as bookmarks.

vantoro-compare prints the same rows without a window and runs the bulk
copies and exports from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The external compare runs diff; files open with xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "diffutils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
