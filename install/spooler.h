// Printing subsystem detection and the flags file APP/.tv_cfg.
#pragma once

void createPrintingSubsystemFile(const char *dir);
const char *DetectSpooler(const char *cfgPath);
bool SniffLprng();
bool SniffCUPS();
