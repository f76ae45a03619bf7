#pragma once

#include <gtest/gtest.h>

#include <string>

// One private X server for the whole test process, started before the first
// test and stopped after the last; DISPLAY names it meanwhile.
class PrivateDisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// The display of that server.
const std::string& testDisplay();

// Opens the program's own window in this test process on that server, once
// (see openProgramWindow). The server then stays until the process ends,
// since the GL libraries still talk to it on their way out.
void openProgramWindowOnce();
