// The main window: above every tool.
#pragma once
#include "FloorJunkPage.h"
