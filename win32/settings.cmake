# win32/settings.cmake: Win32 sources of the settings area (target_sources on lt_win32).
