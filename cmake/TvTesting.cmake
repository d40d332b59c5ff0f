# Test helpers shared by every test folder.
#
# GoogleTest comes from Debian: the installed package natively, and for the Windows build the
# sources that the googletest package ships, compiled with the cross compiler.

function(tv_setup_gtest)
  if(TARGET GTest::gtest_main)
    return()
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(gtest_src /usr/src/googletest)
    if(NOT EXISTS ${gtest_src}/CMakeLists.txt)
      message(FATAL_ERROR "GoogleTest sources not found in ${gtest_src}: install the googletest package")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${gtest_src} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        # Third-party code: not held to the project's warnings-as-errors.
        target_compile_options(${t} PRIVATE -w)
        if(NOT TARGET GTest::${t})
          add_library(GTest::${t} ALIAS ${t})
        endif()
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

# Under Wine every test runs in a private prefix inside the build folder, made once (wineboot -u)
# by a setup test before the others start in parallel.
set(TV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

function(tv_setup_wine_prefix)
  get_property(done GLOBAL PROPERTY TV_WINE_PREFIX_FIXTURE)
  if(done)
    return()
  endif()
  set_property(GLOBAL PROPERTY TV_WINE_PREFIX_FIXTURE ON)
  add_test(NAME wine_prefix_setup
    COMMAND ${CMAKE_COMMAND} -DPREFIX=${TV_WINEPREFIX} -DWINE=${CMAKE_CROSSCOMPILING_EMULATOR}
            -P ${CMAKE_SOURCE_DIR}/cmake/TvWinePrefix.cmake)
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP tv_wine_prefix TIMEOUT 300
    LABELS "unit;integration;e2e")
endfunction()

# The environment of a test that runs under Wine: the private prefix, no Wine chatter, and no
# display unless a test asks for one (a message box without a display returns at once).
function(tv_wine_test_properties test)
  tv_setup_wine_prefix()
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${TV_WINEPREFIX}" "WINEDEBUG=-all")
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED tv_wine_prefix)
endfunction()

# tv_add_test(<name> LABEL <unit|integration|e2e> SOURCES <files...> LIBS <targets...>)
#
# Natively every test case is its own ctest test. Under Wine each executable is one ctest test,
# so a Windows run pays for one Wine start per executable rather than one per test case.
function(tv_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  tv_setup_gtest()
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
    tv_wine_test_properties(${name})
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
