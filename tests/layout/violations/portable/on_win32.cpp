// A portable implementation on the Win32 layer (a case of the include check).
#include "win32/profile_files_win32.h"
