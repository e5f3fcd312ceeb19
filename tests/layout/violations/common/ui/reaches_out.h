// A header of the core that reaches into the Win32 layer and a program (a case of the include check).
#pragma once
#include "win32/dialog_host.h"
#include "progstation/station_dialog.h"
#include "common/ui/strings.h"
