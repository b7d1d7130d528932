// The service program's command line: the text after the program name, taken as a whole.
#pragma once

enum class ServiceCommand { Run, Install, Remove, UnknownSwitch };

// "-" or "/" followed by "install" or "remove" (any case) installs or removes; any other word
// after a switch character is unknown; anything else runs the service.
ServiceCommand ParseServiceCommandLine(const wchar_t* arguments);
