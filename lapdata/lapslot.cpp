#include "lapdata/lapslot.h"

std::vector<TLapDtRec> LapDt;

void SetUpLapSlot() {
    LapDt.assign(1, TLapDtRec{});
    LapDt[0].Count = 0;
}

void EmptyLapSlot(TLapDtRec& slot) {
    slot.Count = 0;
    slot.PosData = {};
    slot.CalcData = {};
}

void ReleaseLapSlot() {
    if (!LapDt.empty() && LapDt[0].Count > 0) EmptyLapSlot(LapDt[0]);
    LapDt.clear();
    LapDt.shrink_to_fit();
}
