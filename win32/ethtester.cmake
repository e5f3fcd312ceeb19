# win32/ethtester.cmake: Win32 sources of EthTester's ports (lt_win32_tester, linked by the tester only).
add_library(lt_win32_tester STATIC worker_threads_win32.cpp ethtester_ports_win32.cpp)
target_link_libraries(lt_win32_tester PUBLIC lt_win32 ethtester_core PRIVATE lt_source_root)
