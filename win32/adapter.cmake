# win32/adapter.cmake: the control devices. lt_win32_driver: the adapter driver's, for every
# program. lt_win32_bench: the simulated bench with its host glue (the Wine check, Unix paths,
# the device-registry mirror), linked only into the training builds and the tests.
add_library(lt_win32_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/control_device_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/adapter_access.cpp
)
target_link_libraries(lt_win32_driver PUBLIC lt_adapter PRIVATE lt_source_root)

add_library(lt_win32_bench STATIC
  ${CMAKE_CURRENT_LIST_DIR}/bench_access_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_registry_win32.cpp
)
target_link_libraries(lt_win32_bench PUBLIC lt_bench lt_adapter advapi32 PRIVATE lt_source_root)
