#pragma once

// The processor cores this process may run on: those of its affinity mask
// (as `taskset` sets it), not every core of the machine. At least 1.
int UsableCores();
