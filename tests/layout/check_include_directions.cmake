# check_include_directions.cmake: fails when a source file includes across the folder rules of the top CMakeLists.txt.
#
#   cmake -DSOURCE_DIR=<tree> -P check_include_directions.cmake
#
# Reads every .h and .cpp file of the product's folders under SOURCE_DIR and looks at their
# #include lines (text only: nothing is compiled, so the check takes a moment):
#   common/                               common/ and resources/ only
#   progstation/ ethtester/ setupeditor/  common/, resources/ and the program's own folder; the
#                                         program's main.cpp (its Windows entry point) also win32/
#   portable/                             neither win32/ nor bench/ nor tests/
#   bench/                                common/ and bench/ only
#   odbc/                                 common/ and odbc/ only (the station's ledger may include it)
#   win32/                                neither portable/ nor tests/
# and a Windows header (<windows.h>, <shlobj.h> ...) only in win32/, odbc/'s sources and the
# programs' main.cpp.
# Prints each include against the rules and their number.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED SOURCE_DIR)
  message(FATAL_ERROR "check_include_directions: SOURCE_DIR not given")
endif()

set(programs progstation ethtester setupeditor)
set(folders common ${programs} portable bench odbc win32)
set(windows_headers "windows|winioctl|winreg|winbase|shlobj|shellapi|shlwapi|objbase|commctrl|commdlg|setupapi|psapi")

set(violations 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    get_filename_component(name "${source}" NAME)
    # What this file may include from the tree (folder names followed by "/").
    if(folder STREQUAL "common")
      set(allowed common resources)
    elseif(folder IN_LIST programs)
      set(allowed common resources ${folder})
      if(folder STREQUAL "progstation")
        list(APPEND allowed odbc)
      endif()
      if(source STREQUAL "${folder}/main.cpp")
        list(APPEND allowed win32)
      endif()
    elseif(folder STREQUAL "portable")
      set(allowed common resources portable ${programs})
    elseif(folder STREQUAL "bench")
      set(allowed common bench)
    elseif(folder STREQUAL "odbc")
      set(allowed common odbc)
    else()  # win32
      set(allowed common resources win32 bench ${programs})
    endif()
    set(windows_allowed FALSE)
    if(folder STREQUAL "win32" OR (folder STREQUAL "odbc" AND name MATCHES "\\.cpp$")
       OR (folder IN_LIST programs AND source STREQUAL "${folder}/main.cpp"))
      set(windows_allowed TRUE)
    endif()

    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z0-9_.]+)/[^\"]*\"")
        set(target_folder "${CMAKE_MATCH_1}")
        if(NOT target_folder IN_LIST allowed)
          string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" what "${line}")
          message(STATUS "${source} includes ${what}: ${folder}/ may include only ${allowed}")
          math(EXPR violations "${violations} + 1")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<(${windows_headers})\\.h>" AND NOT windows_allowed)
        message(STATUS "${source} includes <${CMAKE_MATCH_1}.h>: Windows headers only in win32/ and the programs' main.cpp")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) against the folder rules")
endif()
message(STATUS "every include keeps to the folder rules")
