// The state a search thread owns, and the code that reads or writes it.
//
// That code is compiled twice from the same sources. The main thread's copy
// keeps the state in plain globals, at addresses fixed when the engine is
// linked; the helper threads' copy (namespace helper_copy) keeps one set per
// thread in thread_local storage. Reaching thread_local state costs the
// one-thread search about 4 % of its speed, and one thread is the default.
//
// PER_THREAD marks a definition of such state; PER_THREAD_BEGIN and
// PER_THREAD_END enclose the state's declarations and every function that
// touches it. Types, constants and the state all threads share (tables,
// keys, options, the transposition table) stay outside, defined once. Code
// only the main thread runs that writes such shared state (set-up, table
// allocation, the driver) is left out of the helpers' copy with
// #ifndef CORVANTIS_HELPER_COPY; tools/check_helper_copy.sh finds any that
// is not, and any data of the helpers' copy that is not thread-local.
#pragma once

#ifdef CORVANTIS_HELPER_COPY
#define PER_THREAD constinit thread_local
#define PER_THREAD_BEGIN namespace helper_copy {
#define PER_THREAD_END }
constexpr bool helper_thread = true;
#else
#define PER_THREAD constinit
#define PER_THREAD_BEGIN
#define PER_THREAD_END
constexpr bool helper_thread = false;  // true in the helpers' copy
#endif
