#pragma once
// Letting the window system catch up, and blocking waits.

// Handles pending window-system events, then returns.
void ProcessMessages();

// Blocks the calling thread for ms milliseconds; a value below 0 sleeps 0.
void Sleep(long long ms);
