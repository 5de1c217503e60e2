#pragma once

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

// Whether theRun ended with theStatus and its output holds theText; a failure
// shows all it said.
testing::AssertionResult Ran(const ProgramRun& theRun, int theStatus, const std::string& theText = "");
