// Thread-local state read on every window message. The initial-exec model reads such a variable with
// one instruction where the general model calls into the dynamic loader. The price: the library's
// whole thread-local block then lives in static TLS, and a program that loads the library late with
// dlopen finds only a small reserve for it (glibc keeps 512 bytes). So every thread_local of the
// library stays small, words and pointers, with anything bigger on the heap; a test loads the
// library with dlopen to hold that.
#pragma once

#define KILN_HOT_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))
