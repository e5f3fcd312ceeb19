// A program entry point: win32/ and <windows.h> are allowed here (a case of the include check).
#include "win32/dialog_host.h"
#include <windows.h>
