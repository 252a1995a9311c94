/** @file
 * Windows tests only: the system's UTF-8/UTF-16 conversion for tests.
 */
#ifdef RT_OS_WINDOWS
#include "support/widen.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tst
{

std::wstring widen(const std::string &strUtf8)
{
    if (strUtf8.empty())
        return std::wstring();
    int const cwc = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strUtf8.data(), (int)strUtf8.size(), NULL, 0);
    if (cwc <= 0)
    {
        ADD_FAILURE() << "not UTF-8: " << strUtf8;
        return std::wstring();
    }
    std::wstring wstr((size_t)cwc, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strUtf8.data(), (int)strUtf8.size(), &wstr[0], cwc);
    return wstr;
}

std::string narrow(const std::wstring &wstrUtf16)
{
    if (wstrUtf16.empty())
        return std::string();
    int const cch = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wstrUtf16.data(), (int)wstrUtf16.size(), NULL, 0,
                                        NULL, NULL);
    if (cch <= 0)
    {
        ADD_FAILURE() << "not UTF-16 (" << wstrUtf16.size() << " units)";
        return std::string();
    }
    std::string str((size_t)cch, '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wstrUtf16.data(), (int)wstrUtf16.size(), &str[0], cch, NULL,
                        NULL);
    return str;
}

} // namespace tst

#endif
