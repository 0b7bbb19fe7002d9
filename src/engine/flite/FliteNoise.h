#pragma once
// Flite excites unvoiced sounds with noise from rand(), one call a sample. glibc's rand() takes
// a lock for the whole process, which two synthesizing threads fight over (a third of their
// time went there), and its one sequence runs on through every phrase of the process, so no two
// runs sounded alike to the sample. This program's rand() keeps its state per thread, and each
// phrase starts it afresh: a phrase sounds the same on any thread and in any run.

namespace orasent {

// Restarts the calling thread's rand() sequence.
void restartFliteNoise();

} // namespace orasent
