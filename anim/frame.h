// The device half of a frame: set the transforms, render and show the picture.
#pragma once

class CRenderEngine;

// One tick of the animation: advances the chosen animation, sets the view and
// world transforms on the engine's device, clears, draws the model and copies
// the picture to the screen. Returns PresentFrame's result.
int FrameStep(int animation, int display);

// Copies the engine's 640 x 480 back buffer onto the primary surface:
// display 0 centred at its own size, 1 stretched over the window, 2 tiled;
// any other value shows nothing. Returns 0 when a copy to the screen failed,
// else 1.
int PresentFrame(CRenderEngine& engine, int display);
