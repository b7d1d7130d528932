// Reads the install helper's command line.
#pragma once

// True when the arguments ask only to stop the service and the programs: they contain the
// stop-only switch word in any letter case.
bool IsStopOnlyRequest(const wchar_t* arguments);
