// Atlases a test owns (freed when the pointer goes), and the text files the
// atlas readers are handed.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "blades/atlas.h"

namespace h2::test {

struct AtlasDeleter {
    void operator()(Atlas* a) const { atlas_free(a); }
};
using AtlasPtr = std::unique_ptr<Atlas, AtlasDeleter>;

inline void write_text(const char* name, const std::string& text) {
    std::FILE* f = std::fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

}  // namespace h2::test
