// The device half of a frame: set the transforms, render and show the picture.
#pragma once

class CRenderEngine;

// One tick of the animation: advances the chosen animation, sets the view and
// world transforms on the engine's device, clears, draws the model and copies
// the picture to the screen. Returns PresentFrame's result.
int FrameStep(int animation, int display);

// Copies the engine's 640 x 480 back buffer onto the primary surface as
// `display` (a DisplayMode) asks: centred at its own size, stretched or
// tiled, on the window or, when the monitor list holds several monitors, on
// each monitor; any other value shows nothing. Returns 0 when a copy to the
// screen failed, else 1.
int PresentFrame(CRenderEngine& engine, int display);

// Reads the desktop's monitors for PresentFrame (at start-up and whenever
// the display changes). Where the system has no monitor functions, or shows
// one monitor, PresentFrame keeps to the window.
void ReadMonitorList();
