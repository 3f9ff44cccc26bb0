// Tolerance schedules of the simplex methods.  When a phase ends without a
// candidate although the basis is still infeasible, or the progress monitor
// sees no progress, a tolerance is tightened step by step rather than the
// run giving up at once: the steps shrink as the tolerance approaches
// 1e-9, so that a few retries reach the useful range and many retries are
// needed to go below it.
#pragma once

namespace tvl::lp {

// Schedule T1: for the phase-1 tolerances.
inline double tighten_t1(double t) {
  if (t > 1e-6 + 1e-13) return t / 10.0 > 1e-6 ? t / 10.0 : 1e-6;
  if (t > 1e-7) return t / 3.17 > 1e-7 ? t / 3.17 : 1e-7;
  if (t > 1e-8) return t / 1.33 > 1e-8 ? t / 1.33 : 1e-8;
  if (t > 1e-9) return t / 1.16 > 1e-9 ? t / 1.16 : 1e-9;
  if (t > 1.1e-10) return 0.9 * t + 1e-11;
  return t / 1.01;
}

// Schedule T2: for the optimality tolerance after a shift is removed.
inline double tighten_t2(double t) {
  if (t > 1.1e-7) return t / 10.0 > 1e-7 ? t / 10.0 : 1e-7;
  if (t > 1.1e-9) return t / 4.64 > 1e-9 ? t / 4.64 : 1e-9;
  if (t > 1.1e-11) return 0.5 * t + 5e-12;
  return t / 1.01;
}

// Loosening, when tightening has gone as far as it may.
inline double loosen(double t) { return t < 1e-4 ? (2.0 * t < 1e-4 ? 2.0 * t : 1e-4) : 1.1 * t; }

// The floor below which a phase-1 tolerance is not tightened further when
// a phase ends without candidates: about 25 steps of T1 from 1e-6.
inline constexpr double kPhase1TolFloor = 1e-9;

}  // namespace tvl::lp
