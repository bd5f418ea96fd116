# One static library per subsystem folder of src/. Sources are picked up from the
# folder, so adding a file to a subsystem needs no edit here.
function(wirvela_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS;PACKAGES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(sources)
    add_library(wirvela_${name} STATIC ${sources})
    target_include_directories(wirvela_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(wirvela_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  else()
    # A subsystem whose folder holds only headers so far.
    add_library(wirvela_${name} INTERFACE)
    target_include_directories(wirvela_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
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
