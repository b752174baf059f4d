// Golden files: texts whose format is pinned byte for byte in tests/golden/.
//
// With H2_UPDATE_GOLDENS=1 in the environment, expect_golden rewrites the
// golden file with the text it is given instead of comparing (the test then
// passes); review the change with git diff before committing it. Otherwise a
// differing text fails the test and is left as <name>.actual beside the test
// binary (in the build tree, never in the sources).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/captured_console.h"

namespace h2::test {

inline const std::filesystem::path kGoldenFiles =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "golden";

// The test binary's own directory: a failed comparison leaves its text there, so a test started
// from the repository root does not drop files into the source tree.
inline std::filesystem::path actual_output_dir() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::temp_directory_path() : exe.parent_path();
}

// What report prints into a stream.
inline std::string printed(void (*report)(std::FILE*)) {
    std::FILE* f = std::tmpfile();
    report(f);
    std::fflush(f);
    std::string s;
    std::rewind(f);
    for (int ch; (ch = std::fgetc(f)) != EOF;) s += static_cast<char>(ch);
    std::fclose(f);
    return s;
}

inline bool updating_goldens() {
    const char* v = std::getenv("H2_UPDATE_GOLDENS");
    return v != nullptr && std::strcmp(v, "1") == 0;
}

inline void expect_golden(const std::string& text, const char* name) {
    const std::filesystem::path golden_path = kGoldenFiles / name;
    if (updating_goldens()) {
        std::ofstream(golden_path, std::ios::binary) << text;
        return;
    }
    const std::string golden = read_file(golden_path.string());
    EXPECT_FALSE(golden.empty()) << "missing golden " << golden_path << " (H2_UPDATE_GOLDENS=1 writes it)";
    EXPECT_EQ(text, golden) << name;
    if (text != golden)
        std::ofstream(actual_output_dir() / (std::string(name) + ".actual"), std::ios::binary) << text;
}

}  // namespace h2::test
