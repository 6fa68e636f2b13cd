// The identifiers of the host's interfaces, defined once for the whole module.
#include <initguid.h>

#include "com/HostInterfaces.h"
