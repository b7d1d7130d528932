// The RPC listener thread: serves the interface on the service's pipe until listening stops.
#pragma once

#include "Thread.h"

class CDefragRPC : public CThread {
public:
    DWORD Run() override;
};
