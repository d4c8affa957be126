// Coverage builds only (KETRAV_COVERAGE): the programs end through _exit
// (a run's normal end, a helper's child, the termination handler), which
// skips the exit hook where gcov writes its counters. Linked with
// -Wl,--wrap=_exit, every _exit of our own code comes here first and the
// counters are written before the process ends.
extern "C" {
void __gcov_dump();
[[noreturn]] void __real__exit(int status);
[[noreturn]] void __wrap__exit(int status) {
    __gcov_dump();
    __real__exit(status);
}
}
