#pragma once
// The window system's message boxes, the default presenter of a program with windows.
#include "Rtl/Messages.h"

// A modal box with one OK button titled with the application title: an error icon for
// errors, none for plain messages; the reason, when given, in the box's details part.
void ShowMessageBox(const TMessage& message);
