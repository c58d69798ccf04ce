// The real program on the Qt renderer, its main window prepared from given install folders
// (no registry) and shown active; the folders' listings come from a table, the shell and the
// message boxes are recorded.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListView>

#include "../core/rig.h"
#include "rig.h"

namespace pakscour::test {

struct MainRig : QtRigOver<Rig> {
    MainRig() {
        fs.listings["C:\\CoD\\Main\\*.pk3"] = {"pak0.pk3", "mod_a.pk3", "zz_maps.pk3",
                                               "localized_english_pak0.pk3", "user.pk3"};
        fs.listings["C:\\CoD\\uo\\*.pk3"] = {"pakuo00.pk3", "uomappack1.pk3", "uo_mod.pk3"};
        fs.listings["C:\\CoD\\uo\\uomappack*.pk3"] = {"uomappack1.pk3"};
        fs.listings["C:\\CoD2\\main\\*.iwd"] = {"iw_00.iwd", "iw_15.iwd"};
        prepare_main_window(program, "C:\\CoD", "C:\\CoD", "C:\\CoD2");
        show_active(main);
    }
    ~MainRig() {
        for (forms::Form* f : {&ctx.frmAbout, &ctx.frmDisclaim, &ctx.frmSplash, &main})
            forms.unload(*f);
    }

    QCheckBox* box(const char* name) { return widget<QCheckBox>(main, name); }
    QAction* action(const char* name) { return window(main)->action_of(main.menu(name)); }
    QString status() { return widget<QLabel>(main, "lblStatusBar")->text(); }
    int boxes_ticked_on_screen() {
        int n = 0;
        for (const char* name : {"chkCleanCod", "chkCleanUo", "chkCleanCod2"})
            n += box(name)->isChecked() ? 1 : 0;
        return n;
    }
    // The entries the list widget shows, once the pending ones are in.
    QStringList list_shown() {
        QCoreApplication::processEvents();
        auto* view = widget<QListView>(main, "List1");
        QStringList rows;
        for (int i = 0; i < view->model()->rowCount(); ++i)
            rows << view->model()->index(i, 0).data().toString();
        return rows;
    }
};

}  // namespace pakscour::test
