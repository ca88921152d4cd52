#include "desk/core/shared/working_parts.h"

namespace velt::desk {

void SetWorkingPart(Global& g, int part, const EnsembleRow& row) {
    g.EnsActive[part] = row.active;
    g.EnsChannel[part] = row.channel;
    g.EnsTrack[part] = row.track;
    g.EnsPoly[part] = row.poly;
    g.EnsPatch[part] = row.patch;
    g.EnsKeyMin[part] = row.keyMin;
    g.EnsKeyMax[part] = row.keyMax;
}

void TakeStoredParts(Global& g) {
    for (int i = 0; i < PartCount; ++i)
        SetWorkingPart(g, i,
                       {g.PartActive[i], g.PartChannel[i], g.PartTrack[i], g.PartPoly[i],
                        g.PartPatch[i], g.PartKeyMin[i], g.PartKeyMax[i]});
}

void StoreWorkingParts(Global& g) {
    for (int i = 0; i < PartCount; ++i) {
        g.PartActive[i] = g.EnsActive[i];
        g.PartChannel[i] = g.EnsChannel[i];
        g.PartTrack[i] = g.EnsTrack[i];
        g.PartPoly[i] = g.EnsPoly[i];
        g.PartPatch[i] = g.EnsPatch[i];
        g.PartKeyMax[i] = g.EnsKeyMax[i];
        g.PartKeyMin[i] = g.EnsKeyMin[i];
    }
}

}  // namespace velt::desk
