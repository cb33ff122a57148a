#pragma once

// The browser engine's preparation, split around the application object's
// creation as the engine requires. The program and qvtool's fill-form both
// start the engine this way.

// Before the application object exists: share OpenGL contexts between the
// engine and the widgets, and, when the program runs as root, turn off the
// engine's sandbox, which refuses to start otherwise.
void PrepareBrowserEngine();

// After the application object exists: whether the engine's helper process is
// installed where the engine will look for it (QTWEBENGINEPROCESS_PATH, else
// Qt's helper-program folder).
bool BrowserEngineAvailable();
