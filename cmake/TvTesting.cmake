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
    # Third-party code: not held to the project's warnings-as-errors.
    set(saved_options "${CMAKE_CXX_FLAGS}")
    add_subdirectory(${gtest_src} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        target_compile_options(${t} PRIVATE -w)
        add_library(GTest::${t} ALIAS ${t})
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
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
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "WINEDEBUG=-all")
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
