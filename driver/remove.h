// Taking the suite off the host as its record describes it: setup --remove.
#pragma once

// Removes what the record says the runs made, and nothing else; ends the
// run with status 0 (removed, kept entries listed), 1 (refused: not root, a
// record that cannot be trusted), 3 (some entries could not be removed), 4
// (answered to stop while programs of the suite run) or 5 (nothing is
// recorded). purge: files whose content changed since, and files that other
// users put into the suite's open directories, go too. Called with the run
// lock taken, the log started and an interrupted move finished.
[[noreturn]] void RemoveInstallation(bool purge);
