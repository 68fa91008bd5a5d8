// The unit root and the shell-command runner.
//
// VONDREL_ROOT names a folder that stands for the unit's root file system.
// Every absolute platform path (/dev, /sys, /mnt, /etc, /tmp, /sbin,
// /usr/vondrel) goes through L_ROOT_pcResolve; without a root, paths are used
// as they are. Shell commands go through L_ROOT_s32System: under a root it
// runs ROOT/bin/NAME when that stand-in exists and otherwise records the
// command line in ROOT/tmp/commands.log and reports success.
//
// An empty folder (or one not made yet) is a valid root: L_ROOT_vMakeTree
// makes the folders of the stand-in tree that are missing.
#pragma once

#include "kernel/l_types.h"

// The root folder, or "" when none is set.
const char* L_ROOT_pcGetRoot(void);
// Host path of a unit path, written into buf (always NUL-terminated).
// A relative path, or one already under the root, is copied as it is.
char* L_ROOT_pcResolve(const char* pcUnitPath, char* buf, size_t size);
// Under a root, makes the working directory and the stand-in tree's folders
// (usr/vondrel, dev, dev/input, mnt, tmp, sys, etc) that are missing. A folder that
// cannot be made is a fatal error naming it. Without a root it does nothing.
void L_ROOT_vMakeTree(void);
// Runs a shell command line; the result is system()'s.
int L_ROOT_s32System(const char* pcCommand);
