// The operating system's time-zone rules, kept apart from the exports so
// that they stay free of system headers.
#pragma once

#include "export/gpx.h"

// Local wall-clock to UTC by the rules of the zone the process runs in (TZ,
// read once when called). At a change of offset, a wall-clock time that
// occurs twice or not at all takes the offset in force before the change:
// samples of a session that started before it keep running on evenly.
LocalToUtc MachineLocalToUtc();
