// Files of a fuzz harness: a private temporary file per name stem, the
// bytes of one input written out whole, and the plug-ins held open.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace h2::fuzz {

// A new empty file "<TMPDIR or /tmp>/<stem>XXXXXX"; the run cannot go on without it.
inline std::string make_temp(const char* stem) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/" + stem + "XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) std::abort();
    close(fd);
    return name;
}

// Writes the input to the file; false when it could not be written whole.
inline bool write_file(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Every plug-in of the folder held open for the whole run: the loads of each
// input then only count references instead of mapping and relocating some
// forty libraries.
inline void hold_plugins(const char* folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".so") dlopen(entry.path().c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace h2::fuzz
