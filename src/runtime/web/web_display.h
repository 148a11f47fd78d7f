// The browser's display and audio device: the screen on a canvas, keys and
// mouse from the page's events, the clock from the page's, and the sound on
// Web Audio. Everything runs on the page's one thread: wherever the program
// would block (a sleep, a wait for input) or has run for a while (a key
// poll, a finished frame), the display hands control back to the browser
// for a moment (Asyncify), so that it paints, delivers events and plays.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/audio.h"
#include "runtime/display.h"

namespace wimmel::rt::web {

std::unique_ptr<Display> MakeWebDisplay();
// How many times the canvas received a new picture from the current
// runtime's web display (0 for another display).
uint64_t WebDisplayPresents();
// The processor time of the page's thread that the program has used under
// the current runtime's web display, in seconds: the time since the display
// was made, less the turns it handed to the browser (0 for another display).
// A page has no processor clock of its own to ask.
double WebDisplayBusySeconds();

// The Web Audio device. Its fill function runs on the page's thread, called
// by the display whenever the program hands control back to the browser.
std::unique_ptr<AudioDevice> MakeWebAudioDevice();
// Tops up the audio device's queue; the display calls it at every yield.
void PumpAudio();

}  // namespace wimmel::rt::web
