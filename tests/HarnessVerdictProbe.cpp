// A test program whose runs the harness test judges: one test passes, one fails, and one ends
// the whole program with exit status 0 before the others have run.
#include <cstdlib>

#include <gtest/gtest.h>

TEST(Verdict, Passes) {
    SUCCEED();
}

TEST(Verdict, Fails) {
    FAIL() << "a failing test, on purpose";
}

TEST(EarlyExit, EndsTheProgramWithSuccess) {
    std::exit(0);
}

TEST(EarlyExit, NeverRuns) {
    SUCCEED();
}
