#include "platform/dynlib.h"
#include "platform/install_paths.h"

#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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

// ---- Plug-ins: one open per library file for the life of the process ----

std::atomic<LibOpenObserver> g_open_observer{nullptr};

// Opened plug-in libraries by the path they were opened with (absolute, or a
// bare name left to the system's search), a handful: a list searched in
// order serves. Never closed: the functions the plug-ins install into cases
// point into them.
struct PluginTable {
    std::mutex lock;
    std::vector<std::pair<std::string, LibHandle>> open;
};

PluginTable& plugin_table() {
    static PluginTable table;
    return table;
}

LibHandle open_plugin_file(const std::string& path) {
    PluginTable& t = plugin_table();
    std::lock_guard<std::mutex> hold(t.lock);
    for (const auto& [known, handle] : t.open)
        if (known == path) return handle;
    if (LibOpenObserver observer = g_open_observer.load()) observer(path.c_str());
    LibHandle h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    // A failed open is not remembered: the file may be put there later.
    if (h != nullptr) t.open.emplace_back(path, h);
    return h;
}

// The places one spelling of a name is looked for, in order: the path as it
// stands from the working directory, then (a bare name) the system's search.
LibHandle open_plugin_spelling(const std::string& name, const std::filesystem::path& here) {
    if (name[0] == '/') return open_plugin_file(name);
    if (!here.empty())
        if (LibHandle h = open_plugin_file((here / name).lexically_normal().string())) return h;
    if (has_directory(name)) return nullptr;
    return open_plugin_file(name);
}

LibHandle open_plugin(const std::string& name) {
    std::filesystem::path here;
    if (name[0] != '/') {
        std::error_code ec;
        here = std::filesystem::current_path(ec);
        // Without a working directory only a bare name can still be found.
        if (ec) here.clear();
    }
    if (ends_with(name, ".dll"))
        if (LibHandle h = open_plugin_spelling(name.substr(0, name.size() - 4) + ".so", here)) return h;
    return open_plugin_spelling(name, here);
}

thread_local PluginBatch* t_batch = nullptr;

}  // namespace

LibHandle lib_open_plugin(const char* name) {
    if (name == nullptr || *name == '\0') return nullptr;
    const std::string given(name);
    if (t_batch != nullptr)
        for (const auto& [known, handle] : t_batch->resolved_)
            if (known == given) return handle;
    LibHandle h = open_plugin(given);
    // Not where the case looks: the installation's plug-in folders, by file name.
    if (h == nullptr) {
        const std::string file = std::filesystem::path(given).filename().string();
        if (!file.empty())
            for (const auto& folder : plugin_folders())
                if ((h = open_plugin((std::filesystem::path(folder) / file).string())) != nullptr) break;
    }
    // A name that was not found is asked again: nothing of it was loaded.
    if (t_batch != nullptr && h != nullptr) t_batch->resolved_.emplace_back(given, h);
    return h;
}

void* lib_plugin_symbol(LibHandle lib, const char* symbol) {
    if (t_batch == nullptr || lib == nullptr || symbol == nullptr) return lib_symbol(lib, symbol);
    for (const PluginBatch::Symbol& known : t_batch->symbols_)
        if (known.lib == lib && known.name == symbol) return known.address;
    void* address = lib_symbol(lib, symbol);
    t_batch->symbols_.push_back({lib, symbol, address});
    return address;
}

PluginBatch::PluginBatch() : outermost_(t_batch == nullptr) {
    if (outermost_) t_batch = this;
}

PluginBatch::~PluginBatch() {
    if (outermost_) t_batch = nullptr;
}

void lib_set_open_observer(LibOpenObserver observer) { g_open_observer.store(observer); }

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
