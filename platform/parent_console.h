// Where standard output and error go. A Windows program with windows of its
// own has no console: started from a command prompt, it writes there only
// once it has joined that prompt's console. Elsewhere nothing needs doing.
#pragma once

// Joins the console of the process that started this one for every
// standard stream that goes nowhere; a stream already sent somewhere (a
// pipe, a file) stays there. Call first thing in main.
void UseParentConsole();

// Leaves that console again, before the agent starts: a process joined to
// a console is ended by its Ctrl+C, Ctrl+Break and close box at once,
// without its exit's save. The command line's answers and warnings are
// written by then.
void LeaveParentConsole();
