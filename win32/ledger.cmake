# win32/ledger.cmake: Win32 sources of the production ledger's ports (file, clock and the computer's name), part of lt_win32_station.
target_sources(lt_win32_station PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ledger_ports_win32.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/computer_name_win32.cpp)
target_link_libraries(lt_win32_station PUBLIC progstation_ledger)
