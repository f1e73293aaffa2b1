// One loaded lap with its derived track values, and the working slot that
// the overlay exports load each lap into.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/extended.h"
#include "lapdata/lapfile.h"

// Derived values of one sample.
struct TCalcDtRec {
    Extended Speed = 0;        // km/h, copy of the sample's speed
    std::int32_t TurnDir = 0;  // +1 left (heading did not grow), -1 right, 0 at the ends
    Extended X = 0;            // metres east of sample 0
    Extended Y = 0;            // metres north of sample 0
    Extended Radius = 0;       // metres; 9999.9 for a straight
    Extended RadiusMed = 0;
    Extended RadiusAvg = 0;  // radius used for the lateral acceleration
    Extended LateralG = 0;
    Extended LongitudinalG = 0;
    Extended RadiusSm = 0;
    Extended LateralGSm = 0;       // the overlay's XG is its negative
    Extended LongitudinalGSm = 0;  // the overlay's YG
};

// One loaded lap.
struct TLapDtRec {
    std::string DataNo;
    std::int32_t Count = 0;
    std::vector<TPosDtRec> PosData;
    TDateTime LapTime = 0;  // duration in days: Elapsed of the last sample
    Extended LapDistKm = 0;
    Extended MaxSpeed = 0;
    Extended MinSpeed = 0;
    Extended AvgSpeed = 0;
    Extended MinLat = 0;
    Extended MaxLat = 0;
    Extended MinLon = 0;
    Extended MaxLon = 0;
    Extended MinAlt = 0;
    Extended MaxAlt = 0;
    std::vector<TCalcDtRec> CalcData;
};

// The working lap slot: exactly one element while the window (or a command
// line run) exists; element 0 is the only slot used.
extern std::vector<TLapDtRec> LapDt;

// Gives LapDt its one empty element.
void SetUpLapSlot();
// Empties slot 0 after use: Count 0, no samples, no derived values.
void EmptyLapSlot(TLapDtRec& slot);
// Releases the slot's arrays and then LapDt itself.
void ReleaseLapSlot();
