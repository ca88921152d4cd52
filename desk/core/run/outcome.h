// What the desktop program tells the user about the end of a conversion: the engine's outcome
// code (-(type + detail / 1000)) turned into a message with its help topic, and the check that a
// status record read from the engine is sane enough to show and to copy into the project.
#pragma once

#include <string>

#include "desk/core/help_topics.h"
#include "kvxvtpd.h"

namespace velt::desk {

struct OutcomeMessage {
    std::string text;  // the message, two blanks and the status value ("...  -3.015")
    long helpTopic = help_topic::None;
};

// The message of a negative status value. Codes with a message of their own are matched exactly
// (as 4-byte floats); the others by the type, the integer part of the value. An unknown type
// gives an empty message and no topic, followed by the value all the same.
OutcomeMessage DescribeOutcome(float status);

// The shortest decimal text of a status value that reads back as the same float ("-3.015", "-1").
std::string StatusValueText(float status);

// False for a record no engine writes: a number that is not finite or far outside what the field
// can hold (a damaged or foreign status file). Such a record is ignored as a whole.
bool PlausibleStatus(const ConvertStatus& record);

}  // namespace velt::desk
