# The layers of src/, bottom up. A subsystem may include headers of its own folder and of
# the layers below it, never of a layer above it or beside it on the same rung (ui and cli
# are both front ends and know nothing of each other). tests/layers/CheckLayers.cmake checks the
# sources against this list; the include directories below make the compiler enforce it.
set(WIRVELA_LAYERS platform geometry config drawing formats view settings planning generators controller cutting rotary mesh3d app ui cli)

# The folder of symbolic links that shows `name` and every layer below it, and nothing
# else: a library's include directory, so an upward include does not compile.
function(wirvela_layer_view name out)
  set(dir ${PROJECT_BINARY_DIR}/layers/${name})
  list(FIND WIRVELA_LAYERS ${name} rank)
  if(rank LESS 0)
    message(FATAL_ERROR "${name} is not a layer of WIRVELA_LAYERS")
  endif()
  file(MAKE_DIRECTORY ${dir})
  set(index 0)
  foreach(layer ${WIRVELA_LAYERS})
    # Front ends on the same rung stay out of each other's view.
    if(index LESS rank OR layer STREQUAL name)
      if(NOT (layer STREQUAL "ui" AND NOT name STREQUAL "ui"))
        if(NOT EXISTS ${dir}/${layer})
          file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${dir}/${layer} SYMBOLIC)
        endif()
      endif()
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# One static library per subsystem folder of src/ (its subfolders included). Sources are
# picked up from the folder, so adding a file to a subsystem needs no edit here.
function(wirvela_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS;PACKAGES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  wirvela_layer_view(${name} view)
  if(sources)
    add_library(wirvela_${name} STATIC ${sources})
    target_include_directories(wirvela_${name} PUBLIC ${view})
    target_link_libraries(wirvela_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  else()
    # A subsystem whose folder holds only headers so far.
    add_library(wirvela_${name} INTERFACE)
    target_include_directories(wirvela_${name} INTERFACE ${view})
    target_link_libraries(wirvela_${name} INTERFACE ${ARG_DEPS} Threads::Threads)
  endif()
endfunction()

# One test program per subsystem folder of tests/, linking that subsystem.
function(wirvela_test_suite name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE wirvela_${name} ${ARG_DEPS} wirvela_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  wirvela_test_compile_options(test_${name})
  target_precompile_headers(test_${name} REUSE_FROM wirvela_testpch)
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)
endfunction()

# Test code is compiled for a quick build rather than quick code: most of a clean build's
# compile time went into optimising test sources, while the time of a test run is spent in
# the libraries under test, which keep the build type's flags. The options come after the
# build type's and CMAKE_CXX_FLAGS (the asan preset's -O1), so they win; the sanitizer
# flags stay. An invalid precompiled header is an error rather than a silent slow build.
set(WIRVELA_TEST_COMPILE_OPTIONS "-O0;-g1" CACHE STRING
    "Compile options of the test sources, after the build type's (empty: the build type's own)")
function(wirvela_test_compile_options target)
  target_compile_options(${target} PRIVATE ${WIRVELA_TEST_COMPILE_OPTIONS} -Winvalid-pch)
endfunction()
