#include "Receipt/JobSink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::string TMemorySink::Bytes() const {
    std::string all;
    for (const std::string& s : FStrings)
        all += s;
    return all;
}

TFileSink::TFileSink(const std::string& path) : FPath(path) {
    FFd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644);
    if (FFd < 0)
        Fail("open");
}

TFileSink::~TFileSink() {
    if (FFd >= 0)
        close(FFd);
}

void TFileSink::Fail(const std::string& what) {
    FError = FPath + ": " + what + ": " + std::strerror(errno);
    if (FFd >= 0)
        close(FFd);
    FFd = -1;
}

void TFileSink::Send(const std::string& bytes) {
    std::size_t done = 0;
    while (FFd >= 0 && done < bytes.size()) {
        const ssize_t n = write(FFd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail("write");
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}
