# Fails when a source file of src/ includes a header of a layer above its own, or of a
# front end beside it. Run by ctest:
#   cmake -DSOURCE_DIR=<tree with src/> -DLAYERS="platform;geometry;..." -P CheckLayers.cmake
# Prints every offending include as "file:line: <folder> includes <header>".
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED SOURCE_DIR OR NOT DEFINED LAYERS)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR and LAYERS are required")
endif()

# The front ends share the top rung: neither may include the other.
set(front_ends ui cli)

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
list(SORT files)
set(violations 0)
set(checked 0)
foreach(file ${files})
  string(REGEX MATCH "^[^/]+" folder ${file})
  list(FIND LAYERS ${folder} rank)
  if(rank LESS 0)
    message(NOTICE "src/${file}: folder ${folder} is not in the layer table")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" target "${header}")
    list(FIND LAYERS "${target}" target_rank)
    math(EXPR checked "${checked} + 1")
    if(target_rank LESS 0 OR target STREQUAL folder)
      # Headers of the own folder, or files beside the includer ("moc_x.cpp").
      continue()
    endif()
    set(bad FALSE)
    if(target_rank GREATER rank)
      set(bad TRUE)
    elseif(folder IN_LIST front_ends AND target IN_LIST front_ends)
      set(bad TRUE)
    endif()
    if(bad)
      message(NOTICE "src/${file}: ${folder} includes ${header}, a header of a higher layer")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
if(violations GREATER 0)
  message(FATAL_ERROR "CheckLayers: ${violations} upward includes in ${count} files")
endif()
message(STATUS "CheckLayers: ${count} files, ${checked} includes, all downward")
