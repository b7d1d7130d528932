// The class library: the one header its users include.
#pragma once

#include "Export.h"
#include "Object.h"
#include "String.h"
#include "Exceptions.h"
#include "Geometry.h"
#include "File.h"
#include "Archive.h"
#include "Array.h"
#include "List.h"
#include "Map.h"
#include "Time.h"
