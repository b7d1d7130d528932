// Owns one handle opened through a CDiskApi and closes it through the same api.
#pragma once

#include "DiskApi.h"

#include <owners/ApiHandle.h>

using CDiskHandle = ApiHandle<CDiskApi, &CDiskApi::CloseHandle>;
