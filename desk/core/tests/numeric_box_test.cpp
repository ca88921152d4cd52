// What the numeric boxes read as a number: a sign and digits at the front, whatever follows.
#include "desk/core/shared/numeric_box.h"

#include <gtest/gtest.h>

namespace velt::desk {
namespace {

TEST(NumericBox, WhatReadsAsANumber) {
    struct Case {
        const char* text;
        bool reads;
        double value;
    } cases[] = {
        {"12", true, 12},    {" 7", true, 7},   {"+12", true, 12},   {"-3", true, -3},
        {"120%", true, 120}, {".5", true, 0.5}, {"-.5", true, -0.5}, {"4abc", true, 4},
        {"", false, 0},      {"   ", false, 0}, {"-", false, 0},     {"+", false, 0},
        {"+-1", false, 0},   {".", false, 0},   {"%", false, 0},     {"abc", false, 0},
        {"Auto", false, 0},  {"- 5", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        double value = -99;
        EXPECT_EQ(ReadBoxNumber(c.text, value), c.reads);
        if (c.reads) {
            EXPECT_DOUBLE_EQ(value, c.value);
        }
    }
}

}  // namespace
}  // namespace velt::desk
