# win32/ethtester.cmake: Win32 sources of EthTester's ports.
target_sources(lt_win32 PRIVATE worker_threads_win32.cpp ethtester_ports_win32.cpp)
target_link_libraries(lt_win32 PUBLIC ethtester_core)
