#pragma once
// The window system's message boxes, the default presenter of a program with windows.
#include "Rtl/Messages.h"

class QWindow;

// A modal box with one OK button titled with the application title: an error icon for
// errors, none for plain messages; the reason, when given, in the box's details part. While it
// is up, input for the other windows is dropped, and a request to close one of them is
// remembered and carried out once the box is dismissed.
void ShowMessageBox(const TMessage& message);

// True while a box of ShowMessageBox is up, or while this window is one.
bool MessageBoxUp();
bool IsMessageBoxWindow(const QWindow* window);
