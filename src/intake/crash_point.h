#pragma once

namespace vornal {

// Test-only kill switches of the sweep. When the environment variable
// VORNAL_CRASH_AT names a point ("after-claim", "mid-file", "before-commit",
// "after-commit", "after-delete"), the process kills itself with SIGKILL the
// first time it gets there, so tests can show that every instant of a run
// can be interrupted without losing or doubling an event. The variable is
// read once; unset, a point costs one comparison.
enum class CrashPoint { None, AfterClaim, MidFile, BeforeCommit, AfterCommit, AfterDelete };

// The point named by VORNAL_CRASH_AT, read on the first call.
CrashPoint ArmedCrashPoint();

[[noreturn]] void KillForCrashPoint();

// Kills the process when `point` is the armed one.
inline void CrashAt(CrashPoint point) {
  if (point == ArmedCrashPoint()) [[unlikely]]
    KillForCrashPoint();
}

}  // namespace vornal
