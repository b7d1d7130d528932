#include "FloorServiceHost.h"
