#pragma once
// The subcommands of nolby-ink, one file each. Each prints the operations it laid out,
// one JSON object a line (see OpsJson.h), and returns the process exit status.

#include "Args.h"

namespace nolby::tools {

int galleryCommand(const Args& args);
int faceCommand(const Args& args);
int mathCommand(const Args& args);
int textCommand(const Args& args);
int figCommand(const Args& args);
int blockCommand(const Args& args);
int layersCommand(const Args& args);
int paperCommand(const Args& args);
int pageCommand(const Args& args);
int bloomCommand(const Args& args);
int libraryCommand(const Args& args);
int notebookCommand(const Args& args);
int coverCommand(const Args& args);
int trimCommand(const Args& args);
int writeCommand(const Args& args);
int lessonCommand(const Args& args);
int sheetCommand(const Args& args);

}  // namespace nolby::tools
