// The install helper's work: stop the service and the product's programs and, unless only
// stopping is asked for, remove the scheduled tasks and autostart values.
#pragma once

// Always 0: every step ignores the failures of the ones before it.
int KillXarnProcessesMain(const wchar_t* arguments);
