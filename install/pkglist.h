// The package list interpreter (WORK/pkg/pkg.list).
#pragma once

// 0 after the last line, 1 when a checkps line stopped the processing.
int ProcessPkgList(const char *pkg);
