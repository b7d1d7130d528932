// The service's RPC listener on its named pipe.
#pragma once

#include <windows.h>

// Registers the pipe endpoint and the interface, listens until stopEvent is signalled, then
// stops listening and waits for the calls in progress; answers 1 after a normal end and 0 when a
// step fails. Failing to register NTLM authentication is not a failure: calls need none.
[[nodiscard]] int RunDefragRpcListener(HANDLE stopEvent);
