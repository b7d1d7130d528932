// Resource ids of the probe program (read by the resource compiler too).
#pragma once

#define IDD_PROBE 100
