#pragma once

#include "AppSettings.h"

#include <QString>

#include <chrono>

namespace console {

// Where the desktop's keyring keeps the console's saved rcon password.
QString savedPasswordKey();

// The password the console would put into its password box at start: none unless it is to be saved;
// the settings file's when it holds one (a keyring that refused it at the last exit left it there);
// else the keyring's, waited for at most `wait`. Empty when there is none.
QString readSavedPassword(const AppSettings& settings, std::chrono::milliseconds wait);

} // namespace console
