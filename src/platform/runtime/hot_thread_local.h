// Thread-local state read on every window message. The initial-exec model reads such a variable with
// one instruction where the general model calls into the dynamic loader; the price is a few bytes of
// the static TLS reserve glibc keeps for libraries, which stays enough even when the library is
// loaded late with dlopen. Keep what carries this marker small: words and pointers, nothing more.
#pragma once

#define KILN_HOT_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))
