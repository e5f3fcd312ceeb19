# win32/adapter.cmake: Win32 sources of the adapter area (target_sources on lt_win32).
