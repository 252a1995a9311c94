/** @file
 * Process state a test changes and must put back: the current directory,
 * environment variables and the recorded executable path. Each object puts
 * back what it changed when it goes, also when an assertion ends the test early.
 */
#ifndef TARN_TESTS_SUPPORT_SCOPED_H
#define TARN_TESTS_SUPPORT_SCOPED_H

#include <string>
#include <vector>
#include "internal/process.h"

namespace tst
{

/**
 * The current directory: remembered at construction, set to @a strDir (UTF-8)
 * when given, and put back at destruction. On the host build the current
 * directory is the path shim's.
 */
class ScopedCurrentDir
{
  public:
    ScopedCurrentDir();
    explicit ScopedCurrentDir(const std::string &strDir);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir &) = delete;
    ScopedCurrentDir &operator=(const ScopedCurrentDir &) = delete;

  private:
    std::string m_strSaved;
};

/**
 * Environment variables changed with the system's own calls; at destruction
 * every variable touched is as it was before its first change.
 */
class ScopedEnv
{
  public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    /** Sets @a pszName to @a pszValue (UTF-8), or removes it when @a pszValue is null.
     * @returns whether the system took the value (a removal always counts as taken). */
    bool set(const char *pszName, const char *pszValue);
#ifdef RT_OS_WINDOWS
    /** The same in UTF-16, for values UTF-8 cannot carry. */
    bool setW(const wchar_t *pwszName, const wchar_t *pwszValue);
#endif

  private:
    /** A variable as it was before its first change. */
    struct Saved
    {
        std::string strName;
        bool fWasSet;
#ifdef RT_OS_WINDOWS
        std::wstring wstrValue;
#else
        std::string strValue;
#endif
    };
    void remember(const std::string &strName);
    std::vector<Saved> m_vSaved;
};

/**
 * The executable-path store that start-up fills: remembered at construction
 * and put back at destruction; record() fills it as start-up does.
 */
class ScopedExePath
{
  public:
    ScopedExePath();
    ~ScopedExePath();
    ScopedExePath(const ScopedExePath &) = delete;
    ScopedExePath &operator=(const ScopedExePath &) = delete;

    /** Records @a pszExePath and measures it; "" leaves the store empty, as before start-up. */
    static void record(const char *pszExePath);

  private:
    char m_szSaved[RTPROC_EXE_PATH_SIZE];
    size_t m_cchSaved, m_cchDirSaved, m_offNameSaved;
};

} // namespace tst

#endif
