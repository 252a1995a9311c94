/** @file
 * File contents and handles for the file tests: a byte pattern that shows
 * misplaced bytes, and a runtime handle closed at the end of its scope.
 */
#ifndef TARN_TESTS_SUPPORT_FILE_DATA_H
#define TARN_TESTS_SUPPORT_FILE_DATA_H

#include <stdint.h>
#include <vector>
#include <rt/file.h>

namespace tst
{

/** A deterministic, position-dependent byte pattern, so misplaced bytes show. */
inline std::vector<uint8_t> makePattern(size_t cb, uint32_t uSeed = 1)
{
    std::vector<uint8_t> ab(cb);
    uint32_t u = uSeed * 2654435761u + 1;
    for (size_t i = 0; i < cb; i++)
    {
        u = u * 1103515245u + 12345u;
        ab[i] = (uint8_t)(u >> 16);
    }
    return ab;
}

/** Closes a runtime handle at the end of a scope, even when an assertion returns early. */
class AutoFile
{
  public:
    RTFILE h = NIL_RTFILE;
    AutoFile() = default;
    AutoFile(const AutoFile &) = delete;
    AutoFile &operator=(const AutoFile &) = delete;
    ~AutoFile() { RTFileClose(h); }
    int close()
    {
        int rc = RTFileClose(h);
        h = NIL_RTFILE;
        return rc;
    }
};

} // namespace tst

#endif
