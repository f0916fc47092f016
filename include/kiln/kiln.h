// Kiln: every public header of the library.
#pragma once

#include <kiln/platform/types.h>
#include <kiln/platform/mbcs.h>
#include <kiln/platform/object.h>
#include <kiln/platform/cstring.h>
#include <kiln/platform/exception.h>
#include <kiln/platform/time.h>
#include <kiln/platform/global_memory.h>
#include <kiln/platform/last_error.h>
#include <kiln/platform/path_map.h>
#include <kiln/platform/system.h>
#include <kiln/platform/file.h>
#include <kiln/platform/registry.h>
#include <kiln/platform/private_profile.h>
#include <kiln/settings/win_registry.h>
