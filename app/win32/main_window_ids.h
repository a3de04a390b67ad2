#pragma once
// Control and command identifiers of the main window.

namespace app::ids {

enum : int {
    PageControl1 = 100,
    // Lists, in page order.
    lFileAdd1 = 101,
    rFileAdd1,
    lUpdate1,
    rUpdate1,
    ldelfile1,
    rdelfile1,
    lignfile1,
    rignfile1,
    lvLocal,
    lvRemote,
    // Captions above the lists: page i has PageCaptions + 2i (left) and + 2i + 1 (right).
    PageCaptions = 120,
    Label1 = PageCaptions + 8,
    Label2 = PageCaptions + 9,
    // Item details and totals.
    Label19 = 130,  // First Folder: name
    Label13,        // date
    Label6,         // size
    lLocalSize,
    Label25,  // Second Folder: name
    Label23,  // date
    Label22,  // size
    lRemoteSize,
    lFolder1 = 140,
    rFolder1,
    lFolderBrowse,
    rFolderBrowse,
    Label3 = 150,
    pb1,
    bSync = 160,
    bLoad,
    bNext,
    bOptions,
    bStop,
    bExit,
    stats = 170,
    // Menu commands.
    Load1 = 200,
    Synchronize1,
    Options1,
    Exit1,
    Help1,
    About1,
    LastReport1,
    UndoLastSync1,
    // Pop-up menu commands of the result lists.
    ReverseEntry1 = 210,
    DeleteFile1,
    IgnoreFile1,
    FileInfo1,
    Undo1,
};

// Timers.
enum : UINT_PTR { tLoad = 1, Timer4 = 4 };

}  // namespace app::ids
