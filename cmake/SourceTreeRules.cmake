# The source tree's floors: which folder may include which (see README,
# "Source tree"). Run by ctest (test source_tree_rules):
#   cmake -DSOURCE_DIR=... [-DLINKS=charts:a,b|tables:c,d] -P SourceTreeRules.cmake
# Every #include "folder/..." line of a folder's sources is checked against the
# folders it must not include; LINKS gives the libraries each static library
# reaches through its links, so that no two of them link each other.

cmake_minimum_required(VERSION 3.25)

# folder -> folders it never includes
set(below_shell platform data link drivers acquire charts tables portcfg viewcfg xlsexport
    views lang tools)
set(rule_charts tables acquire xlsexport views)
set(rule_tables acquire xlsexport views)
set(rule_acquire charts tables views)
set(rule_tools views shell)
set(rule_views shell)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(faults 0)
foreach(folder ${below_shell})
  set(forbidden ${rule_${folder}} shell)
  list(REMOVE_DUPLICATES forbidden)
  file(GLOB_RECURSE sources LIST_DIRECTORIES false
    ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.hpp
    ${SOURCE_DIR}/${folder}/*.c ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" target "${line}")
      if(target IN_LIST forbidden)
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${source})
        string(STRIP "${line}" line)
        message("${rel}: ${line}: ${folder}/ never includes ${target}/")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

# LINKS: "lib:reached,reached|lib:..." ; a library must not reach one that
# reaches it back, and charts and tables reach neither one the other.
if(LINKS)
  string(REPLACE "|" ";" entries "${LINKS}")
  foreach(entry ${entries})
    string(REGEX REPLACE ":.*" "" lib "${entry}")
    string(REGEX REPLACE "^[^:]*:" "" reached "${entry}")
    string(REPLACE "," ";" reached "${reached}")
    set(reach_${lib} ${reached})
    list(APPEND libs ${lib})
  endforeach()
  foreach(a ${libs})
    foreach(b ${libs})
      if(NOT a STREQUAL b AND b IN_LIST reach_${a} AND a IN_LIST reach_${b} AND a STRLESS b)
        message("the libraries ${a} and ${b} link each other")
        math(EXPR faults "${faults} + 1")
      endif()
    endforeach()
  endforeach()
  foreach(pair "charts;tables" "tables;charts")
    list(GET pair 0 a)
    list(GET pair 1 b)
    if(b IN_LIST reach_${a})
      message("the library ${a} links ${b}")
      math(EXPR faults "${faults} + 1")
    endif()
  endforeach()
endif()

if(faults GREATER 0)
  message(FATAL_ERROR "${faults} break(s) of the source tree's rules")
endif()
message(STATUS "source tree rules hold")
