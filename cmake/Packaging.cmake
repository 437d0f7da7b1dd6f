# Installation of the console programs on Linux and their Debian package:
#   cmake --install build/native [--prefix DIR]     bin/mevroc, bin/sudel, the manual pages, the README,
#                                                   the copyright file and the changelog
#   (cd build/native && cpack -G DEB)                pi-agm_<version>_<arch>.deb
include(GNUInstallDirs)

# One manual page documents both programs; each name gets its own copy, compressed as Debian
# wants it (gzip -9n: no name or time stamp inside, so the package is reproducible).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(PI_MAN_DIR ${CMAKE_BINARY_DIR}/man)
configure_file(${PROJECT_SOURCE_DIR}/man/mevroc.1.in ${PI_MAN_DIR}/mevroc.1 @ONLY)
set(PI_MAN_PAGES)
foreach(program mevroc sudel)
  add_custom_command(OUTPUT ${PI_MAN_DIR}/${program}.1.gz
    COMMAND ${GZIP_PROGRAM} -9n -c ${PI_MAN_DIR}/mevroc.1 > ${PI_MAN_DIR}/${program}.1.gz
    DEPENDS ${PI_MAN_DIR}/mevroc.1
    VERBATIM)
  list(APPEND PI_MAN_PAGES ${PI_MAN_DIR}/${program}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${PI_MAN_PAGES})

# The licence as Debian's machine-readable copyright file: LICENSE's holders after "Copyright:" and
# its terms as the "License: Expat" paragraph, each line indented by a space and an empty one as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)\n\n(.*[^\n])" license_parts "${license}")
set(PI_COPYRIGHT_HOLDERS ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" PI_LICENSE_TERMS "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " PI_LICENSE_TERMS " ${PI_LICENSE_TERMS}")
set(PI_COPYRIGHT_FILE ${CMAKE_BINARY_DIR}/copyright)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${PI_COPYRIGHT_FILE} @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)

# The changelog in Debian's format, compressed reproducibly like the manual pages.
set(PI_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${PI_CHANGELOG}
  COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${PI_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${PI_CHANGELOG})

install(TARGETS mevroc sudel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped installation (CPack's, or cmake --install --strip) also drops the sections the programs
# do not need at run time, the compilers' .comment and .note, as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program mevroc sudel)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
install(FILES ${PI_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PI_COPYRIGHT_FILE} ${PI_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pi-agm)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pi-agm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pi by the arithmetic-geometric mean: a benchmark and stress test")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The console programs mevroc and sudel compute pi with the Gauss-Legendre\n"
    "arithmetic-geometric mean on fixed-point numbers in radix 10000, multiply\n"
    "through a table-free double-precision FFT and write the digits to pi.txt.\n"
    "Each run times its iterations and checks its digits against a built-in table\n"
    "of pi; --repeat and --json make them a stress test and a benchmark for scripts.")
set(CPACK_PACKAGE_CONTACT "pi-agm maintainers <maintainers@users.noreply.c-seed-5d138342.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Run-time dependencies from the libraries the programs link (libc, libstdc++, libgcc), by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
