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
#include <kiln/platform/mem_file.h>
#include <kiln/platform/archive.h>
#include <kiln/platform/file_find.h>
#include <kiln/platform/interlocked.h>
#include <kiln/platform/resources.h>
#include <kiln/platform/message_box.h>
#include <kiln/platform/message_queue.h>
#include <kiln/platform/win_app.h>
#include <kiln/util/array_compare.h>
#include <kiln/util/string_step.h>
#include <kiln/util/separated_string.h>
#include <kiln/util/extension.h>
#include <kiln/util/path_string.h>
#include <kiln/util/string_table.h>
