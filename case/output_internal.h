// Internal side of output routing.
#pragma once

#include <cstdio>

namespace h2 {

// The stream that stands for the console: standard output unless a test or a
// host-side tool redirects it.
std::FILE* console_stream();
void set_console_stream(std::FILE* stream);

// Routes the calling thread's console text to `console` and what its cases
// would write to their dump files to `dump` (start_dump hands that stream
// out, stop_dump leaves it open); NULLs end the capture. Lets a worker
// gather a job's text to be written out later in a fixed order.
void set_thread_capture(std::FILE* console, std::FILE* dump);
std::FILE* thread_dump_capture();

// Writes an error text with put_err in bright red on the current background.
void report_error(const char* text);

}  // namespace h2

extern "C" {
// Opens the current case's dump file for the run (appending) when outDst is not 0.
void start_dump(void);
}
