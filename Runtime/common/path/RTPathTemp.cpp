/** @file
 * The temporary directory, from the environment.
 */
#include <rt/path.h>
#include <rt/env.h>

int RTPathTemp(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return ERR_INVALID_POINTER;

    /* The first variable that is set decides, also when reading it fails: a
       value that does not fit must not quietly give way to another directory. */
    static const char *const s_apszVars[] = {"SOLT_TMPDIR", "TMP", "TEMP", "USERPROFILE"};
    for (const char *pszVar : s_apszVars)
    {
        size_t cchActual;
        int rc = RTEnvGetEx(RTENV_DEFAULT, pszVar, pszPath, cbPath, &cchActual);
        if (rc != ERR_ENV_VAR_NOT_FOUND)
            return rc;
    }

    static const char s_szFallback[] = "/tmp";
    if (cbPath < sizeof(s_szFallback))
    {
        if (cbPath)
            pszPath[0] = '\0';
        return ERR_BUFFER_OVERFLOW;
    }
    for (size_t i = 0; i < sizeof(s_szFallback); i++)
        pszPath[i] = s_szFallback[i];
    return INF_SUCCESS;
}
