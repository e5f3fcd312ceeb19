# win32/progstation.cmake: Win32 sources of ProgStation's ports (lt_win32_station, linked by the station only).
add_library(lt_win32_station STATIC usb_registry_win32.cpp process_launcher_win32.cpp)
target_link_libraries(lt_win32_station PUBLIC lt_win32 progstation_core advapi32 PRIVATE lt_source_root)
