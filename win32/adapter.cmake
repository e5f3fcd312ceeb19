# win32/adapter.cmake: Win32 sources of the adapter area (target_sources on lt_win32): the driver's
# control device, the choice between it and the simulated bench, and the bench's registry mirror.
target_sources(lt_win32 PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/control_device_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench_registry_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/adapter_access.cpp
)
target_link_libraries(lt_win32 PUBLIC lt_bench lt_adapter lt_eeprom advapi32)
