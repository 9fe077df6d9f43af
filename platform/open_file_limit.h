// Every connection to the event endpoint holds an open file while it lasts,
// so the agent asks for all the files the system lets it have.
#pragma once

// Raises the process's soft limit of open files to its hard limit. Where
// the system has no such limit (Windows), does nothing.
void RaiseOpenFileLimit();
