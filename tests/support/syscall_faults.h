#pragma once
// System calls of the code under test made to fail, or the process made to
// end at one of them, on demand, for faults that cannot be made for real at
// the moment a test needs them (a refused rename, a kill between two steps
// of a save). The definitions in syscall_faults.cpp take the place of the C
// library's in the test program and pass every call through until armed.
#include <cerrno>

enum class WatchedCall { Fallocate, Pwrite, Ftruncate, Rename, Linkat };

// The n-th call (from 1) of `call` from now on fails with `error`, once.
void FailCall(WatchedCall call, int n, int error);

// The process ends (_exit with kEndedAtCall) just before the n-th watched
// call from now on, as a kill would end it there.
constexpr int kEndedAtCall = 77;
void EndBeforeCall(int n);
