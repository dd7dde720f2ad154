// The paper of a script's printer: a recorded print job written out as a PDF that a person
// can open and read, Chinese texts included (drawn with cairo and pango, the texts
// converted from GBK to UTF-8, CJK faces from fontconfig).
//
// Each page of the job is one A4 page; device pixels become points by the job's
// resolution, so the page looks the same whatever resolution it was drawn at. A text
// op's point is the top left corner of its text; the face is the op's, with a CJK face
// behind it for the characters it lacks.
#pragma once

#include <functional>
#include <string>

#include "ui/script/PrintRecord.h"

namespace ui {

// Writes job as a PDF to the open descriptor fd, which stays open. Throws
// std::runtime_error when cairo or the write fails.
void WritePdf(const PrintJob& job, int fd);

// Writes job into a new file "tavro-print-N.pdf" of folder (empty: the current folder)
// with the smallest N whose name is free, created exclusively so no file and no link is
// ever replaced, and private to its user (sys::OpenPrivateFile: it lists the bank's
// users). Returns the path (folder joined with the name). On failure nothing is left
// behind and std::runtime_error says why.
std::string WritePdfToFolder(const PrintJob& job, const std::string& folder);

// The folder of TAVRO_UI_PRINT_DIR, empty (the current folder) when it is not set.
std::string PrintFolderFromEnvironment();

// The path WritePdfToFolder would take in folder now: the first "tavro-print-N.pdf" that
// does not exist (the last one tried when all are taken). A print dialog suggests it.
std::string FreePrintFileName(const std::string& folder);

// A writer for ScriptRunner::SetPrintWriter that stores each job with
// WritePdfToFolder in folder and names the file in GBK, as the transcript shows texts.
std::function<std::string(const PrintJob&)> PdfPrintWriter(std::string folder);

}  // namespace ui
