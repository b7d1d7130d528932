// The service's RPC listener on its named pipe.
#pragma once

// Registers the pipe endpoint and the interface and listens until StopDefragRpcListener;
// answers 1 after a normal end and 0 when a step fails. Failing to register NTLM
// authentication is not a failure: calls need none.
int RunDefragRpcListener();
void StopDefragRpcListener();
