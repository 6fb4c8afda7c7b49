// Printing subsystem detection and the flags file APP/.tv_cfg.
#pragma once

void createPrintingSubsystemFile(const char *dir);
bool SniffLprng();
bool SniffCUPS();
