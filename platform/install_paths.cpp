#include "platform/install_paths.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace h2::platform {

namespace {

namespace fs = std::filesystem;

// The last component of a path. Spelled out rather than taken from
// std::filesystem::path::filename, an inline function the library would
// otherwise export as a weak C++ symbol.
std::string_view last_component(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The folder of libhalvorine2.so when this code runs inside it; empty when it
// is linked into another program (the tests), which has no installation.
fs::path library_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_folder), &info) == 0 || info.dli_fname == nullptr) return {};
    if (!last_component(info.dli_fname).starts_with("libhalvorine2.so")) return {};
    const fs::path file(info.dli_fname);
    std::error_code ec;
    const fs::path real = fs::canonical(file, ec);
    return ec ? file.parent_path() : real.parent_path();
}

// The environment's folder (when set and not empty), then the installed
// layout's and the build tree's, each relative to the library's folder.
std::vector<std::string> folders(const char* variable, const char* installed, const char* built) {
    std::vector<std::string> out;
    if (const char* given = std::getenv(variable); given != nullptr && *given != '\0')
        out.emplace_back(given);
    const fs::path lib = library_folder();
    if (!lib.empty()) {
        for (const char* relative : {installed, built}) {
            std::error_code ec;
            const fs::path folder = (lib / relative).lexically_normal();
            if (fs::is_directory(folder, ec)) out.push_back(folder.string());
        }
    }
    return out;
}

bool ends_with(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

std::vector<std::string> plugin_folders() {
    return folders("HALVORINE2_PLUGIN_DIR", H2_LIB_TO_PLUGINS, "../plugins");
}

std::vector<std::string> data_folders() { return folders("HALVORINE2_DATA_DIR", H2_LIB_TO_DATA, "../data"); }

std::string installation_file(const std::string& name) {
    std::error_code ec;
    if (name.empty()) return name;
    if (fs::exists(name, ec)) return name;
    for (const auto& folder : data_folders()) {
        const fs::path candidate = fs::path(folder) / name;
        if (fs::exists(candidate, ec)) return candidate.string();
    }
    return name;
}

std::string plugin_file_name(const std::string& name) {
    if (ends_with(name, ".dll") || ends_with(name, ".DLL")) return name.substr(0, name.size() - 4) + ".so";
    return name;
}

}  // namespace h2::platform
