// Install site and media: copying the medium into the work area, joining the
// archive pieces, the root check and the continue question.
#pragma once

int installFromSite(const char *work);
void GetDisksData(const char *dir);
void genZFile();
bool readyForInstallation();
