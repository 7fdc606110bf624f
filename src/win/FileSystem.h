#pragma once
// The whole file layer in one include. Every file, folder and listing call of the program goes
// through these headers, each holding one idea; include the one you need.

#include "win/ApiPath.h"        // the "\\?\" form of a path
#include "win/FolderListing.h"  // a folder's entries with their file ids
#include "win/OpenFileCalls.h"  // an open file: its identity, final path, facts, rename, deletion
#include "win/PathCalls.h"      // the calls by path
#include "win/TruePath.h"       // typed, long and true forms of a path
#include "win/VerifiedCopy.h"   // the checked copy of an open file
