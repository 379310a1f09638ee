#pragma once

#include "formats/im2/im2.h"
#include "formats/img/img.h"
#include "formats/ix2/ix2.h"

#include <string>

namespace tvx {

// "The details of the loaded IM2 file are:"; formatName is "IM2", "IMG", "IX2" or "IX2 chain".
std::string DetailsCaption(const std::string& formatName);

// The time and length text of an IM2 image: its start, stated duration and completeness,
// one CR LF line each under "Recording:".
std::string Im2DetailsText(const CIm2& image);

// The time and length text of an IX2 file: the recording, then the split this file holds;
// a chain's start is shown beside the outer image's as the slave.
std::string Ix2DetailsText(const CIx2& image);

// Everything the Details dialog shows, in its fields' own texts.
struct DetailsFields {
    std::string formatName;   // "IM2", "IX2", "IX2 chain", "IMG"
    std::string unitText;
    std::string number;
    std::string sampleRate;
    std::string channels;
    std::string bits;
    std::string details;      // CR LF lines
};
DetailsFields Im2Details(const CIm2& image);
DetailsFields Ix2Details(const CIx2& image);
// IMG images carry no dates: the text is the duration alone.
DetailsFields ImgDetails(const CImg& image);

// "Fri, 14 Mar 2008, 09:26:53": how the details show a calendar time.
std::string DetailsTime(const COleDateTime& time);

}  // namespace tvx
