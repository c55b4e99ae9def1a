#pragma once
// Where a job's command strings go. Each Send is one command string (on a port, one
// open-write-close cycle), so one job can be printed, kept to be decoded for a preview, or
// saved to a file.
#include <string>
#include <vector>

class TJobSink {
  public:
    virtual ~TJobSink() = default;
    virtual void Send(const std::string& bytes) = 0;
};

class TMemorySink : public TJobSink {
  public:
    void Send(const std::string& bytes) override { FStrings.push_back(bytes); }
    const std::vector<std::string>& Strings() const { return FStrings; }
    // Every string in turn, as the printer would receive them.
    std::string Bytes() const;
    void Clear() { FStrings.clear(); }

  private:
    std::vector<std::string> FStrings;
};

// Writes the strings to a file made anew. After a failure nothing more is written and Error
// says why.
class TFileSink : public TJobSink {
  public:
    explicit TFileSink(const std::string& path);
    ~TFileSink() override;
    TFileSink(const TFileSink&) = delete;
    TFileSink& operator=(const TFileSink&) = delete;

    void Send(const std::string& bytes) override;
    bool Ok() const { return FError.empty(); }
    const std::string& Error() const { return FError; }

  private:
    void Fail(const std::string& what);

    std::string FPath;
    int FFd = -1;
    std::string FError;
};
