// Placeholder until the removal lands: refuses the request.
#include "driver/remove.h"

#include <cstdio>
#include <cstdlib>

void RemoveInstallation(bool purge) {
    (void)purge;
    fputs("setup --remove is not available yet\n", stderr);
    exit(1);
}
