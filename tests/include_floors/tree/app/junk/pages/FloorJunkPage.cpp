#include "FloorJunkPage.h"
#include "FloorMainWindow.h"
#include "../../main/FloorMainWindow.h"
