#pragma once

namespace framework {

// Lets the toolkit handle whatever events are pending, then returns.
void yieldToEventLoop();

// Like yieldToEventLoop, but when nothing is pending it sleeps until the next event
// arrives (a watched stream, a timer, user input), so waiting costs no processor time.
void yieldAndWait();

// Asks the application to quit. Work under way in nested yields sees quitRequested().
void quitApplication();
bool quitRequested();

} // namespace framework
