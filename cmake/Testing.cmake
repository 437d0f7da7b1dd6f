# GoogleTest for both builds: the system package natively, its sources (Debian package googletest)
# compiled with the cross compiler for Windows.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

# The oracles (GMP, MPFR, FFTW) exist only for the native build.
set(PI_HAVE_ORACLES OFF)
if(NOT CMAKE_CROSSCOMPILING)
  find_library(GMP_LIBRARY gmp)
  find_library(MPFR_LIBRARY mpfr)
  find_library(FFTW_LIBRARY fftw3)
  if(GMP_LIBRARY AND MPFR_LIBRARY AND FFTW_LIBRARY)
    set(PI_HAVE_ORACLES ON)
  endif()
endif()

# pi_add_gtest(NAME src... LIBS lib...): one GoogleTest executable registered as one CTest test.
function(pi_add_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()
