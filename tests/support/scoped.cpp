/** @file
 * Putting back the process state tests change.
 */
#include "support/scoped.h"

#include <gtest/gtest.h>
#include <string.h>
#include <rt/path.h>
#include "internal/process.h"
#ifdef RT_OS_WINDOWS
#include <windows.h>
#include "support/widen.h"
#else
#include <stdlib.h>
#include "internal/path-shim.h"
#endif

namespace tst
{

/*
 * Current directory
 */

namespace
{

std::string currentDir(void)
{
#ifdef RT_OS_WINDOWS
    DWORD const cwc = GetCurrentDirectoryW(0, NULL);
    std::wstring wstr(cwc, L'\0');
    wstr.resize(GetCurrentDirectoryW(cwc, &wstr[0]));
    return narrow(wstr);
#else
    char sz[RTPATH_MAX];
    EXPECT_EQ(INF_SUCCESS, RTPathGetCurrent(sz, sizeof(sz)));
    return sz;
#endif
}

bool setCurrentDir(const std::string &strDir)
{
#ifdef RT_OS_WINDOWS
    return SetCurrentDirectoryW(widen(strDir).c_str()) != FALSE;
#else
    return rtPathShimSetCurrent(strDir.c_str()) == INF_SUCCESS;
#endif
}

} // namespace

ScopedCurrentDir::ScopedCurrentDir() : m_strSaved(currentDir()) {}

ScopedCurrentDir::ScopedCurrentDir(const std::string &strDir) : m_strSaved(currentDir())
{
    EXPECT_TRUE(setCurrentDir(strDir)) << strDir;
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    EXPECT_TRUE(setCurrentDir(m_strSaved)) << m_strSaved;
}

/*
 * Environment
 */

#ifdef RT_OS_WINDOWS
void ScopedEnv::remember(const std::string &strName)
{
    for (const Saved &Entry : m_vSaved)
        if (Entry.strName == strName)
            return;
    std::wstring const wstrName = widen(strName);
    Saved Entry = {strName, false, std::wstring()};
    SetLastError(NO_ERROR);
    DWORD const cwc = GetEnvironmentVariableW(wstrName.c_str(), NULL, 0);
    if (cwc > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND)
    {
        Entry.fWasSet = true;
        Entry.wstrValue.resize(cwc);
        Entry.wstrValue.resize(GetEnvironmentVariableW(wstrName.c_str(), &Entry.wstrValue[0], cwc));
    }
    m_vSaved.push_back(Entry);
}

bool ScopedEnv::set(const char *pszName, const char *pszValue)
{
    return setW(widen(pszName).c_str(), pszValue ? widen(pszValue).c_str() : NULL);
}

bool ScopedEnv::setW(const wchar_t *pwszName, const wchar_t *pwszValue)
{
    remember(narrow(pwszName));
    return SetEnvironmentVariableW(pwszName, pwszValue) || !pwszValue;
}

ScopedEnv::~ScopedEnv()
{
    for (const Saved &Entry : m_vSaved)
        SetEnvironmentVariableW(widen(Entry.strName).c_str(), Entry.fWasSet ? Entry.wstrValue.c_str() : NULL);
}
#else
void ScopedEnv::remember(const std::string &strName)
{
    for (const Saved &Entry : m_vSaved)
        if (Entry.strName == strName)
            return;
    const char *pszOld = getenv(strName.c_str());
    m_vSaved.push_back(Saved{strName, pszOld != NULL, pszOld ? pszOld : ""});
}

bool ScopedEnv::set(const char *pszName, const char *pszValue)
{
    remember(pszName);
    return pszValue ? setenv(pszName, pszValue, 1) == 0 : (unsetenv(pszName), true);
}

ScopedEnv::~ScopedEnv()
{
    for (const Saved &Entry : m_vSaved)
    {
        if (Entry.fWasSet)
            setenv(Entry.strName.c_str(), Entry.strValue.c_str(), 1);
        else
            unsetenv(Entry.strName.c_str());
    }
}
#endif

/*
 * Executable path
 */

ScopedExePath::ScopedExePath()
    : m_cchSaved(g_cchrtProcExePath), m_cchDirSaved(g_cchrtProcDir), m_offNameSaved(g_offrtProcName)
{
    memcpy(m_szSaved, g_szrtProcExePath, sizeof(m_szSaved));
}

ScopedExePath::~ScopedExePath()
{
    memcpy(g_szrtProcExePath, m_szSaved, sizeof(m_szSaved));
    g_cchrtProcExePath = m_cchSaved;
    g_cchrtProcDir = m_cchDirSaved;
    g_offrtProcName = m_offNameSaved;
}

void ScopedExePath::record(const char *pszExePath)
{
    size_t const cb = strlen(pszExePath) + 1;
    ASSERT_LE(cb, sizeof(g_szrtProcExePath));
    memcpy(g_szrtProcExePath, pszExePath, cb);
    rtProcMeasureExePath();
}

} // namespace tst
