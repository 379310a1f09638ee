#pragma once

#include "core/error.h"
#include "core/hooks.h"
#include "export/convert.h"
#include "export/segment_writer.h"
#include "export/segments.h"

#include <exception>
#include <functional>
#include <span>

namespace tvx {

// The failure an exception in a pass stands for, in the result's terms.
Error ErrorOf(const std::exception& failure);

// What every pass does around its own work: the check of the names an earlier run left, the
// overwrite question, the progress message and range, and the wait cursor. `pass` converts
// into the target given.
ConvertResult RunPass(const ConvertRequest& request, Hooks& hooks,
                      const std::function<void(const OutputTarget&, ConvertResult&)>& pass);

// The end of the last segment: "Decryption Completed." with its summary, or, after Cancel or
// a failure (also one while finishing), "Decryption Cancelled.".
void EndPass(SegmentWriter& writer, bool cancelled, Hooks& hooks, ConvertResult& result);

// A header record that failed: its number in the " ERROR: Unable to decode HEADER:%u" line.
struct HeaderError {
    unsigned number;
    BlockStatus status;
};

// Opens segment 0, writes the header error lines and runs the block loop, which answers
// whether Cancel was pressed. Once the segment's files exist any exception ends the pass as
// Cancel does, its failure kept in the result. Returns whether the pass was cancelled; when
// segment 0 cannot be opened the outcome stays NotStarted.
bool ConvertSegments(SegmentWriter& writer, ConvertResult& result,
                     std::span<const HeaderError> headerErrors,
                     const std::function<bool()>& loop);

}  // namespace tvx
