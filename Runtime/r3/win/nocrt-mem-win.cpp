/** @file
 * The four memory primitives the compiler may call on its own. Executables
 * without a C runtime link these; programs with one use the C runtime's.
 * Built with -fno-builtin and without loop-pattern distribution so the
 * compiler cannot turn these loops back into calls to themselves.
 */
#include <stddef.h>

extern "C"
{

    void *memcpy(void *pvDst, const void *pvSrc, size_t cb)
    {
        unsigned char *pbDst = (unsigned char *)pvDst;
        const unsigned char *pbSrc = (const unsigned char *)pvSrc;
        while (cb--)
            *pbDst++ = *pbSrc++;
        return pvDst;
    }

    void *memmove(void *pvDst, const void *pvSrc, size_t cb)
    {
        unsigned char *pbDst = (unsigned char *)pvDst;
        const unsigned char *pbSrc = (const unsigned char *)pvSrc;
        if (pbDst < pbSrc)
            while (cb--)
                *pbDst++ = *pbSrc++;
        else
            while (cb--)
                pbDst[cb] = pbSrc[cb];
        return pvDst;
    }

    void *memset(void *pvDst, int iValue, size_t cb)
    {
        unsigned char *pbDst = (unsigned char *)pvDst;
        while (cb--)
            *pbDst++ = (unsigned char)iValue;
        return pvDst;
    }

    int memcmp(const void *pv1, const void *pv2, size_t cb)
    {
        const unsigned char *pb1 = (const unsigned char *)pv1;
        const unsigned char *pb2 = (const unsigned char *)pv2;
        for (size_t i = 0; i < cb; i++)
            if (pb1[i] != pb2[i])
                return pb1[i] < pb2[i] ? -1 : 1;
        return 0;
    }

} /* extern "C" */
