# The layers of src/, bottom up. A subsystem may include headers of its own folder and of
# the layers below it, never of a layer above it or beside it on the same rung (ui and cli
# are both front ends and know nothing of each other). tests/Layers.cmake checks the
# sources against this list; the include directories below make the compiler enforce it.
set(WIRVELA_LAYERS platform geometry config drawing formats view settings planning controller cutting mesh3d app ui cli)

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
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES)
endfunction()
