# LineWarnings.cmake: the compiler warnings of every target of this source tree.
#
# lt_target_warnings() gives each library and executable defined under the source tree
# -Wall -Wextra, and -Werror too when LT_WERROR is on (the test command's presets turn it
# on; the main command leaves it as the tree has it). Targets brought in from elsewhere
# (the Windows tree's googletest) keep their own flags. Call it once, after every
# add_subdirectory, so that new targets are covered without a line of their own.

option(LT_WERROR "Treat compiler warnings as errors" OFF)

function(lt_target_warnings)
  set(dirs "${PROJECT_SOURCE_DIR}")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${dir}" NORMALIZE inside)
    if(NOT inside)
      continue()
    endif()
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${LT_WERROR}>:-Werror>)
      endif()
    endforeach()
  endwhile()
endfunction()
