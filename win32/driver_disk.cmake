# win32/driver_disk.cmake: Win32 sources of the driver disk's ports (shell and file system).
target_sources(lt_win32 PRIVATE driver_disk_win32.cpp)
target_link_libraries(lt_win32 PUBLIC progstation_core shell32 ole32)
