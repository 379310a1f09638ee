#pragma once

#include "core/im2.h"

#include <string>

namespace tvx {

// "The details of the loaded IM2 file are:"; formatName is "IM2", "IMG", "IX2" or "IX2 chain".
std::string DetailsCaption(const std::string& formatName);

// The time and length text of an IM2 image: its start, stated duration and completeness,
// one CR LF line each under "Recording:".
std::string Im2DetailsText(const CIm2& image);

// "Fri, 14 Mar 2008, 09:26:53": how the details show a calendar time.
std::string DetailsTime(const COleDateTime& time);

}  // namespace tvx
