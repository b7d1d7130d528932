// The service program: installs or removes the service, or runs as it.
#include "DefragWorkerHandle.h"
#include "Service.h"
#include "ServiceCommandLine.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    CService service(instance);
    int code = kExitDone;
    switch (ParseServiceCommandLine(arguments)) {
    case ServiceCommand::Install:
        code = service.Install();
        break;
    case ServiceCommand::Remove:
        code = service.Remove();
        break;
    case ServiceCommand::UnknownSwitch:
        code = kExitUnknownSwitch;
        break;
    case ServiceCommand::Run:
        code = static_cast<CServiceTemplate&>(service).Run(); // not the command loop
        break;
    }
    // A worker that outlived the stop budget must not meet the program's static destructors.
    if (!g_defragWorker.WaitForEnd(0))
        ExitProcess(static_cast<UINT>(code));
    return code;
}
