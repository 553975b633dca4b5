// The in-process automation server behind "word.Application": it creates
// documents from Office Open XML templates and performs the document calls
// of the Word report (bookmarks, inline pictures, paragraph alignment,
// saving) on the package.
#pragma once

#include "report/word/axobject.h"

AxDispatchPtr createDocxWordApplication();
