// Job sinks: the strings of a job in order, in memory and in a file, and a file that cannot be
// written says why.
#include "Receipt/JobSink.h"
#include "TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

TEST(JobSink, MemoryAndFileHoldTheSameStringsInOrder) {
    const std::vector<std::string> job = {std::string("\x1b@", 2), std::string(300, 'x') + "\n",
                                          std::string("\x1dV\x00", 3)};
    TempDir dir;
    TMemorySink memory;
    {
        TFileSink file(dir.File("job.bin"));
        for (const std::string& s : job) {
            memory.Send(s);
            file.Send(s);
        }
        EXPECT_TRUE(file.Ok()) << file.Error();
    }
    EXPECT_EQ(memory.Strings(), job);
    std::ifstream in(dir.File("job.bin"), std::ios::binary);
    std::stringstream saved;
    saved << in.rdbuf();
    EXPECT_EQ(saved.str(), memory.Bytes());
    EXPECT_EQ(memory.Bytes().size(), 2u + 301u + 3u);

    TFileSink nowhere(dir.File("missing/job.bin"));
    nowhere.Send("abc");
    EXPECT_FALSE(nowhere.Ok());
    EXPECT_EQ(nowhere.Error(), dir.File("missing/job.bin") + ": open: No such file or directory");
}
