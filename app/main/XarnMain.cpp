// The program's one application object.
#include "DiskDefragApp.h"

CDiskDefragApp theApp;
