// Where an installed (or built) library finds its plug-ins and its
// installation data when the case's own places do not have them.
#pragma once

#include <string>
#include <vector>

#include "platform/dynlib.h"

namespace h2::platform {

// Folders searched, in order, for a plug-in that is not where the case looks:
// $HALVORINE2_PLUGIN_DIR, then the plug-in folder of the installation the
// library belongs to (lib/halvorine2/plugins beside the library; plugins/ of
// a build tree).
std::vector<std::string> plugin_folders();
// The same for installation data: $HALVORINE2_DATA_DIR, then
// share/halvorine2 of the installation (data/ of a build tree).
std::vector<std::string> data_folders();

// The path to open for the installation data file `name` (relative, e.g.
// "model_w.bin" or "ATLASES/PDatlasS.atl"): the working directory's file
// when there is one, else the first data folder's that exists, else `name`.
std::string installation_file(const std::string& name);

// The file name a plug-in has on disk on this platform: "flxb.dll" is
// "flxb.so" here.
std::string plugin_file_name(const std::string& name);

}  // namespace h2::platform
