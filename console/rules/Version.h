#pragma once

// The version is set in the build only; the revision is 0 unless the build names one.
#ifndef APP_VERSION_PATCH
#define APP_VERSION_PATCH 0
#endif

namespace console {

constexpr int kVersionMajor = APP_VERSION_MAJOR;
constexpr int kVersionMinor = APP_VERSION_MINOR;
constexpr int kVersionRevision = APP_VERSION_PATCH;
inline constexpr char kProductName[] = "Velmora's Tarnwick";

} // namespace console
