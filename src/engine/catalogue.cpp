#include "engine/catalogue.h"

#include "services/error_report.h"

namespace pakscour {

void init(Context& ctx) {
    trapped(ctx, "modPublic (init)", [&] {
        RunState& s = ctx.state;
        s.stock_cod = {"pak0.pk3", "pak1.pk3", "pak2.pk3", "pak3.pk3", "pak4.pk3", "pak5.pk3",
                       "pak6.pk3", "pak7.pk3", "pak8.pk3", "pak9.pk3", "paka.pk3", "pakb.pk3"};
        s.keep_uo_map_pack = true;
        // pakuo06_lowres.pk3 comes with the 1.51 patch.
        s.stock_uo = {"pakuo00.pk3", "pakuo01.pk3", "pakuo02.pk3",
                      "pakuo03.pk3", "pakuo04.pk3", "pakuo05.pk3",
                      "pakuo06.pk3", "pakuo07.pk3", "pakuo06_lowres.pk3"};
        s.stock_cod2 = {"iw_00.iwd", "iw_01.iwd", "iw_02.iwd", "iw_03.iwd",
                        "iw_04.iwd", "iw_05.iwd", "iw_06.iwd", "iw_07.iwd",
                        "iw_08.iwd", "iw_09.iwd", "iw_10.iwd", "iw_11.iwd",
                        "iw_12.iwd", "iw_13.iwd", "iw_14.iwd", "iw_15.iwd"};
    });
}

}  // namespace pakscour
