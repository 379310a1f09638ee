#pragma once

namespace tvx::test {

// Counts calls of operator new between the two calls, on any thread.
void StartCountingAllocations();
long StopCountingAllocations();

}  // namespace tvx::test
