/** @file
 * The installer's run for parsed settings: one straight sequence on the main
 * thread from the single-instance guard to the exit code.
 *
 * Each step either succeeds or ends the run with one message and an exit-code
 * value. Every failure removes what the run wrote, including an extraction
 * directory made for it. Failures from the host check on also release what
 * the run set up (console, splash screen, mutex); the few earlier ones return
 * at once and leave that to the process end.
 */
#include <windows.h>
#include "TarnStubMain.h"
#include "TarnStubCertUtil.h"
#include "TarnStubCleanup.h"
#include "TarnStubCustomDir.h"
#include "TarnStubExtract.h"
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

/** What the run keeps besides the settings. */
struct StubRun
{
    StubSettings *pSettings;
    /** The single-instance mutex; null when it could not be created. */
    HANDLE hMutex;
    /** The splash screen while it shows; null in silent mode, after a failed start and once stopped. */
    SplashScreen *pSplash;
    /** The extraction directory's cleanup record. */
    CleanupRecord *pDirRecord;
    uint32_t uHostArch;
    uint32_t cPackages;
};

/** Returns STUB_CONTINUE holding the mutex (or none, when it cannot be created), 1 when another installer runs. */
int takeSingleInstanceMutex(HANDLE *phMutex)
{
    SetLastError(0);
    HANDLE hMutex = CreateMutexW(NULL, FALSE, g_wszMutexName);
    if (hMutex && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        CloseHandle(hMutex);
        return ShowError("Another installer is already running");
    }
    *phMutex = hMutex;
    return STUB_CONTINUE;
}

void closeMutex(StubRun *pRun)
{
    if (pRun->hMutex)
    {
        CloseHandle(pRun->hMutex);
        pRun->hMutex = NULL;
    }
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
int makeExtractionDir(StubRun *pRun)
{
    StubSettings *pSettings = pRun->pSettings;
    if (pSettings->szExtractPath[0] == '\0')
    {
        int rc = queryAbsoluteTempDir(pSettings->szExtractPath, sizeof(pSettings->szExtractPath));
        if (RT_FAILURE(rc))
        {
            closeMutex(pRun);
            return ShowError("Failed to find temporary directory: %Rrc", rc);
        }
        if (!pSettings->fExtractOnly)
        {
            rc = RTPathAppend(pSettings->szExtractPath, sizeof(pSettings->szExtractPath), g_szExtractDirTemplate);
            if (RT_SUCCESS(rc))
                rc = RTDirCreateTemp(pSettings->szExtractPath, STUB_EXTRACT_DIR_MODE);
            if (RT_FAILURE(rc))
            {
                closeMutex(pRun);
                return ShowError("Failed to create extraction path: %Rrc", rc);
            }
            /* Without a record ("Out of memory!" shown) the run goes on; the directory then stays. */
            pRun->pDirRecord = AddCleanupRecord(pSettings->szExtractPath, false /*fFile*/);
        }
    }
    RTPathChangeToDosSlashes(pSettings->szExtractPath, true /*fForce*/);
    return STUB_CONTINUE;
}

/** --verbose: a console of our own that becomes both standard output and standard error. */
int allocVerboseConsole(void)
{
    if (!AllocConsole())
        return ShowError("Unable to allocate console: LastError=%u\n", GetLastError());
    PRTSTREAM pConsole = NULL;
    if (RT_SUCCESS(RTStreamOpen("CONOUT$", "a", &pConsole)))
    {
        RTStreamSetBuffering(pConsole, RTSTRMBUFMODE_UNBUFFERED);
        g_pStdOut = pConsole;
        g_pStdErr = pConsole;
    }
    return STUB_CONTINUE;
}

/** A log file implies logging; --logging alone logs into the extraction directory. */
int decideMsiLogFile(StubSettings *pSettings)
{
    if (!pSettings->fLogging && pSettings->szMsiLogFile[0] == '\0')
        return STUB_CONTINUE;
    pSettings->fLogging = true;
    if (pSettings->szMsiLogFile[0] == '\0')
    {
        int rc = RTStrCopy(pSettings->szMsiLogFile, sizeof(pSettings->szMsiLogFile), pSettings->szExtractPath);
        if (RT_SUCCESS(rc))
            rc = RTPathAppend(pSettings->szMsiLogFile, sizeof(pSettings->szMsiLogFile), g_szDefaultMsiLogName);
        if (RT_FAILURE(rc))
            return ShowError("Error creating MSI log file name, rc=%Rrc", rc);
    }
    return STUB_CONTINUE;
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

/** Only a silent run adds the maker's certificates; an interactive one leaves trust to the user. */
int addEmbeddedCertificates(void)
{
    for (uint32_t i = 0; i < g_cEmbeddedCerts; i++)
        if (!PutCertificateInStore(STUB_CERT_STORE_LOCAL_MACHINE, STUB_CERT_STORE_TRUSTED_PUBLISHER,
                                   g_aEmbeddedCerts[i].pbData, g_aEmbeddedCerts[i].cbData))
            return ShowError("Failed to add our certificate(s) to trusted publisher store.");
    return STUB_EXIT_SUCCESS;
}

/** Installs package @a idxPackage when it applies to this host; a cabinet only has to lie beside the MSIs. */
int installPackage(const StubSettings *pSettings, uint32_t idxPackage)
{
    const PackageHeader *pHdr = FindPackageHeader(idxPackage);
    if (!pHdr)
        return STUB_EXIT_FAILURE;
    if (pHdr->uArch != PACKAGE_ARCH_ALL && pHdr->uArch != DetectHostArch())
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
int installExtracted(const StubRun *pRun)
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
        int rcPackage = installPackage(pSettings, idxPackage);
        if (rcPackage != STUB_EXIT_SUCCESS)
            rcExit = rcPackage;
    }
    return rcExit;
}

/** The directory the clean-up removes last: only one this run created and nothing else writes into. */
const char *finalDirToRemove(const StubRun *pRun)
{
    if (!pRun->pSettings->fLogging && pRun->pDirRecord && !pRun->pDirRecord->fDontDelete)
        return pRun->pSettings->szExtractPath;
    return NULL;
}

/** Extraction, then either the extract-only report or the installation; returns the exit-code value. */
int extractAndInstall(StubRun *pRun)
{
    StubSettings *pSettings = pRun->pSettings;
    int rcExit = ExtractPackages(pRun->cPackages, pSettings->szExtractPath, pSettings->fExtractOnly, &pRun->pDirRecord);
    if (rcExit != STUB_EXIT_SUCCESS && pSettings->fExtractOnly)
        return rcExit; /* what was written stays */
    if (rcExit == STUB_EXIT_SUCCESS)
    {
        /* The splash shows the extraction only: the installations have windows of their own. */
        StopSplashScreen(&pRun->pSplash);
        if (pSettings->fExtractOnly)
        {
            ShowInfo("Files were extracted to: %s", pSettings->szExtractPath);
            return STUB_EXIT_SUCCESS;
        }
        rcExit = installExtracted(pRun);
    }

    /* Extraction made the directory current; a process inside it could not remove it. */
    RTPathSetCurrent("..");
    const char *pszFinalDir = finalDirToRemove(pRun);
    CleanUpRecords(pszFinalDir);
    return rcExit;
}

/**
 * A run that ends before extraction removes the directory it made for it,
 * still empty, instead of leaving one more behind in the temporary directory
 * at every attempt. @returns @a rcExit.
 */
int removeUnusedExtractionDir(StubRun *pRun, int rcExit)
{
    CleanUpRecords(finalDirToRemove(pRun));
    ReleaseCleanupRecords();
    return rcExit;
}

/** Checks, manifest, extraction, installation and clean-up; returns the exit-code value. */
int runAdmitted(StubRun *pRun)
{
    if (!pRun->pSettings->fExtractOnly && !g_fSilent && pRun->uHostArch == PACKAGE_ARCH_X86)
        return removeUnusedExtractionDir(pRun,
                                         ShowError("32-bit Windows hosts are not supported by this Tarnvale release."));

    const void *pvManifest = NULL;
    int rc = FindEmbeddedResource("MANIFEST", &pvManifest, NULL);
    if (RT_FAILURE(rc))
        return removeUnusedExtractionDir(pRun, ShowError("Internal package error: Manifest not found (%Rrc)", rc));
    pRun->cPackages = static_cast<const PackageManifest *>(pvManifest)->cPackages;

    int rcExit = extractAndInstall(pRun);
    /* After --extract the files stay held open until the process ends. */
    ReleaseCleanupRecords();
    return rcExit;
}

void tearDown(StubRun *pRun)
{
    if (g_cVerbosity != 0)
        FreeConsole();
    StopSplashScreen(&pRun->pSplash);
    closeMutex(pRun);
}

} // namespace

int StubRunInstaller(StubSettings *pSettings)
{
    StubRun Run = {pSettings, NULL, NULL, NULL, 0, 0};
    int rcExit = takeSingleInstanceMutex(&Run.hMutex);
    if (rcExit != STUB_CONTINUE)
        return rcExit;
    /* A silent run shows no window at all; a splash that fails to start is no reason to stop. */
    if (!g_fSilent)
        Run.pSplash = StartSplashScreen();
    InitCleanupRecords();

    rcExit = makeExtractionDir(&Run);
    if (rcExit == STUB_CONTINUE && g_cVerbosity != 0)
        rcExit = allocVerboseConsole();
    if (rcExit == STUB_CONTINUE)
        rcExit = decideMsiLogFile(pSettings);
    if (rcExit != STUB_CONTINUE)
        return removeUnusedExtractionDir(&Run, rcExit);

    Run.uHostArch = DetectHostArch();
    if (g_cVerbosity != 0)
        printVerboseSummary(&Run);

    rcExit = runAdmitted(&Run);
    tearDown(&Run);
    if (rcExit == STUB_EXIT_REBOOT_NEEDED && pSettings->fIgnoreReboot)
        rcExit = STUB_EXIT_SUCCESS;
    return rcExit;
}
