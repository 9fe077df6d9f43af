// The diagnostic file: created empty at start-up and held open, exclusively,
// for the life of the process, so a second copy sees that it is taken.
#pragma once

// Failures are ignored: the program writes nothing to the file.
void OpenDiagnosticFile();
