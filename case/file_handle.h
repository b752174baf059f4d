// A C stream that closes itself when it goes out of scope.
#pragma once

#include <cstdio>
#include <memory>

namespace h2 {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace h2
