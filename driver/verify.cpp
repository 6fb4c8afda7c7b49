// Placeholder until the record's reader lands: refuses both requests.
#include "driver/verify.h"

#include <cstdio>
#include <cstdlib>

void ListInstallation() {
    fputs("setup --list is not available yet\n", stderr);
    exit(1);
}

void VerifyInstallation() {
    fputs("setup --verify is not available yet\n", stderr);
    exit(1);
}
