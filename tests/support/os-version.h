/** @file
 * Windows tests only: running the native-path code as on an older system.
 */
#ifndef TARN_TESTS_SUPPORT_OS_VERSION_H
#define TARN_TESTS_SUPPORT_OS_VERSION_H

#include <stdint.h>

namespace tst
{

/**
 * Makes the runtime see a process environment block that records system
 * major version @a uMajor (the real block otherwise), until the end of the
 * test or until the object goes.
 */
class PretendOsMajorVersion
{
  public:
    explicit PretendOsMajorVersion(uint32_t uMajor);
    ~PretendOsMajorVersion();
    PretendOsMajorVersion(const PretendOsMajorVersion &) = delete;
    PretendOsMajorVersion &operator=(const PretendOsMajorVersion &) = delete;
};

} // namespace tst

#endif
