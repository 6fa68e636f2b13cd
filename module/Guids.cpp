// The identifiers of the module's type library, classes and interfaces, defined once.
#include <initguid.h>

#include "module/Kestrix.h"
