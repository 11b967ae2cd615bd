// Every text quelbrin shows, stored as CP932 bytes; "%s" marks what is filled in.
#pragma once

extern const char kTitle[];

// Run sequence.
extern const char kTextPortableSylpheedBroken[];
extern const char kTextPortableGnuPGMissing[];
extern const char kTextOpening[];
extern const char kTextReloadSucceeded[];
extern const char kTextReloadFailed[];

// Locator.
extern const char kTextGnuPGNotFound[];

// Home discovery.
extern const char kTextVersionRunFailed[];
extern const char kTextScratchReadFailed[];
extern const char kTextHomeFailed[];

// Root list download; the host name follows the first part of both prompts.
extern const char kTextRootListMissingBeforeHost[];
extern const char kTextRootListMissingAfterHost[];
extern const char kTextDownloadPromptBeforeHost[];
extern const char kTextDownloadPromptAfterHost[];
extern const char kTextNoDateText[];
extern const char kTextDownloadOpenFailed[];
extern const char kTextDownloadFailed1[];
extern const char kTextDownloadFailed2[];
extern const char kTextDownloadFailed3[];
extern const char kTextDownloadFailed4[];
extern const char kTextDownloadFailed5[];
extern const char kTextDownloadFailed6[];

// Root list parser.
extern const char kTextRootListNotFound[];
extern const char kTextRootListReadFailed[];
extern const char kTextRootListAnalysisFailed[];

// Trust list writer.
extern const char kTextTrustListCreateFailed[];
extern const char kTextTrustListNotFound[];
extern const char kTextTrustListReadFailed[];
extern const char kTextFirstRegistration[];
extern const char kTextReRegistration[];
extern const char kTextTrustListUpdateFailed[];
extern const char kTextTrustListUpdated[];
