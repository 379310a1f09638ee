#pragma once

namespace tvx::cli {

// Standard output carries the results: a write to it that fails is the run's failure, never
// a silent end. A closed pipe then fails the write (EPIPE) instead of killing the tool.
void KeepBrokenPipesFromKilling();

// A write to standard output has failed already; there is no point in producing more.
bool StdoutFailed();

// Flushes standard output. When anything written to it was lost, says so on stderr and
// answers the output's exit status (or a graver one already given); otherwise `status`.
int FinishStdout(int status);

}  // namespace tvx::cli
