# win32/progstation.cmake: Win32 sources of ProgStation's ports.
target_sources(lt_win32 PRIVATE usb_registry_win32.cpp pauses_win32.cpp process_launcher_win32.cpp
                                file_attributes_win32.cpp)
target_link_libraries(lt_win32 PUBLIC progstation_core)
