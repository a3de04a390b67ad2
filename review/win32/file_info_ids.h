#pragma once
// Control identifiers of the File Information dialog.

namespace review::ids {

enum : int {
    Label1 = 600,  // the name shown, never visible
    Label2, eLocal, Label4, Label5, Label6, Label7,
    Label3, eRemote, Label8, Label9, Label10, Label11,
    BitBtn1 = IDOK,
};

}  // namespace review::ids
