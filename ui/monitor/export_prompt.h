// What the Monitor's and the History window's exports ask and tell the user:
// the save-as request, the file a chosen path writes, and the message when
// it cannot be written. One place, so that the two exports read the same.
// GUI thread.
#pragma once

#include <QString>

#include "file_replace.h"
#include "shell_services.h"

// The export's file types and default extension.
CSaveAsRequest ExportSaveAsRequest();

// The file to write for the path the user chose: a link is written through,
// as any program saving there would. Empty when that is a file of the
// program's own data folder (the data file, the archive and its log): those
// hold the events themselves, and an export must never replace them.
QString ExportTarget(const QString& chosen);

// "Could not open the file …" or "Could not write the file …" with the
// chosen path; empty when the file was written.
QString ExportFailureText(ReplaceResult result, const QString& chosen);
