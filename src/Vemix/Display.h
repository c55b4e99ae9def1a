#pragma once
// Start-up without a display: one line that says so and how to get one, instead of the
// toolkit's abort with its advice to reinstall.

// Lives from just before the application object is made until just after. While it lives the
// toolkit's messages are held; when the window system cannot be reached for want of a display
// the program says so in one line on standard error and ends with status 1. Any other failure
// ends as the toolkit ends it, with its own messages.
class TDisplayCheck {
  public:
    // program: how the program was started (argv[0]), for the advice.
    explicit TDisplayCheck(const char* program);
    // The application object exists: the messages held go out as they came.
    ~TDisplayCheck();
    TDisplayCheck(const TDisplayCheck&) = delete;
    TDisplayCheck& operator=(const TDisplayCheck&) = delete;
};
