// A program file that includes another program and a Windows header (a case of the include check).
#include "ethtester/diagnostics_dialog.h"
#include <windows.h>
#include "progstation/station_ports.h"
