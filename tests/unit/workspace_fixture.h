// The workspace the unit tests start from: the interpreter set up once per
// process, and the workspace cleared before every test.
#pragma once
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "system/workspace.h"
#include "values/values.h"

// A freshly cleared workspace; the one-time set-up runs on the first call.
inline void ValuesFreshWorkspace() {
    static bool ready = (ZemInit(), true);
    (void)ready;
    CleanEX(false);
}

// Fixture base: a fresh workspace with no error and no collision pending.
class FreshWorkspace : public ::testing::Test {
protected:
    void SetUp() override {
        ValuesFreshWorkspace();
        errchk = 0;
        collision = 0;
    }
};
