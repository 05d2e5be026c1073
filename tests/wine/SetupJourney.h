// The fixture of the setup journeys. GoogleTest runs a suite's tests with one
// fixture class, so every file that adds a journey uses this one.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

class SetupJourney : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }
};
