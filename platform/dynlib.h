// Loading shared libraries for plug-ins and host calls.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace h2::platform {

using LibHandle = void*;

// Opens a library, resolving every symbol now and keeping its symbols local.
// A name without a directory is looked for in the working directory first,
// then where the system looks. A name ending in ".dll" that cannot be opened
// is tried again with ".so" in its place. NULL when nothing could be opened.
LibHandle lib_open(const char* name);
// A library that is already loaded, without loading it; NULL when it is not.
LibHandle lib_find_loaded(const char* name);
// The address of `symbol` when it is defined inside that library itself (a
// symbol that would resolve to another library, the host's own export of the
// same name for instance, does not count); NULL otherwise.
void* lib_symbol(LibHandle lib, const char* symbol);
void lib_close(LibHandle lib);

// Opens a plug-in library, which stays loaded for the life of the process:
// each library file is opened once per process, and later requests for the
// same file (the same name from the same working directory) are answered
// from a table. A name ending in ".dll" is looked for as ".so" first, this
// platform's own spelling, and as given after that. NULL when nothing could
// be opened; a handle from here is never closed.
LibHandle lib_open_plugin(const char* name);

// lib_symbol for a library from lib_open_plugin; inside a PluginBatch each
// (library, symbol) pair is looked up once.
void* lib_plugin_symbol(LibHandle lib, const char* symbol);

// While a PluginBatch lives on a thread, that thread's plug-in requests are
// answered by name from the batch once the name was resolved, without asking
// the file system for the working directory again, and their symbols once
// looked up: for loading the models of every element of a case, which name a
// handful of libraries and entry points many times. Nested batches use the
// outermost one.
class PluginBatch {
public:
    PluginBatch();
    ~PluginBatch();
    PluginBatch(const PluginBatch&) = delete;
    PluginBatch& operator=(const PluginBatch&) = delete;

private:
    friend LibHandle lib_open_plugin(const char* name);
    friend void* lib_plugin_symbol(LibHandle lib, const char* symbol);
    struct Symbol {
        LibHandle lib;
        std::string name;
        void* address;
    };
    // The names this batch resolved, and the symbols it looked up.
    std::vector<std::pair<std::string, LibHandle>> resolved_;
    std::vector<Symbol> symbols_;
    bool outermost_;
};

// Called with the path of every library file the plug-in loader asks the
// system to open, whether or not that succeeds; for counting opens. Null
// removes it.
using LibOpenObserver = void (*)(const char* path);
void lib_set_open_observer(LibOpenObserver observer);

}  // namespace h2::platform
