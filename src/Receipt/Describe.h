#pragma once
// What a command is called where the printer shows it in words: the marker on the terminal
// ("bold on", "barcode CODE39 12345") and the meaning in the trace.
#include "Commands/Command.h"

#include <string>

// The marker of a command (without its brackets). Text, line feed, form feed, carriage
// return, initialise, unknown and incomplete bytes give their trace words ("line feed",
// "unknown"); the paper shows those its own way.
std::string Describe(const TCommand& command);

// "feed 1 line", "feed 3 lines".
std::string FeedText(int count);
