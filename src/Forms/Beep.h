#pragma once
// The platform's default beep, counted so that tests can observe it.
#include <functional>

// Sounds the default beep (or runs the installed hook instead) and counts it.
void Beep();
// How many beeps sounded since the program started.
int BeepCount();
// Installs a hook that runs instead of the sound; returns the one it replaces. An empty
// function restores the sound.
std::function<void()> SetBeepHook(std::function<void()> hook);
