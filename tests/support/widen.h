/** @file
 * Windows tests only: UTF-8 to UTF-16 and back with the system's own
 * conversion, for building expected values and system-call arguments.
 */
#ifndef TARN_TESTS_SUPPORT_WIDEN_H
#define TARN_TESTS_SUPPORT_WIDEN_H

#include <string>

namespace tst
{

/** @a strUtf8 as UTF-16. Text that is not UTF-8 fails the test and gives an empty string. */
std::wstring widen(const std::string &strUtf8);

/** @a wstrUtf16 as UTF-8. Text that is not UTF-16 fails the test and gives an empty string. */
std::string narrow(const std::wstring &wstrUtf16);

} // namespace tst

#endif
