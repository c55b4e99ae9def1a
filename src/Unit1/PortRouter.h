#pragma once
// The port router as a job sink: each command string is one open-write-close cycle of the
// port chosen in the window, with every message of the ports.
#include "Receipt/JobSink.h"

class TForm1;

class TPortRouter : public TJobSink {
  public:
    explicit TPortRouter(TForm1& form) : FForm(form) {}
    void Send(const std::string& bytes) override;

  private:
    TForm1& FForm;
};
