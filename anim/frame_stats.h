// Opt-in frame-rate figures. With the environment variable MORVELLA_STATS set
// to a file path, the frame step keeps count of frames, wall time and the
// process's CPU time, and every 64 frames rewrites that file with one line:
//   frames=N ms=T fps=F.FF cpu_ms_per_frame=C.CC step_ms_per_frame=S.SS
// (ms and fps count from the first measured frame). Without the variable the
// two calls only test a flag: nothing is measured, written or allocated.
#pragma once

void FrameStatsBegin();
void FrameStatsEnd();
