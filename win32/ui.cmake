# win32/ui.cmake: Win32 sources of the ui area (target_sources on lt_win32).
