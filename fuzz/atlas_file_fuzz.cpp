// libFuzzer harness of the two atlas readers. Each input is written to a
// temporary file and read as a contour atlas (and its names listed) and as a
// stagger-table atlas (and its names listed). A crash, a sanitizer report, a
// leak, or a contour point that is no finite number is a finding: every
// point the contour reader lays must lie on a chain of finite nodes.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "blades/atlas.h"
#include "fuzz/fuzz_files.h"
#include "halvorine2/atlas.h"

namespace {

const std::string& input_file() {
    static const std::string name = h2::fuzz::make_temp("h2_fuzz_atlas_");
    return name;
}

void remove_input() { std::remove(input_file().c_str()); }

// Big enough for every name of a file whose input is this size.
std::vector<char> name_buffer(std::size_t size) { return std::vector<char>(2 * size + 256, '\0'); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::atexit(remove_input);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!h2::fuzz::write_file(input_file(), data, size)) std::abort();

    Atlas* contours = atlas_create(50, "fuzz contours");
    if (contours == nullptr) std::abort();
    atlas_load(contours, input_file().c_str());
    for (int i = 0; i < contours->count; ++i)
        for (int j = 0; j < contours->npoints[i]; ++j) {
            const Point3& p = contours->points[i][j];
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                std::fprintf(stderr, "profile %d point %d is (%g, %g, %g)\n", i, j, p.x, p.y, p.z);
                std::abort();
            }
        }
    atlas_free(contours);
    std::vector<char> names = name_buffer(size);
    EnumAtl(input_file().c_str(), names.data());

    Atlas* tables = atlas_create(50, "fuzz tables");
    if (tables == nullptr) std::abort();
    atlas_load_tables(tables, input_file().c_str());
    atlas_free(tables);
    names = name_buffer(size);
    EnumAtt(input_file().c_str(), names.data());
    return 0;
}
