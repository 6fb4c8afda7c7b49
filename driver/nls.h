// Message tables of the six languages and the choice of language from LANG.
#pragma once

constexpr int NLS_COUNT = 71;
extern const char *const NLS_ENGLISH[NLS_COUNT];
extern const char *const NLS_SPANISH[NLS_COUNT];
extern const char *const NLS_ITALIAN[NLS_COUNT];
extern const char *const NLS_FRENCH[NLS_COUNT];
extern const char *const NLS_GERMAN[NLS_COUNT];
extern const char *const NLS_PORTUGUESE[NLS_COUNT];

extern const char *const *pCurLang; // chosen table, null until the first request

// Text of message id (0..70) in the language chosen from LANG on first use.
const char *nlsSetupStrCvt(int id);
