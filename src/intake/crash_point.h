#pragma once

namespace vornal {

// Test-only kill switches of the sweep. When the environment variable
// VORNAL_CRASH_AT names a point ("after-claim", "mid-file", "before-commit",
// "after-commit", "after-delete"), the process kills itself with SIGKILL the
// first time it gets there, or the Nth time with "after-claim:N", so tests
// can show that every instant of a run can be interrupted without losing or
// doubling an event. The variable is read once; unset, a point costs one
// comparison.
enum class CrashPoint { None, AfterClaim, MidFile, BeforeCommit, AfterCommit, AfterDelete };

// The point named by VORNAL_CRASH_AT, read on the first call.
CrashPoint ArmedCrashPoint();

// Kills the process when the armed point has been reached as often as
// VORNAL_CRASH_AT says.
void ReachedCrashPoint();

// Counts `point` when it is the armed one.
inline void CrashAt(CrashPoint point) {
  if (point == ArmedCrashPoint()) [[unlikely]]
    ReachedCrashPoint();
}

}  // namespace vornal
