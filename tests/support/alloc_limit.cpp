// Linked into every test program, the AddressSanitizer options of the tests: a single allocation
// above 1 GB stops the program with a report. A count taken from a file without its check then
// fails the test at once, instead of taking gigabytes and letting the test pass on what follows.
#if defined(__SANITIZE_ADDRESS__)
#define TW_TESTS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TW_TESTS_UNDER_ASAN 1
#endif
#endif

#ifdef TW_TESTS_UNDER_ASAN
// Read by the sanitizer before the ASAN_OPTIONS of the environment, which may add to it. Stack
// frames are kept poisoned after their function returns, so that a pointer to a local that an
// object kept is caught at its first use, however the test is run.
extern "C" const char* __asan_default_options() {
  return "max_allocation_size_mb=1024:detect_stack_use_after_return=1";
}
#endif
