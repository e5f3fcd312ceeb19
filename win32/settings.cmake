# win32/settings.cmake: Win32 sources of the settings files and the file system (target_sources on lt_win32).
target_sources(lt_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/file_system_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_files_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_sections_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_paths_win32.cpp
)
target_link_libraries(lt_win32 PUBLIC lt_settings lt_platform)
