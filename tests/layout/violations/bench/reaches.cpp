// The bench reaching into a program and portable/ (a case of the include check).
#include "progstation/station_ports.h"
#include "portable/host_path.h"
