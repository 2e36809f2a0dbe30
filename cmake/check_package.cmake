# SPDX-License-Identifier: MIT
# Builds the Debian package and checks what it holds and needs.
# cmake -DBINARY_DIR=... -DCPACK_COMMAND=... -DDPKG_DEB=... -P check_package.cmake
file(REMOVE_RECURSE "${BINARY_DIR}/package")
execute_process(COMMAND "${CPACK_COMMAND}" -G DEB
                WORKING_DIRECTORY "${BINARY_DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB debs "${BINARY_DIR}/package/hillglimmer_*.deb")
list(LENGTH debs n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one hillglimmer_*.deb in ${BINARY_DIR}/package, found: ${debs}")
endif()

execute_process(COMMAND "${DPKG_DEB}" -c ${debs} RESULT_VARIABLE rc OUTPUT_VARIABLE listing)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed")
endif()
# Each line: mode owner size date time path [-> target].
foreach(expected
    "\n-rwxr-xr-x [^\n]* ./usr/libexec/xscreensaver/hillglimmer\n"
    "\nlrwxrwxrwx [^\n]* ./usr/bin/hillglimmer -> ../libexec/xscreensaver/hillglimmer\n"
    " ./usr/share/xscreensaver/config/hillglimmer.xml\n"
    " ./usr/share/applications/screensavers/hillglimmer.desktop\n"
    " ./usr/share/applications/hillglimmer-settings.desktop\n"
    " ./usr/share/icons/hicolor/48x48/apps/hillglimmer.png\n"
    " ./usr/share/icons/hicolor/scalable/apps/hillglimmer.svg\n"
    " ./usr/share/man/man6/hillglimmer.6x.gz\n"
    " ./usr/share/doc/hillglimmer/copyright\n")
  string(REGEX MATCH "${expected}" found "\n${listing}")
  if(NOT found)
    message(FATAL_ERROR "the package lacks ${expected}\n${listing}")
  endif()
endforeach()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
foreach(line ${lines})
  if(NOT line MATCHES " root/root ")
    message(FATAL_ERROR "not owned by root in the package: ${line}")
  endif()
endforeach()

execute_process(COMMAND "${DPKG_DEB}" -f ${debs} Depends OUTPUT_VARIABLE depends)
# libopengl0 is GLVND's libOpenGL, which the program links instead of libGL.
foreach(dep libqt6widgets6 libegl1 "(libgl1|libopengl0)" libxcb1 zlib1g qt6-qpa-plugins
        libgl1-mesa-dri)
  if(NOT depends MATCHES "(^|, )${dep}[ ,(\n]")
    message(FATAL_ERROR "Depends lacks ${dep}: ${depends}")
  endif()
endforeach()
message(STATUS "${debs}: ${depends}")
