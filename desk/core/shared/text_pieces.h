// Small text procedures every window uses: command-line switches, "hh:mm:ss" time texts and the
// pieces of a path. Paths use "/" between folders.
#pragma once

#include <cstdint>
#include <string>

namespace velt::desk {

// Finds `sw` (exact case, first occurrence) in `cmd`. The value starts after the switch and runs
// to the next blank, or, when it starts with a double quote, from after that quote to the next
// one; a value with no end runs to the end of `cmd`. False, with `value` untouched, when absent.
bool GetSwitch(const std::string& cmd, const std::string& sw, std::string& value);

// Whole seconds as "hh:mm:ss", each field two digits at least (100 hours give "100:00:00").
// Negative times show as "00:00:00".
std::string FormatHMS(int32_t seconds);

// Hours from characters 1-2, minutes from 4-5, seconds from the last two characters, each read
// leniently (no number counts as 0); -1 when the minutes or the seconds exceed 59.
int32_t ParseHMS(const std::string& hms);

// Blanks the leading zeros of "hh:mm:ss" in `hms` (the hour digits and their colon, then the
// minute digits) and returns the text trimmed: "00:03:25" gives "3:25", "01:02:03" "1:02:03".
std::string TrimTime(std::string& hms);

// Everything up to and including the last "/"; "" when there is none.
std::string FolderOf(const std::string& path);

// The text after the last "/" up to the last "." in it; the whole name when it has no ".".
std::string BaseNameOf(const std::string& path);

// Removes one leading and one trailing double quote when present.
std::string StripQuotes(const std::string& text);

// A path that is not absolute is taken relative to ProjectFolder.
std::string CheckSamplesPath(const std::string& path);

// The leading number of a text, as the classic Val reads it: blanks skipped, an optional sign,
// digits with "." as the decimal point and an optional exponent; 0 when there is no number.
// A "," in the number counts as the decimal point too, so files written under a locale with a
// decimal comma read the same.
double Val(const std::string& text);

// A Single as project files store it: up to 7 significant digits, no trailing zeros, no point for
// whole numbers ("440", "0.5", "-1"), always with "." as the decimal point.
std::string FormatSingle(float value);

}  // namespace velt::desk
