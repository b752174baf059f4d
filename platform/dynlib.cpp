#include "platform/dynlib.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace h2::platform {

namespace {

bool has_directory(const std::string& name) { return name.find('/') != std::string::npos; }

bool ends_with(const std::string& s, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// Relative paths are spelled out from the working directory: the system
// loader matches a relative name against libraries opened earlier, whatever
// the working directory was then, and would hand back the wrong library.
LibHandle open_in_working_directory(const std::string& name, int mode) {
    std::error_code ec;
    const auto here = std::filesystem::current_path(ec);
    if (ec) return nullptr;
    return dlopen((here / name).lexically_normal().c_str(), mode);
}

LibHandle open_one(const std::string& name, int mode) {
    if (!name.empty() && name[0] == '/') return dlopen(name.c_str(), mode);
    if (has_directory(name)) return open_in_working_directory(name, mode);
    if (LibHandle h = open_in_working_directory(name, mode)) return h;
    return dlopen(name.c_str(), mode);
}

LibHandle open_with_fallback(const char* name, int mode) {
    if (name == nullptr || *name == '\0') return nullptr;
    const std::string given(name);
    if (LibHandle h = open_one(given, mode)) return h;
    if (ends_with(given, ".dll")) return open_one(given.substr(0, given.size() - 4) + ".so", mode);
    return nullptr;
}

}  // namespace

LibHandle lib_open(const char* name) { return open_with_fallback(name, RTLD_NOW | RTLD_LOCAL); }

LibHandle lib_find_loaded(const char* name) {
    return open_with_fallback(name, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
}

void* lib_symbol(LibHandle lib, const char* symbol) {
    if (lib == nullptr || symbol == nullptr) return nullptr;
    void* address = dlsym(lib, symbol);
    if (address == nullptr) return nullptr;
    // dlsym also searches the library's dependencies; accept only a definition
    // that lies inside the library that was asked for.
    link_map* wanted = nullptr;
    if (dlinfo(lib, RTLD_DI_LINKMAP, &wanted) != 0 || wanted == nullptr) return nullptr;
    Dl_info info{};
    link_map* found = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&found), RTLD_DL_LINKMAP) == 0) return nullptr;
    return found == wanted ? address : nullptr;
}

void lib_close(LibHandle lib) {
    if (lib) dlclose(lib);
}

}  // namespace h2::platform
