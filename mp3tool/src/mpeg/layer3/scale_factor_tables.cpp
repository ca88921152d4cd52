#include "mpeg/layer3/scale_factor_tables.h"

namespace velt::mpeg::layer3 {

LsfScaleFactorLayout lsfScaleFactorLayout(int scalefacCompress, bool intensityRight) {
    LsfScaleFactorLayout layout;
    const int sfc = scalefacCompress & 511;
    if (!intensityRight) {
        if (sfc < 400) {
            layout.table = 0;
            layout.slen = {(sfc >> 4) / 5, (sfc >> 4) % 5, (sfc & 15) >> 2, sfc & 3};
        } else if (sfc < 500) {
            const int v = sfc - 400;
            layout.table = 1;
            layout.slen = {(v >> 2) / 5, (v >> 2) % 5, v & 3, 0};
        } else {
            const int v = sfc - 500;
            layout.table = 2;
            layout.slen = {v / 3, v % 3, 0, 0};
            layout.preflag = true;
        }
        return layout;
    }
    const int isc = sfc >> 1;
    if (isc < 180) {
        layout.table = 3;
        layout.slen = {isc / 36, (isc % 36) / 6, (isc % 36) % 6, 0};
    } else if (isc < 244) {
        const int v = isc - 180;
        layout.table = 4;
        layout.slen = {(v & 63) >> 4, (v & 15) >> 2, v & 3, 0};
    } else {
        const int v = isc - 244;
        layout.table = 5;
        layout.slen = {v / 3, v % 3, 0, 0};
    }
    return layout;
}

}  // namespace velt::mpeg::layer3
