# win32/ui.cmake: Win32 sources of the dialog layer and the login's file port (target_sources on lt_win32).
target_sources(lt_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dialog_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/password_files_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resource_strings.cpp
)
target_link_libraries(lt_win32 PUBLIC lt_ui lt_login comctl32)
