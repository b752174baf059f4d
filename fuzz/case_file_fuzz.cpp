// libFuzzer harness of the case data file reader. Each input is written to a
// temporary file and loaded into a new case with the stand-in plug-ins; a
// case that loads is saved, the saved file is loaded into the same case and
// saved again, and the two saved files must agree byte for byte: a round trip
// that is not stable loses or changes data between runs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "case/output_internal.h"
#include "case/text_field.h"
#include "fuzz/fuzz_files.h"
#include "halvorine2/case_data.h"
#include "halvorine2/case_file.h"
#include "halvorine2/threading.h"

namespace {

using h2::fuzz::make_temp;
using h2::fuzz::write_file;

// Temporary files of this process: the input, and the file each save writes.
// Both saves use one name, since save_data writes the name into the file.
struct Files {
    std::string input;
    std::string saved;
};

const Files& files() {
    static const Files f{make_temp("h2_fuzz_in_"), make_temp("h2_fuzz_saved_")};
    return f;
}

std::string read_file(const std::string& name) {
    std::string text;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) std::abort();
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// The layout that reads back as written: "P2" for design tasks.
int layout_of(const bdLocals* c) { return c->cyld_VART < 10 ? 1 : 0; }

void remove_files() {
    std::remove(files().input.c_str());
    std::remove(files().saved.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (binit_threading() != 0) std::abort();
    h2::fuzz::hold_plugins(H2_PLUGIN_DIR);
    // The reader's messages on the console would drown the fuzzer's own output.
    h2::set_console_stream(std::fopen("/dev/null", "w"));
    std::atexit(remove_files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Files& f = files();
    if (!write_file(f.input, data, size)) std::abort();

    bdLocals* c = binit();
    if (c == nullptr) std::abort();
    h2::copy_text(c->ModelBase, H2_PLUGIN_DIR);
    if (load_data(f.input.c_str()) == 0) {
        const int layout = layout_of(c);
        if (save_data(f.saved.c_str(), layout) != 0) std::abort();
        const std::string first = read_file(f.saved);

        // What was saved loads again into a new case, as a later session reads
        // it, and saves to the same bytes.
        bterm();
        c = binit();
        if (c == nullptr) std::abort();
        h2::copy_text(c->ModelBase, H2_PLUGIN_DIR);
        if (load_data(f.saved.c_str()) != 0) {
            std::fprintf(stderr, "a saved case does not load again:\n%s", first.c_str());
            std::abort();
        }
        if (save_data(f.saved.c_str(), layout) != 0) std::abort();
        const std::string second = read_file(f.saved);
        if (second != first) {
            std::fprintf(stderr, "the round trip changed the case:\n--- first save\n%s--- second save\n%s",
                         first.c_str(), second.c_str());
            std::abort();
        }
    }
    bterm();
    return 0;
}
