// host_path.h: for the portable implementations of the ports: turns a Windows-style path ("C:\dir\EpromData.ini" or "/tmp/x\EpromData.ini") into a host path.
#pragma once

#include <filesystem>
#include <string_view>

namespace lt::platform {

// On hosts whose separator is "/", every backslash becomes "/"; elsewhere the text is
// taken as it stands. Nothing else is changed (no drive mapping, no case folding).
std::filesystem::path hostPath(std::string_view path);

}  // namespace lt::platform
