// Where the registry hives live: the settings folder of the user and of the machine.
#pragma once

#include <string>

namespace kiln::detail {

enum class Hive { User, Machine };

// The host path of the hive's database, from the environment as it is now: KILN_REGISTRY_DIR when it
// is set, else $XDG_CONFIG_HOME/kiln (~/.config/kiln) for the user and /etc/kiln for the machine.
// The folder of the user's hive is also where bare INI file names live.
std::string HivePath(Hive hive);

}  // namespace kiln::detail
