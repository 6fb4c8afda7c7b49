// Install site and media: copying the medium into the work area, joining the
// archive pieces, the root check and the continue question.
#pragma once

// Base name of the installation archive: the pieces are joined into
// WORK/Linuxi386Tvxx.tar.Z, which is uncompressed and unpacked there.
constexpr char ARCHIVE_NAME[] = "Linuxi386Tvxx";

int installFromSite(const char *work);
void GetDisksData(const char *dir);
void genZFile();
bool readyForInstallation();
