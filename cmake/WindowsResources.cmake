# The version information and the application manifest of the four Windows programs, so that
# Explorer's Properties show the product, its version and a description, and Windows runs them
# without compatibility shims. The version is the project's (project() in CMakeLists.txt), the
# copyright line is LICENSE's.
#
# The manifest asks for no elevation (asInvoker) and names Windows 7, 8, 8.1 and 10/11 as supported.
# It declares no DPI awareness: the windowed programs draw their texts at fixed pixel positions in a
# client area of fixed pixel size, which would not grow with the system DPI, so Windows is left to
# scale their windows.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE PI_COPYRIGHT REGEX "^Copyright ")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
set(PI_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
string(REPLACE . , PI_VERSION_COMMAS ${PI_VERSION_QUAD})

# pi_add_windows_resources(PROGRAM LANGUAGE DESCRIPTION): the resources of PROGRAM.exe; LANGUAGE is
# the language id of its texts (0409 English, 0411 Japanese), DESCRIPTION its file description.
function(pi_add_windows_resources program language description)
  set(PI_PROGRAM ${program})
  set(PI_LANGUAGE ${language})
  set(PI_DESCRIPTION ${description})
  set(PI_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/windows/${program}.manifest)
  set(resources ${CMAKE_CURRENT_BINARY_DIR}/windows/${program}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/application.manifest.in ${PI_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/version_info.rc.in ${resources} @ONLY)
  set_property(SOURCE ${resources} APPEND PROPERTY OBJECT_DEPENDS ${PI_MANIFEST})
  target_sources(${program} PRIVATE ${resources})
endfunction()

pi_add_windows_resources(mevroc 0409 "pi by the AGM, iterating on a and b (console)")
pi_add_windows_resources(sudel 0409 "pi by the AGM, iterating on the squares of a and b (console)")
if(TARGET mevrow)
  pi_add_windows_resources(mevrow 0411 "AGM法による円周率計算 (a と b で反復)")
  pi_add_windows_resources(sudelw 0411 "AGM法による円周率計算 (a と b の平方で反復)")
endif()
