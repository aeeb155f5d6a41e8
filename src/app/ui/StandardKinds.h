#pragma once

#include "base/ui/DocumentKinds.h"

// The program's table: Modbus, Hostlink, DF1 configurations and the web site, each plugged
// in with its document class and file recogniser. It lives in the program shell because it
// names every subsystem's documents.
TDocumentKinds StandardDocumentKinds();
