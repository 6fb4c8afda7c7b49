// The package list interpreter (WORK/pkg/pkg.list).
#pragma once

// 0 after the last line, 1 when a checkps line stopped the processing.
int ProcessPkgList(const char *pkg);

// Set during a first installation (also one an earlier run began and never
// ended): a "newdir" line then acts on a directory that exists too, which an
// interrupted run may have made without the line's mode and attributes.
extern bool flFirstInstallation;

// True when script may stand as the value of "sed" in the command line
// sh -c "sed SCRIPT FILE >> TEMP" (with its backslashes doubled, so that sed
// receives it as written): outside single quotes only blanks and the
// characters of IsShellSafePath; within them also what sed scripts use
// (; | & < > ( ) * [ ] { } # ! ^ ~ ? and backslashes among others); nowhere
// $, a backquote, a double quote, a newline or another control character,
// which the shell would act on inside the double quotes; every quote
// closed. A backslash-newline (a continued list line) is allowed: the shell
// removes it.
bool IsSafeSedScript(const char *script);
