/** @file
 * The installer's run for parsed settings: one straight sequence of steps on
 * the main thread from the single-instance guard to the exit code.
 *
 * Each step either lets the run go on or ends it with one message and an
 * exit-code value. Whatever way the run ends, one teardown releases exactly
 * what the steps set up: what the run extracted (removed, unless an
 * extract-only run got as far as extracting), the console, the splash screen
 * and the mutex.
 */
#include <windows.h>
#include "TarnStubCmdLine.h"
#include "TarnStubRun.h"
#include "TarnStubCertUtil.h"
#include "TarnStubCleanup.h"
#include "TarnStubCustomDir.h"
#include "TarnStubExtract.h"
#include "TarnStubHostArch.h"
#include "TarnStubMessages.h"
#include "TarnStubMsi.h"
#include "TarnStubPackage.h"
#include "TarnStubSplash-win.h"
#include <rt/err.h>
#include <rt/path.h>
#include <rt/stream.h>
#include <rt/string.h>

namespace
{

/** Name of the mutex that keeps a second installer of the same logon out (local namespace). */
const WCHAR g_wszMutexName[] = L"TarnStubInstaller";
/** Last component of a fresh extraction directory: every 'X' becomes a random character. */
const char g_szExtractDirTemplate[] = "XXXXXXXXXXXXXXXXXXXXXXXX";
/** The MSI log's file name inside the extraction directory (--logging without --msi-log-file). */
const char g_szDefaultMsiLogName[] = "TarnInstallLog.txt";

/** What a step of the run leads to: the next step, or the end of the run with an exit code. */
struct StepOutcome
{
    bool fRunEnds;
    /** The exit-code value the run ends with (STUB_EXIT_XXX); only when fRunEnds. */
    int rcExit;
};

StepOutcome goOn(void)
{
    return StepOutcome{false, STUB_EXIT_SUCCESS};
}

StepOutcome endRun(int rcExit)
{
    return StepOutcome{true, rcExit};
}

/** What the run has set up and keeps besides the settings; the teardown releases it. */
struct StubRun
{
    StubSettings *pSettings;
    /** The single-instance mutex; null when it could not be created. */
    HANDLE hMutex;
    /** The splash screen while it shows; null in silent mode, after a failed start and once stopped. */
    SplashScreen *pSplash;
    /** Whether --verbose allocated a console. */
    bool fConsole;
    /** Whether extraction began, which makes the extraction directory current and records what it writes. */
    bool fExtractionStarted;
    /** The extraction directory's cleanup record. */
    CleanupRecord *pDirRecord;
    /** The host's architecture, asked once (PACKAGE_ARCH_XXX). */
    uint32_t uHostArch;
    uint32_t cPackages;
};

/** Holding the mutex (or none, when it cannot be created); the run ends when another installer runs. */
StepOutcome takeSingleInstanceMutex(StubRun *pRun)
{
    SetLastError(0);
    HANDLE hMutex = CreateMutexW(NULL, FALSE, g_wszMutexName);
    if (hMutex && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        CloseHandle(hMutex);
        return endRun(ShowError("Another installer is already running"));
    }
    pRun->hMutex = hMutex;
    return goOn();
}

/** A silent run shows no window at all; a splash that fails to start is no reason to stop. */
StepOutcome startSplash(StubRun *pRun)
{
    if (!g_fSilent)
        pRun->pSplash = StartSplashScreen();
    InitCleanupRecords();
    return goOn();
}

/**
 * The temporary directory as an absolute path. The environment may name it
 * relative to where the installer started, but extraction makes the
 * extraction directory current, after which a relative path would name
 * another place.
 */
int queryAbsoluteTempDir(char *pszPath, size_t cbPath)
{
    char szTemp[RTPATH_MAX];
    int rc = RTPathTemp(szTemp, sizeof(szTemp));
    if (RT_SUCCESS(rc))
        rc = RTPathAbs(szTemp, pszPath, cbPath);
    return rc;
}

/**
 * Without --path: the temporary directory, and unless extracting only a new
 * private directory in it (mode 0700) that the clean-up removes again.
 */
StepOutcome makeExtractionDir(StubRun *pRun)
{
    StubSettings *pSettings = pRun->pSettings;
    if (pSettings->szExtractPath[0] == '\0')
    {
        int rc = queryAbsoluteTempDir(pSettings->szExtractPath, sizeof(pSettings->szExtractPath));
        if (RT_FAILURE(rc))
            return endRun(ShowError("Failed to find temporary directory: %Rrc", rc));
        if (!pSettings->fExtractOnly)
        {
            rc = RTPathAppend(pSettings->szExtractPath, sizeof(pSettings->szExtractPath), g_szExtractDirTemplate);
            if (RT_SUCCESS(rc))
                rc = RTDirCreateTemp(pSettings->szExtractPath, STUB_EXTRACT_DIR_MODE);
            if (RT_FAILURE(rc))
                return endRun(ShowError("Failed to create extraction path: %Rrc", rc));
            /* Without a record ("Out of memory!" shown) the run goes on; the directory then stays. */
            pRun->pDirRecord = AddCleanupRecord(pSettings->szExtractPath, false /*fFile*/);
        }
    }
    RTPathChangeToDosSlashes(pSettings->szExtractPath, true /*fForce*/);
    return goOn();
}

/** --verbose: a console of our own that becomes both standard output and standard error. */
StepOutcome allocVerboseConsole(StubRun *pRun)
{
    if (g_cVerbosity == 0)
        return goOn();
    if (!AllocConsole())
        return endRun(ShowError("Unable to allocate console: LastError=%u\n", GetLastError()));
    pRun->fConsole = true;
    PRTSTREAM pConsole = NULL;
    if (RT_SUCCESS(RTStreamOpen("CONOUT$", "a", &pConsole)))
    {
        RTStreamSetBuffering(pConsole, RTSTRMBUFMODE_UNBUFFERED);
        g_pStdOut = pConsole;
        g_pStdErr = pConsole;
    }
    return goOn();
}

/** A log file implies logging; --logging alone logs into the extraction directory. */
StepOutcome decideMsiLogFile(StubRun *pRun)
{
    StubSettings *pSettings = pRun->pSettings;
    if (!pSettings->fLogging && pSettings->szMsiLogFile[0] == '\0')
        return goOn();
    pSettings->fLogging = true;
    if (pSettings->szMsiLogFile[0] == '\0')
    {
        int rc = RTStrCopy(pSettings->szMsiLogFile, sizeof(pSettings->szMsiLogFile), pSettings->szExtractPath);
        if (RT_SUCCESS(rc))
            rc = RTPathAppend(pSettings->szMsiLogFile, sizeof(pSettings->szMsiLogFile), g_szDefaultMsiLogName);
        if (RT_FAILURE(rc))
            return endRun(ShowError("Error creating MSI log file name, rc=%Rrc", rc));
    }
    return goOn();
}

const char *hostArchName(uint32_t uHostArch)
{
    switch (uHostArch)
    {
        case PACKAGE_ARCH_X86:
            return "x86";
        case PACKAGE_ARCH_AMD64:
            return "x86_64";
        case PACKAGE_ARCH_ARM64:
            return "arm64";
        default:
            return "<Unknown>";
    }
}

const char *textOrNone(const char *psz)
{
    return psz[0] != '\0' ? psz : "<None>";
}

void printVerboseSummary(const StubRun *pRun)
{
    const StubSettings *pSettings = pRun->pSettings;
    RTStreamPrintf(g_pStdOut, "Host architecture        : %s\n", hostArchName(pRun->uHostArch));
    RTStreamPrintf(g_pStdOut, "Extraction path          : %s\n", pSettings->szExtractPath);
    RTStreamPrintf(g_pStdOut, "Silent installation      : %RTbool\n", g_fSilent);
    RTStreamPrintf(g_pStdOut, "Certificate installation : %RTbool\n", pSettings->fEnableSilentCert);
    RTStreamPrintf(g_pStdOut, "Additional MSI parameters: %s\n", textOrNone(pSettings->szMsiParams));
    RTStreamPrintf(g_pStdOut, "Logging to file          : %s\n", textOrNone(pSettings->szMsiLogFile));
}

/** The host's architecture, asked once for the whole run; an interactive run on a 32-bit x86 host ends here. */
StepOutcome detectHost(StubRun *pRun)
{
    pRun->uHostArch = DetectHostArch();
    if (g_cVerbosity != 0)
        printVerboseSummary(pRun);
    if (!pRun->pSettings->fExtractOnly && !g_fSilent && pRun->uHostArch == PACKAGE_ARCH_X86)
        return endRun(ShowError("32-bit Windows hosts are not supported by this Tarnvale release."));
    return goOn();
}

StepOutcome readManifest(StubRun *pRun)
{
    const void *pvManifest = NULL;
    int rc = FindEmbeddedResource(PACKAGE_MANIFEST_RESOURCE, &pvManifest, NULL);
    if (RT_FAILURE(rc))
        return endRun(ShowError("Internal package error: Manifest not found (%Rrc)", rc));
    pRun->cPackages = static_cast<const PackageManifest *>(pvManifest)->cPackages;
    return goOn();
}

StepOutcome extractPackages(StubRun *pRun)
{
    StubSettings *pSettings = pRun->pSettings;
    pRun->fExtractionStarted = true;
    int rcExit = ExtractPackages(pRun->cPackages, pSettings->szExtractPath, pSettings->fExtractOnly, pRun->uHostArch,
                                 &pRun->pDirRecord);
    return rcExit == STUB_EXIT_SUCCESS ? goOn() : endRun(rcExit);
}

/** The splash shows the extraction only: the installations have windows of their own. --extract ends here. */
StepOutcome finishExtraction(StubRun *pRun)
{
    StopSplashScreen(&pRun->pSplash);
    if (!pRun->pSettings->fExtractOnly)
        return goOn();
    ShowInfo("Files were extracted to: %s", pRun->pSettings->szExtractPath);
    return endRun(STUB_EXIT_SUCCESS);
}

/** Only a silent run adds the maker's certificates; an interactive one leaves trust to the user. */
int addEmbeddedCertificates(void)
{
    const void *pvCert;
    uint32_t cbCert;
    for (uint32_t i = 0; FindEmbeddedCert(i, &pvCert, &cbCert); i++)
        if (!PutCertificateInStore(STUB_CERT_STORE_LOCAL_MACHINE, STUB_CERT_STORE_TRUSTED_PUBLISHER, pvCert, cbCert))
            return ShowError("Failed to add our certificate(s) to trusted publisher store.");
    return STUB_EXIT_SUCCESS;
}

/** Installs package @a idxPackage when it applies to this host; a cabinet only has to lie beside the MSIs. */
int installPackage(const StubRun *pRun, uint32_t idxPackage)
{
    const StubSettings *pSettings = pRun->pSettings;
    const PackageHeader *pHdr = FindPackageHeader(idxPackage);
    if (!pHdr)
        return STUB_EXIT_FAILURE;
    if (pHdr->uArch != PACKAGE_ARCH_ALL && pHdr->uArch != pRun->uHostArch)
        return STUB_EXIT_SUCCESS;

    CleanupRecord *pRecord = FindCleanupRecordOfPackage(idxPackage);
    if (!pRecord)
        return PrintErrorExit("Package #%u not found in cleanup records", idxPackage);
    RTPathChangeToDosSlashes(pRecord->szPath, true /*fForce*/);
    const char *pszSuffix = RTPathSuffix(pRecord->szPath);
    if (pszSuffix && RTStrICmpAscii(pszSuffix, ".msi") == 0)
        return RunMsiPackage(pRecord->szPath, pSettings->szMsiParams,
                             pSettings->szMsiLogFile[0] != '\0' ? pSettings->szMsiLogFile : NULL);
    if (pszSuffix && RTStrICmpAscii(pszSuffix, ".cab") == 0)
        return STUB_EXIT_SUCCESS;
    return ShowError("Internal error: Do not know how to handle file '%s' (%s).", pHdr->szFileName, pRecord->szPath);
}

/** The customisation copy, the certificates and one Windows Installer run per package, in package order. */
StepOutcome installExtracted(StubRun *pRun)
{
    const StubSettings *pSettings = pRun->pSettings;
    int rcExit = CopyCustomDirectory(pSettings->szExtractPath);
    if (rcExit == STUB_EXIT_SUCCESS && pSettings->fEnableSilentCert && g_fSilent)
        rcExit = addEmbeddedCertificates();
    for (uint32_t idxPackage = 0;
         idxPackage < pRun->cPackages && (rcExit == STUB_EXIT_SUCCESS || rcExit == STUB_EXIT_REBOOT_NEEDED);
         idxPackage++)
    {
        /* A later success never clears an earlier reboot request. */
        int rcPackage = installPackage(pRun, idxPackage);
        if (rcPackage != STUB_EXIT_SUCCESS)
            rcExit = rcPackage;
    }
    return endRun(rcExit);
}

/** The directory the clean-up removes last: only one this run created and nothing else writes into. */
const char *finalDirToRemove(const StubRun *pRun)
{
    if (!pRun->pSettings->fLogging && pRun->pDirRecord && !pRun->pDirRecord->fDontDelete)
        return pRun->pSettings->szExtractPath;
    return NULL;
}

/**
 * What the run extracted: kept after an extract-only run that got to
 * extracting (held open until the process ends), else removed, with a
 * directory made for the run even when the run ended before extracting.
 */
void releaseExtraction(StubRun *pRun)
{
    if (!(pRun->pSettings->fExtractOnly && pRun->fExtractionStarted))
    {
        /* Extraction made the directory current; a process inside it could not remove it. */
        if (pRun->fExtractionStarted)
            RTPathSetCurrent("..");
        CleanUpRecords(finalDirToRemove(pRun));
    }
    ReleaseCleanupRecords();
}

/** Releases what the run set up, in the reverse order; returns the process's exit code. */
int tearDown(StubRun *pRun, int rcExit)
{
    releaseExtraction(pRun);
    if (pRun->fConsole)
        FreeConsole();
    StopSplashScreen(&pRun->pSplash);
    if (pRun->hMutex)
        CloseHandle(pRun->hMutex);
    if (rcExit == STUB_EXIT_REBOOT_NEEDED && pRun->pSettings->fIgnoreReboot)
        rcExit = STUB_EXIT_SUCCESS;
    return rcExit;
}

} // namespace

int StubRunInstaller(StubSettings *pSettings)
{
    StubRun Run = {pSettings, NULL, NULL, false, false, NULL, 0, 0};
    StepOutcome Outcome = takeSingleInstanceMutex(&Run);
    if (Outcome.fRunEnds)
        return Outcome.rcExit; /* nothing is set up yet */

    static StepOutcome (*const s_apfnSteps[])(StubRun *) = {
        startSplash,         /* the splash screen while extracting, the cleanup list */
        makeExtractionDir,   /* the temporary directory, or a fresh private one in it */
        allocVerboseConsole, /* --verbose */
        decideMsiLogFile,    /* --logging, --msi-log-file */
        detectHost,          /* the host's architecture; the --verbose summary */
        readManifest,        /* the number of packages */
        extractPackages,     /* written, verified and held */
        finishExtraction,    /* the splash ends; --extract ends the run */
        installExtracted,    /* .custom, the certificates, Windows Installer: always ends the run */
    };
    for (StepOutcome (*pfnStep)(StubRun *) : s_apfnSteps)
    {
        Outcome = pfnStep(&Run);
        if (Outcome.fRunEnds)
            break;
    }
    return tearDown(&Run, Outcome.rcExit);
}
