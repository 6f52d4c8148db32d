// Which folder the wizard starts in, decided once for every face: whether a
// folder holds KeyFiles, and what a folder the user picked stands for.
#pragma once

#include <string>

namespace forgeline {

// True when the catalogue scan would find KeyFiles in `folder` ("" is the
// working directory): the very test the scan makes, so a face never offers
// a folder picker the scan would not need, nor skips one it would.
bool holdsKeyFiles(const std::string& folder);

// The folder to start in once the user picked `chosen`. KeyFiles itself is an
// easy folder to pick; it stands for the folder around it when that one
// holds it. Any other folder is taken as picked.
std::string startFolderFor(const std::string& chosen);

}  // namespace forgeline
