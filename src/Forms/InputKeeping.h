#pragma once
// Held input as the window system needs it (see Rtl/HeldInput.h).
#include "Rtl/HeldInput.h"

// Records a held input event by value, so that the event built from it when it is handed back
// has a point of its own.
TInputReplay KeepInputEvent(const QEvent& event);

// Installs the recording above, with message boxes and modal dialogs as the windows in front.
// Start-up calls it once the application object exists.
void InstallInputKeeping();
