// Output routing: every printed line of a case goes to the console, the case's
// dump file, or both, as the case's outDst says.
#include "halvorine2/output.h"

#include <cstdarg>
#include <cstdio>

#include "case/output_internal.h"
#include "case/text_field.h"
#include "halvorine2/console.h"
#include "halvorine2/threading.h"
#include "numerics/fr_locals.h"

namespace {
std::FILE* g_console = nullptr;  // nullptr: standard output
// A thread's own console and dump destinations while it captures its output.
thread_local std::FILE* t_console = nullptr;
thread_local std::FILE* t_dump = nullptr;

// Writes one formatted text to the destinations of the current case. Without a
// case the text goes to the console only.
void route(const char* format, std::va_list ap) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || b->outDst != 1) {
        std::va_list aq;
        va_copy(aq, ap);
        std::vfprintf(h2::console_stream(), format, aq);
        va_end(aq);
    }
    if (b != nullptr && b->dump_stream != nullptr) {
        std::vfprintf(b->dump_stream, format, ap);
        std::fflush(b->dump_stream);
    }
}

void route_formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void route_formatted(const char* format, ...) {
    std::va_list ap;
    va_start(ap, format);
    route(format, ap);
    va_end(ap);
}
}  // namespace

namespace h2 {
std::FILE* console_stream() {
    if (t_console != nullptr) return t_console;
    return g_console ? g_console : stdout;
}
void set_console_stream(std::FILE* stream) { g_console = stream; }
void set_thread_capture(std::FILE* console, std::FILE* dump) {
    t_console = console;
    t_dump = dump;
}
std::FILE* thread_dump_capture() { return t_dump; }

void report_error(const char* text) {
    SetConColor(12, 240);
    put_err(text);
    SetConDefColor();
}
}  // namespace h2

extern "C" {

void set_outDst(int value) {
    if (bdLocals* b = get_bdLocals()) b->outDst = value;
}

void set_dump_name(const char* name) {
    if (bdLocals* b = get_bdLocals()) h2::copy_text(b->dump_name, name);
}

int clear_dump(void) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr) return 0;
    return std::remove(b->dump_name) == 0 ? 0 : -1;
}

void start_dump(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return;
    // A dump left open by an interrupted run is kept rather than leaked.
    if (b->outDst != 0 && b->dump_stream == nullptr)
        b->dump_stream = t_dump != nullptr ? t_dump : std::fopen(b->dump_name, "a");
    if (h2::frLocals* fr = get_frLocals()) {
        fr->outDst = b->outDst;
        fr->dump = b->dump_stream;
    }
}

void stop_dump(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return;
    // Closed whatever outDst says now: a host that switched the dump off during
    // a run would otherwise leave the file open for good.
    if (b->dump_stream != nullptr) {
        // A captured dump belongs to whoever set up the capture.
        if (b->dump_stream != t_dump) std::fclose(b->dump_stream);
        b->dump_stream = nullptr;
    }
    if (h2::frLocals* fr = get_frLocals()) fr->dump = nullptr;
}

void put_dump(const char* format, ...) {
    if (format == nullptr) return;
    std::va_list ap;
    va_start(ap, format);
    route(format, ap);
    va_end(ap);
}

void put_err(const char* text) { route_formatted("\n%s\n", text ? text : ""); }
}
