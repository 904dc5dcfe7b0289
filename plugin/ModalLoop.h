#pragma once
// chronel's modal loops on the host's thread: the reservation dialog, the reminder at close, the
// about box and the settings editor. A host may handle its exit inside one (APCCleanUp, then
// FreeLibrary); each loop therefore holds a reference to the library, so that it returns into
// code still mapped, and clean-up ends the reservation's dialogs and boxes.

#include "../common/pure/Owned.h"

// Held for the life of one modal loop. Once it goes, chronel runs no message loop before it
// returns to the host: a host that has let the library go may then unload it at its next one.
class ModalLoop {
public:
    ModalLoop();
    ~ModalLoop();
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

private:
    Library module_;
};

// APCCleanUp, once Loaded.CleanedUp is set (the host may free the library from now on, even
// inside a loop): every open dialog and box of the reservation ends.
void EndModalLoops();
