#pragma once
// Writing to a pipe or socket whose reader is gone fails with EPIPE instead of ending the
// program with SIGPIPE.
#include <cstddef>
#include <sys/types.h>

ssize_t WriteNoSignal(int fd, const void* data, std::size_t size);
