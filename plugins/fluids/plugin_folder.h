// The folder a plug-in was loaded from: its set-up and data files lie there.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>

namespace h2fluid {

// The folder of the shared object holding this function (each plug-in has
// its own copy, its symbols being hidden), with its trailing '/'; "./" when
// the loader cannot tell.
inline std::string plugin_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&plugin_folder), &info) == 0 || info.dli_fname == nullptr) return "./";
    const std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// A text address as code 1001 carries it for fluids 6 and 7: an integral
// value no fluid constant takes (user-space addresses lie above the first
// 64 KiB and below 2^53) inside a loaded object's image, where the host keeps
// its texts. The named path sends the case's constant there instead; a large
// constant read as an address would be a wild read.
inline bool is_text_address(double c) {
    if (!(c >= 65536.0 && c < 9007199254740992.0 && c == static_cast<double>(static_cast<long long>(c))))
        return false;
    Dl_info info{};
    return dladdr(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(c)), &info) != 0;
}

}  // namespace h2fluid
