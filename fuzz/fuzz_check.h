// The harnesses' property check: a broken property says which one, then ends the run as a
// crash, so that libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void fuzzFailure(const char* file, int line, const std::string& what) {
  std::fprintf(stderr, "\n%s:%d: property broken: %s\n", file, line, what.c_str());
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(condition, what)                              \
  do {                                                           \
    if (!(condition)) fuzzFailure(__FILE__, __LINE__, (what));   \
  } while (0)
