#pragma once
// Control identifiers of the Options dialog.

namespace settings::ids {

enum : int {
    Pages = 300,
    BitBtn1 = 1,   // OK (IDOK)
    bCancel = 2,   // Cancel (IDCANCEL)
    // Page "Exceptions": three columns.
    eel1 = 310, Edit1, Button1, Button2, CheckBox2,
    efl1 = 320, Edit2, Button4, Button5, CheckBox3,
    seo1 = 330, Edit3, Button6, Button7, CheckBox4,
    FilterHint = 335,  // the line under the columns that says how entries match
    // Page "General".
    ldir1 = 340, rdir1, edit4, edit5, edit4Browse, edit5Browse, Button11, Button12, usemulti1, CheckBox1,
    bAutoLoad = 360, autosortdata1, autoclose1, startmin1, MirrorLocal1, usestamp1, usesubs1,
    ssdelay1 = 370, ssdelay1Spin,
    // Page "Safety".
    userecycle1 = 380, usereport1, ignorehour1, usememory1,
};

}  // namespace settings::ids
