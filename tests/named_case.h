#pragma once

// A test parameter with a name, which names its test through
// ::testing::PrintToStringParamName().
#include <ostream>

template <typename Value>
struct NamedCase {
    const char* name;
    Value value;

    friend void PrintTo(const NamedCase& c, std::ostream* out) { *out << c.name; }
};
