#pragma once

#include "core/datetime.h"

#include <string>

namespace tvx {

// "The details of the loaded IM2 file are:"; formatName is "IM2", "IMG", "IX2" or "IX2 chain".
std::string DetailsCaption(const std::string& formatName);

struct DetailsFields {
    std::string formatName;   // "IM2", "IX2", "IX2 chain", "IMG"
    std::string unitText;
    std::string number;
    std::string sampleRate;
    std::string channels;
    std::string bits;
    std::string details;      // CR LF lines
};

// "Fri, 14 Mar 2008, 09:26:53": how the details show a calendar time.
std::string DetailsTime(const COleDateTime& time);

// The lines a details text is made of, each ending in CR LF.
std::string DetailsStartLine(const COleDateTime& start);
std::string DetailsDurationLine(const COleDateTimeSpan& span);
std::string DetailsCompleteLine(bool complete);
// The dialog's fields hold 16-bit values.
std::string DetailsNumber(long value);

}  // namespace tvx
