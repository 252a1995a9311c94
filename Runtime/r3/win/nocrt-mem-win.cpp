/** @file
 * The four memory primitives the compiler may call on its own. Executables
 * without a C runtime link these; programs with one use the C runtime's.
 * Built with -fno-builtin and without loop-pattern distribution so the
 * compiler cannot turn these loops back into calls to themselves.
 *
 * They move and compare 32-bit words (the widest register every i686 has),
 * 16 bytes per round, and bytes only for the last few: the installer
 * compares every extracted byte with memcmp, so its speed is the speed of
 * the verification. Words are loaded and stored through a type that may be
 * unaligned and may alias anything, so any pointer alignment is allowed;
 * x86 reads unaligned words at little or no extra cost.
 */
#include <stddef.h>
#include <stdint.h>

namespace
{

/** A 32-bit word at any address, allowed to alias every other type. */
typedef uint32_t __attribute__((may_alias, aligned(1))) rtMemWord;

const size_t g_cbWord = sizeof(uint32_t);
const size_t g_cbRound = 4 * g_cbWord;

inline uint32_t rtMemLoad(const unsigned char *pb)
{
    return *(const rtMemWord *)pb;
}

inline void rtMemStore(unsigned char *pb, uint32_t u)
{
    *(rtMemWord *)pb = u;
}

/**
 * Copies from the lowest address up. Each word is loaded before it is
 * stored, so the copy is also right for overlapping areas whose destination
 * lies below the source.
 */
void rtMemCopyUp(unsigned char *pbDst, const unsigned char *pbSrc, size_t cb)
{
    for (; cb >= g_cbRound; cb -= g_cbRound, pbDst += g_cbRound, pbSrc += g_cbRound)
    {
        rtMemStore(pbDst, rtMemLoad(pbSrc));
        rtMemStore(pbDst + 4, rtMemLoad(pbSrc + 4));
        rtMemStore(pbDst + 8, rtMemLoad(pbSrc + 8));
        rtMemStore(pbDst + 12, rtMemLoad(pbSrc + 12));
    }
    for (; cb >= g_cbWord; cb -= g_cbWord, pbDst += g_cbWord, pbSrc += g_cbWord)
        rtMemStore(pbDst, rtMemLoad(pbSrc));
    while (cb--)
        *pbDst++ = *pbSrc++;
}

/** Copies from the highest address down: right for a destination above an overlapping source. */
void rtMemCopyDown(unsigned char *pbDst, const unsigned char *pbSrc, size_t cb)
{
    pbDst += cb;
    pbSrc += cb;
    for (; cb >= g_cbRound; cb -= g_cbRound)
    {
        pbDst -= g_cbRound;
        pbSrc -= g_cbRound;
        rtMemStore(pbDst + 12, rtMemLoad(pbSrc + 12));
        rtMemStore(pbDst + 8, rtMemLoad(pbSrc + 8));
        rtMemStore(pbDst + 4, rtMemLoad(pbSrc + 4));
        rtMemStore(pbDst, rtMemLoad(pbSrc));
    }
    for (; cb >= g_cbWord; cb -= g_cbWord)
    {
        pbDst -= g_cbWord;
        pbSrc -= g_cbWord;
        rtMemStore(pbDst, rtMemLoad(pbSrc));
    }
    while (cb--)
        *--pbDst = *--pbSrc;
}

/** The sign of the first differing byte of two blocks known to differ within @a cb bytes. */
int rtMemCompareBytes(const unsigned char *pb1, const unsigned char *pb2, size_t cb)
{
    for (size_t i = 0; i < cb; i++)
        if (pb1[i] != pb2[i])
            return pb1[i] < pb2[i] ? -1 : 1;
    return 0;
}

} // namespace

extern "C"
{

    void *memcpy(void *pvDst, const void *pvSrc, size_t cb)
    {
        rtMemCopyUp((unsigned char *)pvDst, (const unsigned char *)pvSrc, cb);
        return pvDst;
    }

    void *memmove(void *pvDst, const void *pvSrc, size_t cb)
    {
        unsigned char *pbDst = (unsigned char *)pvDst;
        const unsigned char *pbSrc = (const unsigned char *)pvSrc;
        /* Compared as integers: the two need not point into the same object. */
        if ((uintptr_t)pbDst - (uintptr_t)pbSrc >= cb)
            rtMemCopyUp(pbDst, pbSrc, cb); /* below the source, or no overlap */
        else
            rtMemCopyDown(pbDst, pbSrc, cb);
        return pvDst;
    }

    void *memset(void *pvDst, int iValue, size_t cb)
    {
        unsigned char *pbDst = (unsigned char *)pvDst;
        unsigned char const bValue = (unsigned char)iValue;
        uint32_t const uWord = UINT32_C(0x01010101) * bValue;
        for (; cb >= g_cbRound; cb -= g_cbRound, pbDst += g_cbRound)
        {
            rtMemStore(pbDst, uWord);
            rtMemStore(pbDst + 4, uWord);
            rtMemStore(pbDst + 8, uWord);
            rtMemStore(pbDst + 12, uWord);
        }
        for (; cb >= g_cbWord; cb -= g_cbWord, pbDst += g_cbWord)
            rtMemStore(pbDst, uWord);
        while (cb--)
            *pbDst++ = bValue;
        return pvDst;
    }

    int memcmp(const void *pv1, const void *pv2, size_t cb)
    {
        const unsigned char *pb1 = (const unsigned char *)pv1;
        const unsigned char *pb2 = (const unsigned char *)pv2;
        /* Whole rounds while they are equal; the first that is not is settled byte by byte. */
        for (; cb >= g_cbRound; cb -= g_cbRound, pb1 += g_cbRound, pb2 += g_cbRound)
            if (((rtMemLoad(pb1) ^ rtMemLoad(pb2)) | (rtMemLoad(pb1 + 4) ^ rtMemLoad(pb2 + 4)) |
                 (rtMemLoad(pb1 + 8) ^ rtMemLoad(pb2 + 8)) | (rtMemLoad(pb1 + 12) ^ rtMemLoad(pb2 + 12))) != 0)
                return rtMemCompareBytes(pb1, pb2, g_cbRound);
        return rtMemCompareBytes(pb1, pb2, cb);
    }

} /* extern "C" */
