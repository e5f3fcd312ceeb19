# tests/wine/progstation/driver_disk.cmake: "&Create Disk" of ProgStation.exe under Wine, with the
# stand-in driver package that the build puts in <build>/UsbMac.
lt_wine_test(test_progstation_disk
  SOURCES driver_disk_e2e_test.cpp
  LIBS lt_wine_driver lt_bench
  TIMEOUT 120)
target_compile_definitions(test_progstation_disk PRIVATE
  LT_PROGSTATION_EXE="$<TARGET_FILE:ProgStation>"
  LT_USBMAC_DIR="${CMAKE_BINARY_DIR}/UsbMac")
add_dependencies(test_progstation_disk ProgStation standin_Setup standin_MacUnInstall)
target_link_libraries(test_progstation_disk PRIVATE shell32)

# The Win32 ports of the driver disk on their own.
lt_wine_test(test_driver_disk_ports
  SOURCES driver_disk_ports_test.cpp
  LIBS lt_win32_station lt_wine_driver
  TIMEOUT 60)
