// The names of the S.M.A.R.T. attributes as the health tab lists them: "(05) Reallocated Sector
// Count", "(0E) Unknown attribute", "(No Attribute Here)" for id 0.
#pragma once

#include <classlib/String.h>

CString SmartAttributeName(int id);
