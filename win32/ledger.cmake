# win32/ledger.cmake: Win32 sources of the production ledger's ports (file, clock and the computer's name).
target_sources(lt_win32 PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ledger_ports_win32.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/computer_name_win32.cpp)
target_link_libraries(lt_win32 PUBLIC progstation_ledger)
