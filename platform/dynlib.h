// Loading shared libraries for plug-ins and host calls.
#pragma once

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

}  // namespace h2::platform
