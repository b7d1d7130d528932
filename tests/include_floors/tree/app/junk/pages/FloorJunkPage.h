#pragma once
#include <windows.h>
#include "FloorTexts.h"
