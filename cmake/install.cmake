# SPDX-License-Identifier: MIT
# Where a packaged XScreenSaver hack keeps its files, and the Debian package.
# `cmake --install build --prefix P` (or `make install PREFIX=P`) lays out
#   P/libexec/xscreensaver/hillglimmer      the program, on XScreenSaver's hack path
#   P/bin/hillglimmer                       a relative symlink to it, for the shell
#   P/share/xscreensaver/config/hillglimmer.xml
#   P/share/applications/screensavers/hillglimmer.desktop
#   P/share/applications/hillglimmer-settings.desktop
#   P/share/icons/hicolor/*/apps/hillglimmer.{png,svg}
#   P/share/man/man6/hillglimmer.6x.gz
#   P/share/doc/hillglimmer/{copyright,changelog.gz}
include(GNUInstallDirs)

set(HG_HACK_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver" CACHE STRING
    "Where the program goes, relative to the prefix (XScreenSaver's hack directory)")

set(hg_install_stage "${CMAKE_BINARY_DIR}/install-stage")
file(MAKE_DIRECTORY "${hg_install_stage}")

install(TARGETS hillglimmer RUNTIME DESTINATION "${HG_HACK_DIR}")

# A relative link keeps the tree movable: DESTDIR staging and the package
# both see the same link. Made here and installed as a link.
file(RELATIVE_PATH hg_bin_to_hack "/p/${CMAKE_INSTALL_BINDIR}" "/p/${HG_HACK_DIR}/hillglimmer")
file(CREATE_LINK "${hg_bin_to_hack}" "${hg_install_stage}/hillglimmer" SYMBOLIC)
install(FILES "${hg_install_stage}/hillglimmer" DESTINATION "${CMAKE_INSTALL_BINDIR}")

install(FILES resources/hillglimmer.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/xscreensaver/config")
# Screensaver entries name the hack by its full path, as the packaged hacks'
# do: the session's saver runs it without the user's PATH. The prefix is the
# one of the install itself (cpack installs under /usr, a user under
# --prefix), so the entry is written when installing, not when configuring.
if(IS_ABSOLUTE "${HG_HACK_DIR}")
  set(hg_hack_path "${HG_HACK_DIR}/hillglimmer")
else()
  set(hg_hack_path "\${CMAKE_INSTALL_PREFIX}/${HG_HACK_DIR}/hillglimmer")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  set(hg_entry_dir "${CMAKE_INSTALL_DATADIR}/applications/screensavers")
else()
  set(hg_entry_dir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/screensavers")
endif()
# Each destination gets its own staged copy: installs into different prefixes
# at once (the tests, a package build beside a user's install) would
# otherwise write and replace one file under each other.
install(CODE "
  set(HG_HACK_PATH \"${hg_hack_path}\")
  string(MD5 hg_destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(hg_entry_stage \"${hg_install_stage}/desktop-\${hg_destination}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/resources/hillglimmer-screensaver.desktop.in\"
                 \"\${hg_entry_stage}/hillglimmer.desktop\" @ONLY)
  file(INSTALL DESTINATION \"${hg_entry_dir}\" TYPE FILE
       FILES \"\${hg_entry_stage}/hillglimmer.desktop\")
  file(REMOVE_RECURSE \"\${hg_entry_stage}\")")
install(FILES resources/hillglimmer-settings.desktop
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
foreach(size 16 32 48 64 128 256)
  install(FILES resources/icons/hillglimmer-${size}.png
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME hillglimmer.png)
endforeach()
install(FILES resources/icons/hillglimmer.svg
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# Manual pages and changelogs are kept compressed, as Debian wants them;
# -n leaves the name and time out, so the same text gives the same bytes.
find_program(HG_GZIP gzip REQUIRED)
configure_file(resources/man/hillglimmer.6x "${hg_install_stage}/hillglimmer.6x" @ONLY)
add_custom_command(
  OUTPUT "${hg_install_stage}/hillglimmer.6x.gz"
  COMMAND "${HG_GZIP}" -9nf -k "${hg_install_stage}/hillglimmer.6x"
  DEPENDS "${hg_install_stage}/hillglimmer.6x"
  COMMENT "Compressing the manual page")
add_custom_command(
  OUTPUT "${hg_install_stage}/changelog.gz"
  COMMAND "${HG_GZIP}" -9nc "${CMAKE_SOURCE_DIR}/resources/debian/changelog"
          > "${hg_install_stage}/changelog.gz"
  DEPENDS "${CMAKE_SOURCE_DIR}/resources/debian/changelog"
  COMMENT "Compressing the changelog")
add_custom_target(hg_install_files ALL
  DEPENDS "${hg_install_stage}/hillglimmer.6x.gz" "${hg_install_stage}/changelog.gz")
install(FILES "${hg_install_stage}/hillglimmer.6x.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES resources/debian/copyright "${hg_install_stage}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/hillglimmer")

# The Debian package: `make package`, or `cpack -G DEB` in the build folder.
# Packaging installs what is built; it must not first build every test and
# benchmark (`make package` builds the program itself).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hillglimmer)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Hillglimmer developers <hillglimmer@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terrain screen saver for elevation models")
set(CPACK_PACKAGE_DESCRIPTION
    "Hillglimmer reads digital elevation models of real terrain (GSI 50 m and 10 m\n\
mesh, USGS DEM and CDED, USGS SDTS, OS NTF, Swiss DHM25 and RIMINI) and turns\n\
them slowly in OpenGL, in one of nine drawing styles. It runs as an\n\
XScreenSaver hack or as a saver of its own, and has a setup dialog and\n\
commands that describe, choose and draw DEM files without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/hillglimmer")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries it links do not name: Qt's X11 platform plugin and the
# Mesa drivers are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libgl1-mesa-dri, libegl-mesa0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
include(CPack)

if(TARGET test_shell)
  add_dependencies(test_shell hg_install_files)
  target_compile_definitions(test_shell PRIVATE HG_CMAKE_COMMAND="${CMAKE_COMMAND}")
endif()

# Building the package takes a while (stripping, dpkg-shlibdeps): its own
# label, so `ctest -L package` runs it and `ctest -LE package` leaves it out.
find_program(HG_DPKG_DEB dpkg-deb)
if(HG_DPKG_DEB AND NOT HG_SANITIZE)
  add_test(NAME package_deb
           COMMAND "${CMAKE_COMMAND}" -DBINARY_DIR=${CMAKE_BINARY_DIR}
                   -DCPACK_COMMAND=${CMAKE_CPACK_COMMAND} -DDPKG_DEB=${HG_DPKG_DEB}
                   -P "${CMAKE_SOURCE_DIR}/cmake/check_package.cmake")
  set_tests_properties(package_deb PROPERTIES LABELS package TIMEOUT 600 RUN_SERIAL ON)
endif()

# The installed hack under the real XScreenSaver daemon (skipped, exit 77,
# where xscreensaver or Xvfb is missing).
if(NOT HG_SANITIZE)
  add_test(NAME xscreensaver_hack
           COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/check-xscreensaver" "${CMAKE_BINARY_DIR}")
  set_tests_properties(xscreensaver_hack PROPERTIES LABELS xscreensaver TIMEOUT 120
                       SKIP_RETURN_CODE 77)
endif()
