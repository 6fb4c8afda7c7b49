// What the record says of the installation, and whether the host still
// holds it: setup --list and setup --verify. Neither changes anything.
#pragma once

// Prints the path of every recorded entry, one a line, on standard output
// and ends the run with status 0; status 5 with message 90 when nothing is
// recorded, status 1 when the record cannot be trusted.
[[noreturn]] void ListInstallation();

// Compares the host with the record and prints a line for every entry that
// differs; ends the run with status 0 when all match, 1 when something
// differs or the record cannot be trusted, 5 when nothing is recorded.
[[noreturn]] void VerifyInstallation();
