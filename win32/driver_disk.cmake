# win32/driver_disk.cmake: Win32 sources of the driver disk's ports (the shell and the folder browser), part of lt_win32_station.
target_sources(lt_win32_station PRIVATE driver_disk_win32.cpp)
target_link_libraries(lt_win32_station PUBLIC shell32 ole32)
